// A fresh, empty folder for the running test below the build tree's test work folder (or
// below `parent`), named after the test (and `tag`, for a test that needs more than one). It
// is removed when the test passed and kept for a look otherwise.
#pragma once

#include <string>

namespace qel::test {

class TestFolder {
 public:
  explicit TestFolder(const std::string& tag = "", const std::string& parent = VK_TEST_WORK_DIR);
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // How many names the folder itself holds (not below its subfolders).
  size_t Count() const;

 private:
  std::string path_;
};

}  // namespace qel::test
