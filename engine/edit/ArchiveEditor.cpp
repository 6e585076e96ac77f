#include "engine/edit/ArchiveEditor.h"

#include <unordered_map>
#include <unordered_set>

#include "engine/base/Messages.h"
#include "engine/compress/CompBase.h"
#include "engine/compress/StoredNames.h"
#include "engine/extract/OutputNames.h"
#include "engine/filters/Masks.h"
#include "engine/registry/Formats.h"
#include "engine/text/Utf8.h"

namespace qel {
namespace {

// Headers hold a name's length in 16 bits.
constexpr size_t kLongestName = 0xFFFF;

// The characters of a name, each as its UTF-8 bytes (a byte that is not UTF-8 on its own).
std::vector<std::string> Characters(std::string_view s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    char32_t c;
    const size_t n = std::max<size_t>(1, text::DecodeUtf8Char(s, i, c));
    out.emplace_back(s.substr(i, n));
    i += n;
  }
  return out;
}

WideString WithSlash(const WideString& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

}  // namespace

WideString MapName(const WideString& name, const WideString& sourceMask,
                   const WideString& targetMask) {
  if (name.empty() || sourceMask == targetMask) return name;
  const WideString folder = FolderOf(name);
  const std::vector<std::string> file = Characters(NamePart(name));
  size_t lastDot = file.size();
  for (size_t i = 0; i < file.size(); ++i)
    if (file[i] == ".") lastDot = i;
  const std::vector<std::string> mask = Characters(targetMask);
  std::string out;
  size_t at = 0;  // the name's character facing the mask's
  for (size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == "*") {
      const size_t stop = i + 1 == mask.size() || lastDot < at ? file.size() : lastDot;
      for (; at < stop; ++at) out += file[at];
    } else {
      if (mask[i] != "?")
        out += mask[i];
      else if (at < file.size())
        out += file[at];
      ++at;
    }
  }
  return folder.empty() ? out : WithSlash(folder) + out;
}

TArchiveEditor::TArchiveEditor() { RecurseDirs = false; }
TArchiveEditor::~TArchiveEditor() = default;

bool TArchiveEditor::Open() {
  Close();
  if (ArchiveFile().empty()) {
    DoError("", "ArchiveFile Property", msg::ErrorOpeningFile, "");
    return false;
  }
  const TFormatWriter* writer = Can(ArcType(), capRename) ? UpdaterFor(ArcType()) : nullptr;
  if (!writer) {
    DoError(ArchiveFile(), "", msg::UnsupportedArchiveType, "");
    return false;
  }
  std::unique_ptr<TCompBase> w = writer->Make();
  w->SetExistingArchive(ArchiveFile());
  w->SetTempDir(TempDir());
  w->SeedHeaderKeys = SeedHeaderKeys;
  w->Drives = Drives;
  w->OnNonWriteableArchive = OnNonWriteableArchive;
  w->OnTmpFileMoveBegin = OnTmpFileMoveBegin;
  w->OnTmpFileMoveEnd = OnTmpFileMoveEnd;
  // The writer's reports are the editor's.
  w->OnError = [this](TZipCommon&, const WideString& file, const WideString& extended,
                      const WideString& volume, int code) {
    if (OnError) OnError(*this, file, extended, volume, code);
  };
  if (!w->ReadEntries(FEntries)) {
    FEntries.clear();
    return false;
  }
  FWriter = std::move(w);
  FOpened.clear();
  for (const TCompEntry& e : FEntries) {
    FOpened.push_back(e.StoredName);
    if (OnGetCompressedFileName) OnGetCompressedFileName(*this, e.StoredName);
  }
  return true;
}

void TArchiveEditor::Close() {
  FWriter.reset();
  FEntries.clear();
  FOpened.clear();
}

WideString TArchiveEditor::EntryName(int index) const {
  return index >= 0 && index < Count() ? FEntries[size_t(index)].StoredName : WideString();
}

bool TArchiveEditor::SameName(const WideString& a, const WideString& b) const {
  return CaseSensitive ? a == b : EqualIgnoringCase(a, b);
}

bool TArchiveEditor::RenameEntry(int index, const WideString& newName) {
  if (!IsOpen() || index < 0 || index >= Count()) return false;
  TCompEntry& e = FEntries[size_t(index)];
  std::optional<std::string> name = CleanStoredName(newName, true);
  if (name && e.IsFolder) *name = WithSlash(*name);
  // A file's name must still name a file, and every name must fit its header.
  // A name goes into the header as UTF-8, flagged so: bytes that are not UTF-8 would make
  // the archive unreadable to strict readers.
  if (!name || name->empty() || *name == "/" || name->size() > kLongestName ||
      (!e.IsFolder && name->back() == '/') || !text::IsValidUtf8(*name)) {
    DoError(newName, "", msg::InvalidFileName, "");
    return false;
  }
  e.StoredName = *name;
  return true;
}

