#include "formats/uue/ListBranch.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/DateTime.h"
#include "engine/list/ListSession.h"
#include "engine/text/EntryNames.h"
#include "formats/uue/UuHeader.h"

namespace qel {

using namespace uu;

void ListUu(TListSession& s) {
  const int64_t from = std::max<int64_t>(s.StartOffset, 0);
  TTextLines lines(s.Reader(), from, s.FileSize);
  const std::optional<TUuStart> start = FindUuStart(lines, from + kHeaderSearch);
  if (!start) {
    s.BadHeader();
    return;
  }
  const std::string& archive = s.Q.ArchiveFile();
  TEntryRecord e;
  e.FileName = start->Name.empty() ? std::filesystem::path(archive).stem().string()
                                   : text::DecodeEntryName(start->Name, text::TNameCodePage::Ansi);
  struct stat st {};
  e.Date = UnixToDateTime(::stat(archive.c_str(), &st) == 0 ? st.st_mtime : 0);
  e.PackedSize = e.UnpackedSize = s.FileSize;
  e.ExternalAttr = 0x20;
  // The encoder read the set's parts one after another: they decode as one file.
  if (start->Mode == kZipSetMode) e.FileComment = "a multi-volume ZIP set, its parts joined";
  s.Report(e, from, uint64_t(s.FileSize), false);
}

}  // namespace qel
