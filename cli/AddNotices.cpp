#include "cli/AddNotices.h"

#include <filesystem>
#include <ostream>

namespace vk::cli {
namespace {

struct NoticeText {
  const char* one;
  const char* many;
  const char* why;
};

// In the order of TScanNotice.
constexpr NoticeText kTexts[qel::kScanNoticeCount] = {
    {"left out %n symbolic link", "left out %n symbolic links", ""},
    {"left out %n hidden folder", "left out %n hidden folders", " (names starting with \".\")"},
    {"left out %n special file", "left out %n special files", " (FIFOs, sockets, devices)"},
    {"%n name matched no file", "%n names matched no file", ""},
    {"stored %n name holding \"\\\"", "stored %n names holding \"\\\"",
     ", which other tools read as a folder separator"},
};

// A path below the current folder as it would be typed there; any other as it is.
std::string Shown(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path rel =
      std::filesystem::path(path).lexically_relative(std::filesystem::current_path(ec));
  return ec || rel.empty() || *rel.begin() == ".." ? path : rel.string();
}

}  // namespace

void AddNotices::Attach(qel::TCompressClass& writer) {
  writer.OnScanNotice = [this](qel::TZipCommon&, const std::string& name, qel::TScanNotice n) {
    names_[size_t(n)].push_back(name);
  };
}

void AddNotices::Print(std::ostream& err, bool verbose) const {
  for (size_t kind = 0; kind < names_.size(); ++kind) {
    const std::vector<std::string>& names = names_[kind];
    if (names.empty()) continue;
    std::string line = names.size() == 1 ? kTexts[kind].one : kTexts[kind].many;
    line.replace(line.find("%n"), 2, std::to_string(names.size()));
    err << "vorelkit-cli: " << line << kTexts[kind].why << (verbose ? ":" : " (-v lists them)")
        << "\n";
    if (verbose)
      for (const std::string& name : names) err << "  " << Shown(name) << "\n";
  }
}

}  // namespace vk::cli
