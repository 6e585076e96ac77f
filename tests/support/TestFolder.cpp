#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace qel::test {

namespace fs = std::filesystem;

namespace {

std::string CurrentTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
  // Parameterised tests have "/" in their names.
  for (char& c : name)
    if (c == '/') c = '.';
  return name;
}

}  // namespace

TestFolder::TestFolder(const std::string& tag, const std::string& parent) {
  const fs::path path = fs::path(parent) / (CurrentTestName() + (tag.empty() ? "" : "." + tag));
  std::error_code ec;
  fs::remove_all(path, ec);
  fs::create_directories(path, ec);
  EXPECT_FALSE(ec) << "cannot make " << path << ": " << ec.message();
  // Tests compare it with paths the system hands back, which have their links resolved.
  path_ = fs::weakly_canonical(path, ec).string();
}

TestFolder::~TestFolder() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info && info->result()->Failed()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

size_t TestFolder::Count() const {
  std::error_code ec;
  auto it = fs::directory_iterator(path_, ec);
  return ec ? 0 : size_t(std::distance(it, fs::directory_iterator()));
}

}  // namespace qel::test