int TArchiveEditor::RenameFolder(const WideString& folder, const WideString& newFolder) {
  if (!IsOpen() || folder.empty()) return 0;
  const WideString from = WithSlash(folder);
  const std::optional<std::string> cleaned = CleanStoredName(WithSlash(newFolder), true);
  if (!cleaned || cleaned->empty() || cleaned->size() > kLongestName) {
    DoError(newFolder, "", msg::InvalidFileName, "");
    return -1;
  }
  int renamed = 0;
  for (int i = 0; i < Count(); ++i) {
    const WideString& name = FEntries[size_t(i)].StoredName;
    if (name.compare(0, from.size(), from) != 0) continue;
    if (!RenameEntry(i, *cleaned + name.substr(from.size()))) return -1;
    ++renamed;
  }
  return renamed;
}

bool TArchiveEditor::RenamePath(const WideString& path, const WideString& newPath) {
  if (path.empty()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!FEntries[size_t(i)].IsFolder && FEntries[size_t(i)].StoredName == path)
      return RenameEntry(i, newPath);
  const WideString folder = WithSlash(path);
  for (const TCompEntry& e : FEntries)
    if (e.StoredName.compare(0, folder.size(), folder) == 0)
      return RenameFolder(folder, newPath) > 0;
  return false;
}

int TArchiveEditor::BatchRename(const WideString& sourceMask, const WideString& targetMask,
                                const WideString& folder) {
  if (!IsOpen() || sourceMask.empty() || targetMask.empty() || sourceMask == targetMask) return 0;
  // The target mask makes file names: a folder in it would be taken for characters of one.
  if (targetMask.find_first_of("/\\") != WideString::npos) {
    DoError(targetMask, "", msg::InvalidFileName, "");
    return 0;
  }
  const TStrings selection{RecurseDirs ? sourceMask : WithSlash(folder) + sourceMask};
  int renamed = 0;
  for (int i = 0; i < Count(); ++i) {
    const TCompEntry& e = FEntries[size_t(i)];
    if (e.IsFolder || !MatchesSpec(e.StoredName, selection, {}, RecurseDirs, nullptr)) continue;
    const WideString old = e.StoredName;
    const WideString name = MapName(old, sourceMask, targetMask);
    bool skip = false;
    if (OnBatchSkipFile) OnBatchSkipFile(*this, old, name, i, skip);
    if (!skip && name != old && RenameEntry(i, name)) ++renamed;
  }
  return renamed;
}

bool TArchiveEditor::Modified() const {
  for (size_t i = 0; i < FEntries.size(); ++i)
    if (!SameName(FEntries[i].StoredName, FOpened[i])) return true;
  return false;
}

int TArchiveEditor::FirstClash() const {
  // Every name, and every folder a name lies in ("a/" and "a/b/" for "a/b/c").
  std::unordered_map<WideString, int> uses;
  std::unordered_set<WideString> folders;
  for (const TCompEntry& e : FEntries) {
    ++uses[e.StoredName];
    for (size_t slash = e.StoredName.find('/');
         slash != WideString::npos && slash + 1 < e.StoredName.size();
         slash = e.StoredName.find('/', slash + 1))
      folders.insert(e.StoredName.substr(0, slash + 1));
  }
  const auto isFile = [&](const WideString& name) {
    return uses.count(name) && name.back() != '/';
  };
  for (size_t i = 0; i < FEntries.size(); ++i) {
    const WideString& name = FEntries[i].StoredName;
    if (name == FOpened[i]) continue;
    if (uses[name] > 1) return int(i);
    // A file where a folder is, or a folder of the name where a file is: no file system
    // could hold both.
    if (name.back() != '/' && folders.count(name + '/')) return int(i);
    for (size_t slash = name.find('/'); slash != WideString::npos;
         slash = name.find('/', slash + 1))
      if (isFile(name.substr(0, slash))) return int(i);
  }
  return -1;
}

bool TArchiveEditor::CheckNames() {
  // Two entries of one name would make the archive ambiguous: which one a name stands for
  // would depend on the tool reading it.
  const int clash = FirstClash();
  if (clash >= 0) DoError(FEntries[size_t(clash)].StoredName, "", msg::DuplicateName, "");
  return clash < 0;
}

bool TArchiveEditor::Commit() {
  if (!IsOpen() || !Modified() || !CheckNames()) return false;
  for (size_t i = 0; i < FEntries.size(); ++i) {
    TCompEntry& e = FEntries[i];
    e.State = e.StoredName == FOpened[i] ? TEntryState::esKeep : TEntryState::esRename;
    if (OnCommitFileName) OnCommitFileName(*this, e.StoredName, int(i));
  }
  if (!FWriter->Rename(FEntries)) {
    for (TCompEntry& e : FEntries) e.State = TEntryState::esKeep;
    return false;
  }
  // The new archive's entries from now on: its offsets and headers are what a later commit
  // checks the archive against.
  TCompList written;
  if (FWriter->ReadEntries(written) && written.size() == FEntries.size()) {
    FEntries = std::move(written);
    for (size_t i = 0; i < FEntries.size(); ++i) FOpened[i] = FEntries[i].StoredName;
  } else {
    Close();
  }
  return true;
}

}  // namespace qel
