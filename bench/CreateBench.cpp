// Creating a ZIP of a large source tree (the system's C headers) at the normal level with
// `vorelkit-cli add -r` against `zip -r -6`, `7z a -tzip -mx5` and `bsdtar --format zip`,
// each run as a child process writing into a fresh folder. Time ratios come from the medians
// of the wall times; the size ratios against zip are printed after them.
//
// The archives go to the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm
// leaves the disk out of the figures.

#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

// A copy of /usr/include with its links resolved, made once and kept in the build tree:
// the tools disagree on links (followed, stored as links, or left out), files they agree on.
const std::string& Tree() {
  static const std::string path = vk::bench::CopiedTreeMadeOnce("create-include", {"/usr/include"});
  return path;
}

void BM_Create(benchmark::State& state, const std::string& name,
               const std::vector<std::string>& command) {
  vk::bench::TimeAndMeasure(state, name, command, {{"tree", Tree()}});
}

BENCHMARK_CAPTURE(BM_Create, Vorelkit, "BM_Create/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{archive}", "-r", "{tree}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Zip, "BM_Create/Zip",
                  std::vector<std::string>{"zip", "-q", "-r", "-6", "{archive}", "{tree}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, SevenZip, "BM_Create/SevenZip",
                  std::vector<std::string>{"7z", "a", "-tzip", "-mx5", "{archive}", "{tree}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Bsdtar, "BM_Create/Bsdtar",
                  std::vector<std::string>{"bsdtar", "--format", "zip", "-cf", "{archive}",
                                           "{tree}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"BM_Create/Vorelkit", "BM_Create/Zip"},
      {"BM_Create/Vorelkit", "BM_Create/SevenZip"},
      {"BM_Create/Vorelkit", "BM_Create/Bsdtar"}};
  return vk::bench::RunWithRatios(argc, argv, pairs, pairs);
}
