// TArchiveSplitter: cuts a ZIP into a split set of part files (name.z01, name.z02, ...,
// and a last part under the set's own name that holds the central directory). Nothing is
// recompressed: each entry's header, name, extra field, data and descriptor are copied as
// they stand; only the directory's offsets and disk numbers change. Volume 1 starts with
// the four bytes that mark a split set.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/base/ZipCommon.h"

namespace qel {

enum class TPartType : uint8_t {
  pt1mb,
  ptFloppy_120mb,
  ptFloppy_144mb,
  ptFloppy_288mb,
  ptZipDisk_100mb,
  ptZipDisk_250mb,
  ptCDRom_650mb,
  ptCDRom_700mb,
  ptDVD_4700mb,
  ptOtherSize,
  ptNoSplit,
};

enum class TCustomSizeType : uint8_t { stBytes, stKB, stMB };

// The smallest part: a custom size below it is refused.
inline constexpr int64_t kMinPartSize = 65536;

class TArchiveSplitter : public TZipCommon {
 public:
  WideString SplitArchiveFile;  // the set's name: its last part
  TPartType PartType = TPartType::ptOtherSize;
  int64_t PartSize = kMinPartSize;  // for ptOtherSize, in CustomSizeType units
  TCustomSizeType CustomSizeType = TCustomSizeType::stBytes;
  // Each volume as it is completed, numbered from 1, under its final name.
  std::function<void(TZipCommon& Sender, int Volume, const WideString& Name)> OnSplitNewVolume;

  // The set's name proposed for `archive`: "backup.zip" -> "backup_spanned.zip", beside it.
  static WideString SpannedName(const WideString& archive);

  // The part size the settings give, in bytes; 0 for ptNoSplit.
  int64_t PartBytes() const;
  // Splits ArchiveFile into SplitArchiveFile's set; answers the number of volumes written,
  // 0 when the split failed (reported through OnError; no part is left behind). An
  // existing part is replaced only when OnFileExists agrees.
  int Split();
};

}  // namespace qel
