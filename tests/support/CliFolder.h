// Tests that run vorelkit-cli as a program in a scratch folder of their own, and the data
// they pack: text that compresses well and bytes that do not.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "tests/support/PeerTools.h"
#include "tests/support/TestFolder.h"

namespace qel::test {

class CliFolderTest : public ::testing::Test {
 protected:
  // A program of its own, so that an input that made it hang or crash fails the test alone.
  ToolRun Run(std::vector<std::string> args,
              std::chrono::seconds limit = std::chrono::seconds(60)) {
    args.insert(args.begin(), VK_CLI_PATH);
    return RunTool(args, dir_.Path(), limit);
  }
  TestFolder dir_;
};

// `n` bytes that do not compress, the same in every run.
inline std::string RandomData(size_t n) {
  std::mt19937 gen(11);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen());
  return s;
}

// `n` bytes of text that compresses well.
inline std::string TextData(size_t n) {
  std::string text;
  for (int i = 0; text.size() < n; ++i) text += "row " + std::to_string(i * 7919 % 100003) + "\n";
  text.resize(n);
  return text;
}

}  // namespace qel::test
