// TUnPacked: the reader of the single-file compressions (GZIP, `compress`, BZIP2). Their
// one entry is the whole of the decoded data, named after the stored name or the file's
// own; it passes when every check the compression has (GZIP's CRC-32 and length per
// member, BZIP2's block CRCs) held to the end of the data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/extract/UnBase.h"
#include "engine/packed/PackedStream.h"

namespace qel {

class TUnPacked : public TUnBase {
 protected:
  void ExtractEntries() override;

  // What the file says of its entry: its name and time (the file's own where it stores
  // none) and the size the data ends at, when the file keeps it.
  struct TPackedEntry {
    TPackedKind Kind = TPackedKind::None;
    std::string Name;
    int64_t UnixTime = 0;
    int64_t UnpackedSize = 0;
  };
  TPackedEntry DescribeEntry();

  // The decoded data of the whole file as one entry.
  void ExtractWhole(const TPackedEntry& entry);
  // The stream of the decoded data; null, reported, when the file cannot be decoded.
  std::unique_ptr<TPackedStream> OpenData();
};

}  // namespace qel
