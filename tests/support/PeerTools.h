// What the cross-tool tests share: running the peer tools that make and check archives
// without a shell, besides the scratch folder and the file helpers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel::test {

struct ToolRun {
  // The exit code; 128 + the signal number when a signal ended the tool; 127 when it could
  // not be started; -1 when it ran out of time and was killed.
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error

  bool Ok() const { return status == 0; }
};

// Runs argv[0] (looked up in PATH) with the arguments given, no shell involved, in `cwd`
// (the current folder when empty), with standard input from /dev/null. In a test, a tool
// that is not installed is a failure: require it first (VK_REQUIRE_TOOL).
ToolRun RunTool(const std::vector<std::string>& argv, const std::string& cwd = "",
                std::chrono::seconds limit = std::chrono::seconds(120));

// RunTool, adding a test failure that shows the command and its output unless it
// exits with 0.
bool RunToolOk(const std::vector<std::string>& argv, const std::string& cwd = "");

// The full path of a program in PATH, or "".
std::string FindTool(const std::string& name);

// Marks the running test as skipped, naming the tool, when it is not installed; answers
// whether it is. Use VK_REQUIRE_TOOL in a test body, before anything is checked, to leave the
// test as well. With VK_NO_SKIP=1 in the environment (CI, where every peer is installed) a
// missing tool is a failure instead.
bool RequireTool(const std::string& name);
#define VK_REQUIRE_TOOL(name) \
  if (!::qel::test::RequireTool(name)) return

}  // namespace qel::test
