// TUnZip: extracts or tests the entries of a ZIP archive. A first pass collects the selected
// entries from the central directory (or, when there is none and the application agrees,
// from the local headers) and confirms where each one's data starts; a second pass decodes
// them. TUnJar differs only in the archive type it reports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codecs/inflate/InflateMember.h"
#include "codecs/ppmd/PpmdZip.h"
#include "engine/extract/UnBase.h"
#include "engine/streams/ReadAheadWindow.h"
#include "formats/zip/CentralDir.h"
#include "formats/zip/DecodeAhead.h"
#include "formats/zip/EntryCipher.h"
#include "formats/zip/RecordReader.h"
#include "formats/zip/Records.h"

namespace qel {

class TZipDiskRequest;

class TUnZip : public TUnBase {
 public:
  TUnZip();
  ~TUnZip() override;

  virtual TArcType ReaderType() const { return atZip; }

 protected:
  void ExtractEntries() override;
  // Split sets and spanned disks: the volume after the one being read, by its number.
  bool OpenNextVolume() override;

 private:
  // One selected entry, in central-directory order.
  struct TCollected {
    std::string Name;
    uint32_t Disk = 0;
    int64_t LocalPos = 0;
    uint32_t ExternalAttr = 0;
    uint16_t VersionMadeBy = 0;
    int64_t UnixTime = -1;  // from a time field; -1 when there is none
    uint32_t Crc = 0;
    uint64_t Packed = 0;
    uint64_t Unpacked = 0;
    uint16_t Flags = 0;  // the directory's, for deciding what may be decoded ahead
    uint16_t Method = 0;
  };

  void CollectCentral();
  void CollectLocal();
  bool IsLocalAt(int64_t at);
  // Bytes put in front of an archive after it was made move every local header by one
  // distance; damage moves single headers. The distance: 0 unless the earliest header is
  // not where the directory says and the one found by searching fits more headers.
  int64_t LocalShift(std::vector<int64_t> positions);
  // Keeps the collected entries whose local header is where the directory (and the
  // distance) says; each other one fails alone.
  void ConfirmLocals(const std::vector<int64_t>& allPositions);
  // Decodes one entry; `decoded` is its data when it was decoded ahead.
  void Decode(const TCollected& e, const TDecoded* decoded);
  // Whether the entry may be decoded ahead: small, unenciphered, stored or deflated, of a
  // single-file archive.
  bool DecodesAhead(const TCollected& e) const;
  bool IsSplit() const { return ArcType() == atZipMV; }
  bool IsSpanned() const { return ArcType() == atZipDS; }
  bool InsertLastDisk();
  int LastVolume() const;
  // Makes disk `disk` (from 0) the volume being read; `position` is where on it reading
  // starts, which tells an unlabelled disk.
  bool OpenStartVolume(uint32_t disk, int64_t position);
  // The local headers of the volume being read, through a window read ahead of them: a
  // header, its name and extra field come out of one read, with the headers of small
  // entries that follow.
  TReadAheadWindow& LocalHeaders();
  zip::TRecordRead ReadLocal(int64_t pos, zip::TRecordBytes& r);

  // Where the central directory starts and what the end records say: as detection found
  // them, or as the last of a set of spanned disks holds them.
  int64_t FDirOffset = -1;
  THeaderTypeState FDirFlags;
  zip::TCentralDirLocation FTail;
  std::unique_ptr<TZipDiskRequest> FDisks;
  std::vector<TCollected> FEntries;
  zip::TEntryCipher FCipher;
  // The threads of the extraction under way; null between extractions.
  TWorkers* FWorkers = nullptr;
  int FVolume = 0;  // the split-set volume being read, from 1
  // Small: between large entries it is read again for each header.
  TReadAheadWindow FLocalHeaders{int64_t(1) << 16};
  uint64_t FLocalSerial = 0;
  TMemberInflater FInflater;
  // The PPMd model: its memory block serves entry after entry of the same size.
  TPpmdState FPpmd;
};

class TUnJar : public TUnZip {
 public:
  TArcType ReaderType() const override { return atJar; }
};

}  // namespace qel
