// A scratch folder that vorelkit-cli runs in as a user runs it, a program of its own, with
// shell lines for the peer tools beside it.
#pragma once

#include <string>
#include <vector>

#include "tests/support/PeerTools.h"

namespace qel::test {

class ProgramFolder : public ::testing::Test {
 protected:
  ToolRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), VK_CLI_PATH);
    return RunTool(args, dir_.Path());
  }
  // A shell line run in the folder; a failure is a test failure.
  void Sh(const std::string& line) { ASSERT_TRUE(RunToolOk({"sh", "-c", line}, dir_.Path())); }

  TestFolder dir_;
};

}  // namespace qel::test
