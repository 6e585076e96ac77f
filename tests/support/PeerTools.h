// What the cross-tool tests share: a scratch folder per test, running the peer tools that
// make and check archives, and small helpers for writing fixture files.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qel::test {

using Bytes = std::vector<uint8_t>;

// A fresh, empty folder for the running test below the build tree's test work folder,
// named after the test. It is removed when the test passed and kept for a look otherwise.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ToolRun {
  // The exit code; 128 + the signal number when a signal ended the tool; 127 when it could
  // not be started; -1 when it ran out of time and was killed.
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error

  bool Ok() const { return status == 0; }
};

// Runs argv[0] (looked up in PATH) with the arguments given, no shell involved, in `cwd`
// (the current folder when empty), with standard input from /dev/null.
ToolRun RunTool(const std::vector<std::string>& argv, const std::string& cwd = "",
                std::chrono::seconds limit = std::chrono::seconds(120));

// RunTool, adding a test failure that shows the command and its output unless it
// exits with 0.
bool RunToolOk(const std::vector<std::string>& argv, const std::string& cwd = "");

// The full path of a program in PATH, or "".
std::string FindTool(const std::string& name);

// Marks the running test as skipped, naming the tool, when it is not installed; answers
// whether it is. Use VK_REQUIRE_TOOL in a test body to leave the test as well.
bool RequireTool(const std::string& name);
#define VK_REQUIRE_TOOL(name) \
  if (!::qel::test::RequireTool(name)) return

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);
void WriteFileText(const std::string& path, std::string_view text);
Bytes ReadFileBytes(const std::string& path);
// Every path below `root`, relative to it, links not followed.
std::set<std::string> PathsBelow(const std::string& root);
// Writes the files in `parts`, one after the other, to `path`.
void ConcatenateFiles(const std::string& path, const std::vector<std::string>& parts);
void WriteZeroFile(const std::string& path, size_t size);

}  // namespace qel::test
