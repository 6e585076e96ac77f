// Replays every fuzz target's seed corpus, so that the ordinary (sanitizer) build checks
// what the fuzzers start from and every crash a fuzzer found once it was added there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

TEST(FuzzReplay, EverySeedOfEveryTargetRuns) {
  for (const vk::fuzz::FuzzTarget& target : vk::fuzz::FuzzTargets()) {
    fs::path folder = fs::path(VK_FUZZ_CORPUS_DIR) / target.name;
    ASSERT_TRUE(fs::is_directory(folder)) << "no seed corpus for " << target.name;
    int seeds = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
      SCOPED_TRACE(entry.path().string());
      EXPECT_EQ(0, target.entry(bytes.data(), bytes.size()));
      ++seeds;
    }
    EXPECT_GT(seeds, 0) << target.name;
  }
}

// A seed folder without a registered target would never be replayed.
TEST(FuzzReplay, EverySeedFolderHasItsTarget) {
  std::set<std::string> folders, targets;
  for (const auto& entry : fs::directory_iterator(VK_FUZZ_CORPUS_DIR))
    folders.insert(entry.path().filename().string());
  for (const vk::fuzz::FuzzTarget& target : vk::fuzz::FuzzTargets()) targets.insert(target.name);
  EXPECT_EQ(folders, targets);
}

}  // namespace
