#include "formats/uue/UnUu.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/text/EntryNames.h"
#include "engine/volumes/VolumeNames.h"

namespace qel {

using namespace uu;

namespace {

// A decoded Base64 line holds at most three quarters of the longest line kept.
constexpr size_t kLineBuffer = TTextLines::kMaxLine;
// Lines hold a few dozen bytes: the output takes them gathered.
constexpr size_t kGatherSize = size_t(1) << 16;

bool IsPartLine(std::string_view line) {
  return line.starts_with("part ") || line.starts_with("begin ") || line.starts_with("size ");
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace

TUUDecode::TUUDecode() = default;
TUUDecode::~TUUDecode() = default;

WideString TUUDecode::NextVolumeName() { return NextNumberedVolume(VolumeName(), 'u'); }

void TUUDecode::ExtractEntries() {
  FVolume = 0;
  FVolumesRead = 0;
  TFileStream32& file = *ArchiveStream();
  auto lines = std::make_unique<TTextLines>(HeaderReadAt(), std::max<int64_t>(HeaderOffset(), 0),
                                            file.Size());
  const std::optional<TUuStart> start = FindUuStart(*lines, kHeaderSearch);
  if (!start) {
    // A data line where the text begins: a later volume of a set, opened on its own.
    std::string first;
    TTextLines head(HeaderReadAt(), 0, file.Size());
    uint8_t out[kMaxLineBytes];
    if (head.Next(first) &&
        DecodeLengthLine(AlphabetOf(ChooseLengthKind(first)), first, out, true) > 0)
      DoError(ArchiveFile(),
              "line starting with " + std::to_string(uint8_t(first[0])) + " found before \"begin\"",
              msg::LineBeforeBegin, "");
    else
      DoError(ArchiveFile(), "", msg::NoBeginLine, "");
    return;
  }
  // A later volume of a set opened on its own holds only the end of the file.
  if (start->Part > 1) {
    DoError(ArchiveFile(), "the file begins in an earlier volume", msg::SkippedFile, "");
    return;
  }
  // A MIME part that names no file is named after the text.
  const std::string stored = start->Name.empty()
                                 ? std::filesystem::path(ArchiveFile()).stem().string()
                                 : text::DecodeEntryName(start->Name, text::TNameCodePage::Ansi);
  if (!MatchesSpec(stored)) return;
  TUnEntry entry;
  entry.StoredName = stored;
  entry.PackedSize = file.Size();
  entry.UnpackedSize = file.Size() / 4 * 3;  // about; the text says no more
  struct stat st {};
  if (::fstat(file.Handle(), &st) == 0) entry.UnixTime = st.st_mtime;
  entry.DosDateTime = UnixToDosDateTime(entry.UnixTime);
  if (const std::optional<uint32_t> mode = ModeBits(start->Mode)) {
    entry.ExternalAttr = (0100000 | *mode) << 16;
    entry.HostSystem = 3;
  }
  if (!BuildWholeFileOutputName(entry)) return;
  lines = std::make_unique<TTextLines>(HeaderReadAt(), start->DataStart, file.Size());
  if (!PrepareEntry(false) || !OpenOutput()) return;
  bool whole = false;
  try {
    FGathered.clear();
    FDecoded = 0;
    whole = start->Kind == TUuKind::Base64 ? DecodeBase64(*lines, start->Mode >= 0)
                                           : DecodeLengthLines(lines, *start);
    Flush();
  } catch (const E_RAISE&) {
    AbandonOutput();
    return;
  }
  FinishFile();
  // The damage was told: the output goes, and there is no check sum to fail besides.
  if (!whole) {
    AbandonOutput();
    if (OnEnd) OnEnd(*this, IsDiskMode() ? OutputName() : stored, false);
    return;
  }
  // The encoder read a multi-volume ZIP set's parts one after another and kept no bounds:
  // what comes out is their data joined, which no ZIP reader takes as it is.
  if (VerifyCRC(TCrcWidth::crc32, DataCrc()) && start->Mode == kZipSetMode)
    DoError(OutputName(), "the parts of a multi-volume ZIP set, joined into one file",
            msg::BrokenVolumeChain, "");
}

bool TUUDecode::CountHolds(TTextLines& lines) {
  // "N bytes" after the end line, as this program's encoder writes it, must be what came.
  std::string line;
  if (!lines.Next(line) || !line.ends_with(" bytes")) return true;
  const std::string digits = line.substr(0, line.size() - 6);
  if (digits.empty() || digits.size() > 18 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return true;
  if (std::stoll(digits) == FDecoded) return true;
  DoError(OutputName(), digits + " bytes announced, " + std::to_string(FDecoded) + " decoded",
          msg::CorruptInput, VolumeName());
  return false;
}

void TUUDecode::Gather(const uint8_t* data, size_t size) {
  FDecoded += int64_t(size);
  FGathered.insert(FGathered.end(), data, data + size);
  if (FGathered.size() >= kGatherSize) Flush();
}

void TUUDecode::Flush() {
  WriteOutput(FGathered.data(), FGathered.size(), TCrcWidth::crc32);
  FGathered.clear();
}

void TUUDecode::Progress(const TTextLines& lines) {
  ArchiveBytesLeft = FArchiveTotal - FVolumesRead - lines.Position();
}

bool TUUDecode::Damaged(const TTextLines& lines) {
  DoError(OutputName(), "at byte " + std::to_string(lines.Position()), msg::CorruptInput,
          VolumeName());
  return false;
}

bool TUUDecode::DecodeLengthLines(std::unique_ptr<TTextLines>& lines, const TUuStart& start) {
  const TAlphabet* alphabet = start.Table       ? &*start.Table
                              : start.KindKnown ? &AlphabetOf(start.Kind)
                                                : nullptr;
  std::string line;
  uint8_t out[kMaxLineBytes];
  bool seeking = false;  // in a later volume without a begin line: its data is yet to come
  for (;;) {
    while (lines->Next(line)) {
      Progress(*lines);
      // Nearly every line is data: it goes first ("end" and the other words read as none).
      if (alphabet && !seeking) {
        if (const int n = DecodeLengthLine(*alphabet, line, out); n > 0) {
          Gather(out, size_t(n));
          continue;
        }
      }
      if (IsEndLine(line)) return CountHolds(*lines);
      if (IsBlank(line)) continue;
      if (!alphabet) alphabet = &AlphabetOf(ChooseLengthKind(line));
      // In a later volume without a begin line, the data starts with a full line read whole:
      // a heading that merely reads as a line is no data.
      if (seeking && DecodeLengthLine(*alphabet, line, out, true) != int(kLengthLineBytes))
        continue;
      seeking = false;
      const int n = DecodeLengthLine(*alphabet, line, out);
      if (n > 0) {
        Gather(out, size_t(n));
      } else if (n < 0 && !IsPartLine(line)) {
        return Damaged(*lines);
      }
    }
    // The volume ended before the data: it goes on in the next one, after its begin line
    // or, where it has none, after whatever heads it.
    if (!NextPart(lines, seeking)) return false;
  }
}

bool TUUDecode::DecodeBase64(TTextLines& lines, bool closed) {
  std::string line;
  uint8_t out[kLineBuffer];
  bool started = false;
  while (lines.Next(line)) {
    Progress(lines);
    std::string_view l = line;
    // Trailing white space is no part of the data.
    while (!l.empty() && (l.back() == ' ' || l.back() == '\t')) l.remove_suffix(1);
    // The end line, or a MIME boundary (or the signature after the part): the data is over.
    if (IsEndLine(l)) return CountHolds(lines);
    if (l.starts_with("--")) return true;
    if (l.empty()) continue;
    // The begin line some encoders write after the MIME headers.
    if (!started && l.starts_with("begin")) continue;
    bool ended = false;
    const int n = lines.LastCut() ? -1 : DecodeBase64Line(l, out, ended);
    if (n < 0) return Damaged(lines);
    Gather(out, size_t(n));
    started = true;
    if (ended) return true;
  }
  // A MIME part may end with its mail; a begin-base64 text ends with its own line.
  if (closed) DoError(OutputName(), "", msg::UnexpectedEndOfFile, VolumeName());
  return !closed;
}

bool TUUDecode::NextPart(std::unique_ptr<TTextLines>& lines, bool& seeking) {
  FVolumesRead += ArchiveStream()->Size();
  ++FVolume;
  if (!TDecompressClass::OpenNextVolume()) {
    DoError(OutputName(), "", msg::UnexpectedEndOfFile, VolumeName());
    return false;
  }
  FArchiveTotal += ArchiveStream()->Size();
  const auto open = [&] {
    lines = std::make_unique<TTextLines>(HeaderReadAt(), 0, ArchiveStream()->Size());
  };
  open();
  seeking = !FindUuStart(*lines, kHeaderSearch);
  if (seeking) open();
  return true;
}

}  // namespace qel
