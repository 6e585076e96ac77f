// The individual probes detection runs, each on its own so that it can be tested alone.
#pragma once

#include <cstdint>
#include <span>

#include "engine/base/ArcType.h"
#include "engine/detect/Classify.h"

namespace qel {
class TStream64;
}

namespace qel::detect {

struct TProbeHit {
  TArcType Type = atNA;
  int64_t Start = -1;  // where the archive starts in the file
};

// Self-extractor stubs that keep their archive at a known offset.
TProbeHit CheckKnownStubs(TStream64& stream, int64_t size);

// A TAR header (or a volume label followed by one) at the start. On success Start is
// where the first member header is (0, or 512 behind a label).
TProbeHit TestTar(TStream64& stream, int64_t size);
// The TAR header test on one 512-byte block: its checksum field holds the block's sum.
bool IsTarHeader(const uint8_t* block);
// A GZIP, `compress` or BZIP2 file whose data starts with a TAR header.
bool HoldsTar(TStream64& stream);

// "BZh", a block-size digit, then the block magic (or the end-of-stream magic of an empty
// stream).
bool IsBzip2(std::span<const uint8_t> head);

// UU/XX ("begin 6", "begin 7") or MIME Base64 text at the start of a line.
TArcType TestText(std::span<const uint8_t> head);

// Scans up to 11 blocks of 32 KiB for the first archive signature. A scan of an
// executable starts at 1500 and names the "Exe" kinds; a ZIP hit leaves locating the
// central directory to the caller.
enum class ScanFrom { Start, Executable };
struct TScanHit {
  TArcType Type = atNA;
  int64_t Start = -1;
  bool IsZip = false;  // the caller must locate the central directory
};
TScanHit ScanForSignature(TStream64& stream, int64_t size, ScanFrom from);

}  // namespace qel::detect
