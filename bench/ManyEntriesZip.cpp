#include "bench/ManyEntriesZip.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "tests/support/ZipImage.h"

namespace vk::bench {

const std::string& ManyEntriesZip(const std::string& folder) {
  static const std::string path = [&folder] {
    const std::string file = folder + "/list-200k.zip";
    if (std::filesystem::exists(file)) return file;
    std::vector<qel::test::ZipEntry> entries;
    entries.reserve(kManyEntries);
    char name[40];
    for (int i = 0; i < kManyEntries; ++i) {
      std::snprintf(name, sizeof name, "folder%03d/entry%06d.txt", i / 1000, i);
      entries.push_back({name, "entry " + std::to_string(i) + "\n"});
    }
    // Zip64 records carry the entry count.
    qel::test::ZipOptions options;
    options.zip64 = true;
    const qel::test::Bytes bytes = qel::test::BuildStoredZip(entries, options).bytes;
    const std::string part = file + ".part";
    FILE* f = std::fopen(part.c_str(), "wb");
    const bool written = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) std::fclose(f);
    if (written) std::filesystem::rename(part, file);
    return file;
  }();
  return path;
}

}  // namespace vk::bench
