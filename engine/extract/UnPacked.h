// TUnPacked: the reader of the single-file compressions (GZIP, `compress`, BZIP2). Their
// one entry is the whole of the decoded data, named after the stored name or the file's
// own; it passes when every check the compression has (GZIP's CRC-32 and length per
// member, BZIP2's block CRCs) held to the end of the data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/extract/UnBase.h"
#include "engine/packed/PackedEntry.h"

namespace qel {

class TUnPacked : public TUnBase {
 protected:
  void ExtractEntries() override;

  // What the archive file says of its entry.
  TPackedEntry DescribeEntry();

  // The decoded data of the whole file as one entry.
  void ExtractWhole(const TPackedEntry& entry);
  // The stream of the decoded data; null, reported, when the file cannot be decoded.
  std::unique_ptr<TPackedStream> OpenData();
};

}  // namespace qel
