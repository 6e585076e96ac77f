#include "formats/zip/ArchiveSplitter.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "engine/base/Bytes.h"
#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/zip/DirectoryCopy.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/EntryCopy.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/SplitVolumes.h"
#include "formats/zip/ZipTail.h"

namespace qel {
namespace {

using namespace zip;

constexpr std::array<int64_t, 9> kPresetBytes = {
    1024000, 1213952, 1457664, 2915328, 102400000, 256000000, 665600000, 716800000, 4698000000};

// The directory and the end records behind the entries; answers the number of volumes. The
// directory starts a volume of its own when that keeps it whole with the end records; a
// larger one runs on across volumes, record by record. The end records are never cut.
int FinishSet(TSplitVolumes& out, const std::vector<std::vector<uint8_t>>& records,
              const std::string& comment, const TSeedKeyRecord* endSeed) {
  uint64_t size = 0;
  for (const std::vector<uint8_t>& r : records) size += r.size();
  const uint64_t endMost = kZip64EndSize + kZip64LocatorSize + kEndRecordSize + comment.size();
  if (int64_t(size + endMost) > out.Room() && int64_t(size + endMost) <= out.PartSize())
    out.NextVolume();
  if (out.Room() == 0) out.NextVolume();
  TDirectoryPlace place{.Entries = records.size(),
                        .Size = size,
                        .Offset = uint64_t(out.Position()),
                        .StartDisk = uint32_t(out.Volume() - 1)};
  std::vector<int> startVolumes;
  for (const std::vector<uint8_t>& r : records) {
    // Records are kept whole, as other tools write and expect them.
    if (int64_t(r.size()) > out.Room() && !out.Fresh()) out.NextVolume();
    startVolumes.push_back(out.Volume());
    out.WriteWhole(r.data(), int64_t(r.size()));
  }
  for (int attempt = 0;; ++attempt) {
    place.EndDisk = uint32_t(out.Volume() - 1);
    place.EndOffset = uint64_t(out.Position());
    place.EntriesHere =
        uint64_t(std::count(startVolumes.begin(), startVolumes.end(), out.Volume()));
    const std::vector<uint8_t> end = EndRecords(place, comment, endSeed);
    if (int64_t(end.size()) <= out.Room() || attempt > 0) {
      out.WriteWhole(end.data(), int64_t(end.size()));
      break;
    }
    out.NextVolume();
  }
  return out.Finish();
}

}  // namespace

WideString TArchiveSplitter::SpannedName(const WideString& archive) {
  const std::filesystem::path p(archive);
  return (p.parent_path() / (p.stem().string() + "_spanned" + p.extension().string())).string();
}

int64_t TArchiveSplitter::PartBytes() const {
  switch (PartType) {
    case TPartType::ptNoSplit:
      return 0;
    case TPartType::ptOtherSize: {
      const int64_t unit = CustomSizeType == TCustomSizeType::stKB   ? 1024
                           : CustomSizeType == TCustomSizeType::stMB ? 1024000
                                                                     : 1;
      int64_t bytes = 0;
      return PartSize <= 0 || __builtin_mul_overflow(PartSize, unit, &bytes) ? 0 : bytes;
    }
    default:
      return kPresetBytes[size_t(PartType)];
  }
}

int TArchiveSplitter::Split() {
  int volumes = 0;
  RunOperation([&] {
    const WideString& source = ArchiveFile();
    if (source.empty() || (ArcType() != atZip && ArcType() != atJar))
      ReportAndRaise(source, msg::UnsupportedArchiveType, "", "");
    if (SplitArchiveFile.empty()) ReportAndRaise(source, msg::NothingToDo, "", "");
    if (SameFile(source, SplitArchiveFile))
      ReportAndRaise(SplitArchiveFile, msg::SameInputOutput, "", "");
    // A size too small is refused as such; none at all, or one that holds the whole
    // archive, leaves nothing to split.
    const int64_t part = PartBytes();
    if (part > 0 && part < kMinPartSize) ReportAndRaise(source, msg::SizeTooSmall, "", "");
    std::unique_ptr<TFileStream32> file = TFileStream32::Open(source, fmOpenRead);
    if (!file) ReportAndRaise(source, msg::ErrorOpeningFile, "", "");
    const int64_t size = file->Size();
    if (part == 0 || part >= size) ReportAndRaise(source, msg::NothingToDo, "", "");
    if (size / part + 1 > 999) ReportAndRaise(source, msg::MaximumVolumes, "", "");

    // The parts foreseen are asked about before anything is written; a part beyond them is
    // asked about when it is named.
    std::vector<std::string> approved;
    const auto approve = [&](const std::string& name) {
      if (std::find(approved.begin(), approved.end(), name) != approved.end()) return true;
      if (!ApproveReplace(name)) return false;
      approved.push_back(name);
      return true;
    };
    const int foreseen = int(size / part + 1);
    for (int v = 1; v <= foreseen; ++v) {
      const std::string name = VolumeFileName(SplitArchiveFile, v, foreseen, v == foreseen);
      if (!approve(name)) {
        SetCancel(true);
        ReportAndRaise(name, msg::UserCanceled, "", "");
      }
    }

    const TCentralDirLocation& tail = ZipTail(*this);
    const THeaderDecipher decipher = ComponentHeaderDecipher(*this);
    const TReadAt readAt = [&file](int64_t at, uint8_t* data, int64_t n) {
      return file->ReadExactAt(at, data, n);
    };
    std::optional<std::vector<TDirEntry>> entries;
    if (tail.EndPosition >= 0)
      entries = ReadDirectory(readAt, size, int64_t(tail.CentralOffset()) + OffsetAdjust(),
                              tail.CentralSize(), tail.TotalEntries(), decipher);
    if (!entries) ReportAndRaise(source, msg::BadFileHeader, "", "");

    TSplitVolumes out(*this, SplitArchiveFile, part, approve);
    out.OnNewVolume = [this](int volume, const std::string& name) {
      if (OnSplitNewVolume) OnSplitNewVolume(*this, volume, name);
    };
    uint8_t marker[4];
    PutU32(marker, kSigSpanMarker);
    out.WriteWhole(marker, 4);

    // The entries, each header whole in one volume, the data cut where the volumes end.
    std::vector<std::vector<uint8_t>> records;
    records.reserve(entries->size());
    int64_t done = 0;
    for (const TDirEntry& e : *entries) {
      FileName = e.Record.Name;
      const int64_t local = int64_t(e.LocalOffset) + OffsetAdjust();
      uint64_t headerSize = 0;
      const std::optional<uint64_t> span = EntrySpan(readAt, size, local, e, decipher, headerSize);
      if (!span) ReportAndRaise(e.Record.Name, msg::BadLocalOffset, "", "");
      if (int64_t(headerSize) > out.Room() && !out.Fresh()) out.NextVolume();
      records.push_back(
          RecordAt(e, uint64_t(out.Position()), uint32_t(out.Volume() - 1), SeedHeaderKeys));
      std::vector<uint8_t> header(headerSize);
      if (!file->ReadExactAt(local, header.data(), int64_t(headerSize)))
        ReportAndRaise(source, msg::ErrorReadingFile, "", "");
      out.WriteWhole(header.data(), int64_t(headerSize));
      CopyInPieces(*this, headerSize, *span, size, done, [&](uint64_t at, int64_t n) {
        out.Copy(file->Handle(), local + int64_t(at), n);
      });
    }
    volumes = FinishSet(out, records, tail.Comment, tail.EndEnciphered ? &SeedHeaderKeys : nullptr);
  });
  return volumes;
}

}  // namespace qel
