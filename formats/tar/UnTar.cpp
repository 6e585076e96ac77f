#include "formats/tar/UnTar.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "engine/base/Messages.h"
#include "engine/filters/Masks.h"
#include "engine/streams/FileStream32.h"
#include "formats/tar/TarNames.h"
#include "formats/tar/TarSource.h"
#include "formats/tar/TarWalker.h"

namespace qel {

using namespace tar;

namespace {

constexpr int64_t kPiece = int64_t(1) << 18;
constexpr uint8_t kHostUnix = 3;
constexpr uint32_t kDosFolder = 0x10;

}  // namespace

void TUnTar::ExtractEntries() {
  if (ArcType() != atTar) {
    const std::optional<bool> members = MembersWanted();
    if (!members) return;
    if (!*members) {
      const TPackedEntry whole = DescribeEntry();
      if (MatchesSpec(whole.Name)) ExtractWhole(whole);
      return;
    }
  }
  ExtractMembers();
}

std::optional<bool> TUnTar::MembersWanted() {
  if (OutputMode() == TOutputMode::ExtractAsIs) return false;
  // Members named one by one (the window's selection, a viewed entry) are what is wanted.
  const bool everything =
      FileSpec.empty() || std::any_of(FileSpec.begin(), FileSpec.end(),
                                      [](const WideString& mask) { return TakesEveryName(mask); });
  if (!IsDiskMode() || !everything) return true;
  if (!OnNestedTarFile) {
    DoError(ArchiveFile(), "OnNestedTarFile", msg::RequiredEventNotAssigned, "");
    return std::nullopt;
  }
  bool members = true;
  Timer.Pause();
  OnNestedTarFile(*this, DescribeEntry().Name, members);
  Timer.Resume();
  return members;
}

void TUnTar::ExtractMembers() {
  TFileStream32& file = *ArchiveStream();
  TTarSource source;
  int refusal = 0;
  if (!OpenTarSource(file, source, refusal, [this] { return Cancel(); })) {
    DoError(ArchiveFile(), "", refusal, "");
    return;
  }
  FArchiveTotal = ArchiveBytesLeft = file.Size();
  TTarWalker walker(*source.Input, source.Size);
  TTarMember m;
  TTarStep step;
  while (!Cancel() && (step = walker.Next(m)) == TTarStep::Member) {
    ExtractMember(m, walker, source);
  }
  if (Cancel()) return;
  if (step == TTarStep::Bad) DoError(ArchiveFile(), "", msg::BadFileHeader, "");
  if (const int fault = PackedFault(source); fault != 0 && !Cancel())
    DoError(ArchiveFile(), "", fault, "");
}

void TUnTar::ExtractMember(const TTarMember& m, TTarWalker& walker, const TTarSource& source) {
  ArchiveBytesLeft = FArchiveTotal - source.Consumed(walker.Position());
  const WideString name = MemberName(m);
  if (!MatchesSpec(name)) return;
  if (m.Kind == TTarKind::HardLink || m.Kind == TTarKind::SymLink || m.Kind == TTarKind::Other) {
    // Nothing of theirs is tested: they hold no data.
    if (!IsDiskMode()) return;
    const char* what = m.Kind == TTarKind::HardLink  ? "a hard link: links are not made"
                       : m.Kind == TTarKind::SymLink ? "a symbolic link: links are not made"
                                                     : "not a file or folder";
    DoError(name, what, msg::SkippedFile, "");
    return;
  }
  const bool folder = m.Kind == TTarKind::Folder;
  TUnEntry entry;
  entry.StoredName = name;
  entry.PackedSize = entry.UnpackedSize = m.Size;
  entry.UnixTime = m.MTime;
  entry.DosDateTime = UnixToDosDateTime(m.MTime);
  entry.ExternalAttr = (folder ? kDosFolder : 0) | (m.Mode << 16);
  entry.HostSystem = kHostUnix;
  NoteEntryDate(entry.DosDateTime);
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder || !OpenOutput()) return;
  const std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
  int64_t copied = 0;
  while (const int64_t n = walker.ReadData(piece.get(), kPiece)) {
    ArchiveBytesLeft = FArchiveTotal - source.Consumed(walker.Position());
    WriteOutput(piece.get(), size_t(n), TCrcWidth::crc32);
    copied += n;
  }
  FinishFile();
  // A member has no check of its own: it passes when all of its data was there.
  VerifyCRC(TCrcWidth::crc32, copied == m.Size ? DataCrc() : DataCrc() ^ 1);
}

}  // namespace qel
