#include "formats/cab/UnCab.h"

#include <algorithm>

#include "engine/base/Messages.h"
#include "formats/cab/CabDecoder.h"
#include "formats/cab/CabSet.h"

namespace qel {

using namespace cab;

TUnCab::TUnCab() = default;
TUnCab::~TUnCab() = default;

void TUnCab::ExtractEntries() {
  if (!DecoderPresent()) {
    DoError(ArchiveFile(), "", msg::CabinetLibraryNotFound, "");
    return;
  }
  const int64_t base = std::max<int64_t>(HeaderOffset(), 0);
  TCabHeader first;
  if (!ReadCabinetAt(ArchiveFile(), base, first)) {
    DoError(ArchiveFile(), "", msg::BadFileHeader, "");
    return;
  }
  TCabDecoder decoder;
  if (!decoder.Open(ArchiveFile(), base)) {
    ReportFailure(ArchiveFile(), decoder.Failure());
    return;
  }
  Timer.Pause();
  const bool whole = JoinSet(decoder);
  Timer.Resume();
  const std::vector<TCabEntry> entries = decoder.Entries();
  // The files whose data began in the cabinet before this one are that cabinet's to give.
  const auto fromPrevious = [&](size_t i) {
    return i < first.Files.size() && first.Files[i].FromPrevious() &&
           first.Files[i].Name == entries[i].Name;
  };
  std::vector<std::string> names(entries.size());
  int64_t total = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (fromPrevious(i)) continue;
    names[i] = EntryName(entries[i].Name, entries[i].Attributes);
    if (!MatchesSpec(names[i])) continue;
    total += entries[i].Size;
    NoteEntryDate(entries[i].DosDateTime);
  }
  FArchiveTotal = ArchiveBytesLeft = total;
  bool toldFirst = false;
  for (size_t i = 0; i < entries.size() && !Cancel(); ++i) {
    if (fromPrevious(i)) {
      if (!toldFirst) DoError(ArchiveFile(), "", msg::CabinetNeedsFirstDisk, "");
      toldFirst = true;
      continue;
    }
    if (names[i].empty() || !MatchesSpec(names[i])) continue;
    if (!Decode(decoder, entries[i], names[i], whole)) break;
  }
}

bool TUnCab::JoinSet(TCabDecoder& decoder) {
  TCabinetPart first{ArchiveFile(), std::max<int64_t>(HeaderOffset(), 0), {}};
  if (!ReadCabinetAt(first.Path, first.Base, first.Header)) return false;
  TCabSet set(*this, std::move(first));
  while (set.Current().Header.Flags & kHasNext) {
    if (Cancel() || !set.Next()) return false;
    if (!decoder.Append(set.Current().Path)) {
      DoError(set.Current().Path, "", msg::CabinetNotInSet, "");
      return false;
    }
  }
  return true;
}

bool TUnCab::Decode(TCabDecoder& decoder, const TCabEntry& e, const std::string& name,
                    bool wholeSet) {
  const bool folder = e.Attributes & kAttrFolder;
  TUnEntry entry;
  entry.StoredName = name;
  entry.PackedSize = entry.UnpackedSize = e.Size;
  entry.DosDateTime = e.DosDateTime;
  // The DOS bits that mean something here; the name and execute marks are the format's.
  entry.ExternalAttr = e.Attributes & 0x3F;
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder) return true;
  bool opened = false;
  const bool ok = decoder.Extract(
      e, [&] { return opened = OpenOutput(); },
      [&](std::span<const uint8_t> data) {
        WriteOutput(data.data(), data.size(), TCrcWidth::crc32);
        ArchiveBytesLeft -= int64_t(data.size());
        return true;
      });
  const WideString& shown = IsDiskMode() ? OutputName() : name;
  // The output could not be made (reported).
  if (!ok && decoder.Failure().Operation == kTargetFile) return true;
  if (!ok) {
    // What was written goes; a file already at the name stays as it was.
    if (opened) AbandonOutput();
    // Where the set was cut short the missing cabinet was told, and the files before the
    // gap are all there is.
    if (!wholeSet) return false;
    if (!Cancel()) ReportFailure(shown, decoder.Failure());
    if (OnEnd) OnEnd(*this, shown, false);
    return true;
  }
  FinishFile();
  VerifyCRC(TCrcWidth::crc32, DataCrc());
  return true;
}

void TUnCab::ReportFailure(const WideString& name, const TCabFailure& f) {
  if (f.Operation == kUserAbort || Cancel()) return;
  if (f.Operation == kCorruptCabinet)
    DoError(name, "", msg::CorruptInput, "");
  else
    DoError(name, CabinetErrorText(f), msg::UnknownError, "");
}

}  // namespace qel
