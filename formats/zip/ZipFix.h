// TZipFix: rescues what it can from a damaged ZIP file. The intact entries found by scanning
// the raw bytes are copied, in file order, into a new archive with a freshly built central
// directory. An entry is intact when its header holds together and, when it is neither
// encrypted nor compressed by a method this engine lacks, its data decodes to its CRC-32.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "engine/base/Types.h"

namespace qel {

class TStream64;
class TZipFix;

// Fired once per candidate entry, with its name (empty when none could be read) and whether
// it held together and was rescued.
using TFileFoundEvent =
    std::function<void(TZipFix& Sender, const WideString& FileName, bool FileInfoIsOK)>;

// What became of a candidate entry.
enum class TRescueVerdict {
  Intact,          // held together and, where it could be decoded, passed its CRC
  Corrupted,       // its header, name or sizes did not hold together: left out
  DataFailed,      // its data failed its CRC: left out
  DataFailedKept,  // its data failed its CRC and KeepDamaged kept it
};

class TZipFix {
 public:
  TFileFoundEvent OnFileFound;
  // Entries whose data fails its CRC are rescued all the same (for what can be read of
  // them); left out otherwise.
  bool KeepDamaged = false;
  // The verdict on the candidate OnFileFound is reporting.
  TRescueVerdict Verdict() const { return FVerdict; }

  // Writes the entries rescued from `damagedFile` to a new archive `outputFile`. Raises
  // E_RAISE when the damaged file cannot be read, when both name the same file (the damaged
  // one is never touched), or when the output cannot be created or written. With no entry
  // rescued the output is an empty archive.
  void Repair(const WideString& damagedFile, const WideString& outputFile);
  // The same from the whole of `input` to `output` at its position; raises E_RAISE when
  // either stream is missing.
  void Repair(TStream64* input, TStream64* output);

 private:
  void Rescue(std::span<const uint8_t> damaged, TStream64& output);

  TRescueVerdict FVerdict = TRescueVerdict::Intact;
};

}  // namespace qel
