#include "formats/cab/UnCab.h"

#include <algorithm>
#include <map>
#include <tuple>

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
  TCabinetPart first{ArchiveFile(), std::max<int64_t>(HeaderOffset(), 0), {}};
  if (!ReadCabinetAt(first.Path, first.Base, first.Header)) {
    DoError(ArchiveFile(), "", msg::BadFileHeader, "");
    return;
  }
  TCabDecoder decoder;
  if (!decoder.Open(first.Path, first.Base)) {
    ReportFailure(ArchiveFile(), decoder.Failure());
    return;
  }
  // The set, joined in the decoder as it is walked; a cabinet that cannot be had ends it.
  std::vector<TCabinetPart> parts{first};
  bool whole = true;
  Timer.Pause();
  for (TCabSet set(*this, std::move(first)); parts.back().Header.Flags & kHasNext;) {
    if (Cancel() || !set.Next()) {
      whole = false;
      break;
    }
    if (!decoder.Append(set.Current().Path)) {
      DoError(set.Current().Path, "", msg::CabinetNotInSet, "");
      whole = false;
      break;
    }
    parts.push_back(set.Current());
  }
  Timer.Resume();

  // The decoder's files by what identifies them in the records.
  const std::vector<TCabEntry> entries = decoder.Entries();
  std::multimap<std::tuple<std::string, uint32_t, uint32_t>, const TCabEntry*> known;
  for (const TCabEntry& e : entries) known.emplace(std::make_tuple(e.Name, e.Size, e.Offset), &e);

  // Where a cabinet is missing, the folder it continues may not be had whole: from the last
  // cabinet back over every cabinet that holds nothing but that folder.
  size_t cutFrom = parts.size();
  if (!whole && (parts.back().Header.Flags & kHasNext)) {
    cutFrom = parts.size() - 1;
    while (cutFrom > 0 && parts[cutFrom].Header.Folders.size() == 1) --cutFrom;
  }
  std::vector<TJob> jobs;
  int64_t total = 0;
  for (size_t p = 0; p < parts.size(); ++p) {
    const TCabHeader& h = parts[p].Header;
    for (const TCabFileRecord& r : h.Files) {
      // A file continued from the cabinet before is that cabinet's record's to give.
      if (r.FromPrevious() && p > 0) continue;
      TJob job{&r, EntryName(r.Name, r.Attributes)};
      if (!MatchesSpec(job.Name)) continue;
      const bool last = r.Folder == kToNext || r.Folder == kPreviousAndNext ||
                        size_t(r.Folder) + 1 == h.Folders.size();
      if (r.FromPrevious()) {
        job.Lack = msg::CabinetNeedsFirstDisk;
      } else if (const auto e = known.find(std::make_tuple(r.Name, r.Size, r.FolderOffset));
                 e != known.end()) {
        job.Entry = e->second;
        job.Cut = p >= cutFrom && last;
        if (job.Cut)
          job.LackWhy =
              "its data goes on in " + parts.back().Header.NextName + ", which could not be joined";
        known.erase(e);
      } else {
        job.Lack = msg::SkippedFile;
        job.LackWhy = "the cabinet decoder does not give it";
      }
      total += r.Size;
      NoteEntryDate(r.DosDateTime());
      jobs.push_back(std::move(job));
    }
  }
  FArchiveTotal = ArchiveBytesLeft = total;
  // In the order of the folders' data: a file behind the one decoded last is reached by
  // decoding on, one before it only by decoding its folder again from its start.
  std::stable_sort(jobs.begin(), jobs.end(), [](const TJob& a, const TJob& b) {
    const auto key = [](const TJob& j) {
      return j.Entry ? std::make_pair(j.Entry->Folder, j.Entry->Offset) : std::make_pair(-1, 0u);
    };
    return key(a) < key(b);
  });
  for (const TJob& job : jobs) {
    if (Cancel()) break;
    Decode(decoder, job);
  }
}

void TUnCab::Decode(TCabDecoder& decoder, const TJob& job) {
  const TCabFileRecord& r = *job.Record;
  const bool folder = r.Attributes & kAttrFolder;
  TUnEntry entry;
  entry.StoredName = job.Name;
  entry.PackedSize = entry.UnpackedSize = r.Size;
  entry.DosDateTime = r.DosDateTime();
  entry.ExternalAttr = r.DosAttributes();
  if (!BuildOutputName(entry)) return;
  const WideString& shown = IsDiskMode() ? OutputName() : job.Name;
  // Never begun, so the error alone tells that it failed.
  if (job.Lack && !folder) {
    DoError(shown, job.LackWhy, job.Lack, "");
    return;
  }
  if (!PrepareEntry(folder) || folder) return;
  bool opened = false;
  const bool ok = decoder.Extract(
      *job.Entry, [&] { return opened = OpenOutput(); },
      [&](std::span<const uint8_t> data) {
        WriteOutput(data.data(), data.size(), TCrcWidth::crc32);
        ArchiveBytesLeft -= int64_t(data.size());
        return true;
      });
  if (ok) {
    FinishFile();
    VerifyCRC(TCrcWidth::crc32, DataCrc());
    return;
  }
  // An output that could not be made was reported where it failed.
  if (decoder.Failure().Operation == kTargetFile && !opened) return;
  // What was written goes; a file already at the name stays as it was.
  if (opened) AbandonOutput();
  if (job.Cut && !Cancel())
    DoError(shown, job.LackWhy, msg::FileNotFound, "");
  else
    ReportFailure(shown, decoder.Failure());
  if (OnEnd) OnEnd(*this, shown, false);
}

void TUnCab::ReportFailure(const WideString& name, const TCabFailure& f) {
  if (Cancel()) return;
  if (f.Operation == kCorruptCabinet)
    DoError(name, "", msg::CorruptInput, "");
  else
    DoError(name, CabinetErrorText(f), msg::UnknownError, "");
}

}  // namespace qel
