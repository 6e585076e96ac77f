// Renaming inside arbitrary archives: the first entry, and the folder of the last one, get
// new names and are committed. Nothing may crash or hang; a commit that fails leaves the
// archive byte for byte as it was, and one that succeeds leaves every entry in it.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/compress/StoredNames.h"
#include "engine/edit/ArchiveEditor.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vk-rename-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}

std::string Contents(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int FuzzRename(const uint8_t* data, size_t size) {
  const std::string& folder = Folder();
  const std::string archive = folder + "/in.zip";
  const std::string original(reinterpret_cast<const char*>(data), size);
  std::ofstream(archive, std::ios::binary | std::ios::trunc) << original;

  qel::TArchiveEditor editor;
  editor.SetTempDir(folder);
  editor.SetArchiveFile(archive);
  if (!editor.Open() || editor.Count() == 0) return 0;
  const int count = editor.Count();
  editor.RenameEntry(0, "renamed/" + std::to_string(size));
  const std::string last = qel::FolderOf(editor.EntryName(count - 1));
  if (!last.empty()) editor.RenamePath(last, "moved");
  if (!editor.Modified()) return 0;
  if (!editor.Commit()) {
    if (Contents(archive) != original) std::abort();
  } else if (editor.IsOpen() && editor.Count() != count) {
    std::abort();
  }
  return 0;
}

}  // namespace vk::fuzz
