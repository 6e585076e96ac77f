#include "tests/support/SampleArchives.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>

namespace qel::test {

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == '\t')
      fields.emplace_back();
    else if (c != '\r')
      fields.back() += c;
  }
  return fields;
}

}  // namespace

std::string SampleFolder() { return VK_SAMPLE_DIR; }

std::vector<TSample> SamplesOf(const std::string& format) {
  std::ifstream manifest(SampleFolder() + "/MANIFEST.tsv");
  if (!manifest) return {TSample{}};
  // file, format, method_variant, source, license, verified_by, member, size, crc32, notes
  enum { kFile, kFormat, kVariant, kMember = 6, kSize, kCrc, kColumns };
  static const std::regex password("password \"([^\"]*)\"");
  std::vector<TSample> samples;
  std::string line;
  std::getline(manifest, line);  // the header
  while (std::getline(manifest, line)) {
    const std::vector<std::string> f = Fields(line);
    // A volume of a set after the first has no members of its own.
    if (f.size() < kColumns || f[kFormat] != format || f[kMember] == "-") continue;
    if (samples.empty() || samples.back().file != f[kFile]) {
      TSample sample{f[kFile], "", {}};
      std::smatch m;
      if (std::regex_search(f[kVariant], m, password)) sample.password = m[1];
      samples.push_back(sample);
    }
    samples.back().members.push_back({f[kMember], f[kSize], f[kCrc]});
  }
  return samples;
}

std::string SampleTestName(const TSample& sample) {
  if (sample.file.empty()) return "FolderAbsent";
  std::string name = std::filesystem::path(sample.file).filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

}  // namespace qel::test
