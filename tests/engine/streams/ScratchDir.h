// A per-test folder made with mkdtemp and removed with everything in it, and the small file
// helpers the stream tests share.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qel::test {

class ScratchDir {
 public:
  explicit ScratchDir(const std::string& parent = "/tmp") {
    std::string pattern = parent + "/vk-streams-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
    EXPECT_FALSE(path_.empty()) << "mkdtemp in " << parent;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // The names in the folder, for checking that nothing was left behind.
  size_t Count() const {
    auto it = std::filesystem::directory_iterator(path_);
    return size_t(std::distance(it, std::filesystem::directory_iterator()));
  }

 private:
  std::string path_;
};

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace qel::test
