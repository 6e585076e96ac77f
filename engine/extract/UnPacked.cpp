#include "engine/extract/UnPacked.h"

#include "codecs/bzip2/Bz2Errors.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"

namespace qel {

namespace {

constexpr int64_t kPiece = int64_t(1) << 18;

}  // namespace

void TUnPacked::ExtractEntries() {
  const TPackedEntry entry = DescribeEntry();
  if (MatchesSpec(entry.Name)) ExtractWhole(entry);
}

TPackedEntry TUnPacked::DescribeEntry() {
  TPackedEntry e;
  DescribePacked(*ArchiveStream(), ArchiveFile(), e);
  return e;
}

std::unique_ptr<TPackedStream> TUnPacked::OpenData() {
  int refusal = 0;
  std::unique_ptr<TPackedStream> data = OpenPacked(*ArchiveStream(), refusal);
  if (!data) DoError(ArchiveFile(), "", refusal ? refusal : msg::UnsupportedArchiveType, "");
  return data;
}

void TUnPacked::ExtractWhole(const TPackedEntry& packed) {
  TFileStream32& file = *ArchiveStream();
  TUnEntry entry;
  entry.StoredName = packed.Name;
  entry.PackedSize = file.Size();
  entry.UnpackedSize = packed.HasTrailer ? packed.Length : 0;
  entry.UnixTime = packed.UnixTime;
  entry.DosDateTime = UnixToDosDateTime(packed.UnixTime);
  if (!BuildWholeFileOutputName(entry)) return;
  if (!PrepareEntry(false)) return;
  std::unique_ptr<TPackedStream> data = OpenData();
  if (!data) {
    PassOver(entry.StoredName);
    return;
  }
  if (!OpenOutput()) return;
  const std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
  try {
    while (const int64_t n = data->Read(piece.get(), kPiece)) {
      ArchiveBytesLeft = FArchiveTotal - data->Consumed();
      WriteOutput(piece.get(), size_t(n), TCrcWidth::crc32);
    }
  } catch (const Ebz2Error& error) {
    AbandonOutput();
    DoError(entry.StoredName, error.what(), msg::UnknownError, "");
    return;
  }
  FinishFile();
  if (data->State() == TPackedState::Truncated)
    DoError(entry.StoredName, "", msg::UnexpectedEndOfFile, "");
  const bool intact = data->State() == TPackedState::Intact;
  VerifyCRC(TCrcWidth::crc32, intact ? DataCrc() : DataCrc() ^ 1);
}

}  // namespace qel
