#include "engine/extract/UnPacked.h"

#include <sys/stat.h>

#include "codecs/bzip2/Bz2Errors.h"
#include "engine/base/Messages.h"
#include "engine/packed/GzipHeader.h"
#include "engine/packed/PackedNames.h"
#include "engine/streams/FileStream32.h"
#include "engine/text/EntryNames.h"

namespace qel {

namespace {

constexpr int64_t kPiece = int64_t(1) << 18;

}  // namespace

void TUnPacked::ExtractEntries() {
  const TPackedEntry entry = DescribeEntry();
  if (MatchesSpec(entry.Name)) ExtractWhole(entry);
}

TUnPacked::TPackedEntry TUnPacked::DescribeEntry() {
  TFileStream32& file = *ArchiveStream();
  TPackedEntry e;
  uint8_t head[4] = {};
  e.Kind = PackedKindOf(head, file.ReadAt(0, head, sizeof head));
  struct stat st {};
  e.UnixTime = ::stat(ArchiveFile().c_str(), &st) == 0 ? int64_t(st.st_mtime) : 0;
  std::string stored;
  if (e.Kind == TPackedKind::Gzip) {
    gzip::TGzipHeader h;
    if (gzip::ReadGzipHeader(file.ExactReader(), file.Size(), 0, h)) {
      stored = text::DecodeEntryName(h.Name, text::TNameCodePage::Ansi);
      if (h.MTime != 0) e.UnixTime = h.MTime;
    }
    // The last member's length, which is the whole data's for the usual single member.
    uint8_t size[4];
    if (file.Size() >= 18 && file.ReadExactAt(file.Size() - 4, size, 4))
      e.UnpackedSize = GetU32(size);
  }
  e.Name = UnpackedName(e.Kind, stored, ArchiveFile());
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
  entry.UnpackedSize = packed.UnpackedSize;
  entry.UnixTime = packed.UnixTime;
  entry.DosDateTime = UnixToDosDateTime(packed.UnixTime);
  FArchiveTotal = ArchiveBytesLeft = file.Size();
  NoteEntryDate(entry.DosDateTime);
  if (!BuildOutputName(entry)) return;
  // A file whose name carries no compression's extension would come out under its own.
  if (IsDiskMode() && IsArchiveFile(OutputName())) {
    DoError(OutputName(), "", msg::SameInputOutput, "");
    return;
  }
  if (!PrepareEntry(false)) return;
  std::unique_ptr<TPackedStream> data = OpenData();
  if (!data) {
    --FCount;
    if (OnEnd) OnEnd(*this, entry.StoredName, false);
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
