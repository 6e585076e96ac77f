// A scratch folder for the drive tests, removed with everything in it at the end.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace qel::platform::test {

class DrivesTestFolder {
 public:
  DrivesTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "drives-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
    path_ = std::filesystem::canonical(pattern);
  }
  ~DrivesTestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  DrivesTestFolder(const DrivesTestFolder&) = delete;
  DrivesTestFolder& operator=(const DrivesTestFolder&) = delete;

  // The absolute path of `relative` inside the folder.
  std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

  // Writes `text` to `relative`, making its folders first.
  std::string Write(const std::string& relative, const std::string& text) const {
    std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace qel::platform::test
