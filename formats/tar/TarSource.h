// Where a TAR is walked from: the archive file itself, or the decoded data of the GZIP,
// `compress` or BZIP2 file that holds it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/packed/PackedStream.h"

namespace qel {

class TStream64;

struct TTarSource {
  std::unique_ptr<TPackedStream> Packed;  // the decoder, for a compressed TAR
  ISeekableSource* Input = nullptr;       // what the walk reads, from offset 0 of the TAR
  int64_t Size = -1;                      // the TAR's size, -1 when it is not known
  // Compressed bytes used so far: how far the walk has come through the file.
  int64_t Consumed(int64_t walked) const { return Packed ? Packed->Consumed() : walked; }
};

// Opens the TAR in `file` (which must outlive the source); false, with the message number
// in `refusal`, when it cannot be read (its compression refused, say). `cancelled` stops a
// long seek.
bool OpenTarSource(TStream64& file, TTarSource& source, int& refusal,
                   std::function<bool()> cancelled);

// Once the TAR was walked: the message number of what the compression's own check found
// to the end of its data (the padding behind the end blocks included), 0 when it held or
// the TAR is not compressed.
int PackedFault(TTarSource& source);

}  // namespace qel
