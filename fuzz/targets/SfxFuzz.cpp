// Self-extractors over arbitrary archives: a stub is put in front of the bytes (their offsets
// moved when they look like a ZIP), and whatever was made is taken apart again. Neither may
// crash, hang or write anything but its own output; an SFX that was made must come apart.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/zip/MakeSfx.h"
#include "formats/zip/UnSfx.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

// One scratch folder for the whole run, with the stub in it.
const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "vk-sfx-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    std::ofstream(pattern + "/VorelZip.dat", std::ios::binary) << "\x7F"
                                                                  "ELF"
                                                               << std::string(60, '\x90');
    return pattern;
  }();
  return folder;
}

}  // namespace

int FuzzSfx(const uint8_t* data, size_t size) {
  const std::string& folder = Folder();
  const std::string archive = folder + "/in.zip";
  const std::string sfx = folder + "/in.exe";
  const std::string back = folder + "/back.zip";
  std::ofstream(archive, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  std::filesystem::remove(sfx);
  std::filesystem::remove(back);

  qel::TMakeSFX make;
  make.SetArchiveFile(archive);
  make.SfxStubDir = folder;
  const bool made = make.Execute();
  if (made != std::filesystem::exists(sfx)) std::abort();
  if (!made) return 0;

  qel::TUnSfx unsfx;
  unsfx.SetArchiveFile(sfx);
  if (!unsfx.OutFilename().empty()) {
    unsfx.SetOutFilename(back);
    if (unsfx.Convert() != std::filesystem::exists(back)) std::abort();
  }
  return 0;
}

}  // namespace vk::fuzz
