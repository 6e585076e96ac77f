// TUnZip: extracts or tests the entries of a ZIP archive. A first pass collects the selected
// entries from the central directory (or, when there is none and the application agrees,
// from the local headers) and confirms where each one's data starts; a second pass decodes
// them. TUnJar differs only in the archive type it reports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/extract/UnBase.h"
#include "engine/zip/EntryCipher.h"
#include "engine/zip/Records.h"

namespace qel {

class TUnZip : public TUnBase {
 public:
  TUnZip();
  ~TUnZip() override;

  virtual TArcType ReaderType() const { return atZip; }

 protected:
  void ExtractEntries() override;
  // Split sets: the volume after the one being read, by its number.
  WideString NextVolumeName() override;
  bool OpenNextVolume() override;

 private:
  // One selected entry, in central-directory order.
  struct TCollected {
    std::string Name;
    uint32_t Disk = 0;
    int64_t LocalPos = 0;
    uint32_t ExternalAttr = 0;
    uint16_t VersionMadeBy = 0;
    uint32_t Crc = 0;
    uint64_t Packed = 0;
    uint64_t Unpacked = 0;
  };

  void CollectCentral();
  void CollectLocal();
  bool ConfirmLocal(int64_t& pos);
  void Decode(const TCollected& e);
  void Fail(const WideString& name);
  bool IsSplit() const { return ArcType() == atZipMV; }
  int LastVolume() const;
  bool OpenStartVolume(uint32_t disk);

  std::vector<TCollected> FEntries;
  zip::TEntryCipher FCipher;
  int64_t FShift = 0;
  bool FShiftSearched = false;
  int FVolume = 0;  // the split-set volume being read, from 1
};

class TUnJar : public TUnZip {
 public:
  TArcType ReaderType() const override { return atJar; }
};

}  // namespace qel
