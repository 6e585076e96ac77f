// Creating a ZIP of a large source tree (the system's C headers) at the normal level with
// `vorelkit-cli add -r` against `zip -r -6`, `7z a -tzip -mx5` and `bsdtar --format zip`,
// each run as a child process writing into a fresh folder. Time ratios come from the medians
// of the wall times; the size ratios against zip are printed after them.
//
// The archives go to the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm
// leaves the disk out of the figures.

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

namespace fs = std::filesystem;

// A copy of /usr/include with its links resolved, made once and kept in the build tree:
// the tools disagree on links (followed, stored as links, or left out), files they agree on.
const std::string& Tree() {
  static const std::string path =
      vk::bench::MadeOnce("create-include", [](const std::string& part) {
        // cp reports dangling links and goes on; what it copied is the tree.
        vk::bench::RunQuietly({"cp", "-rL", "/usr/include", part});
        return true;
      });
  return path;
}

// The size of each tool's archive, by benchmark name.
std::map<std::string, double>& Sizes() {
  static std::map<std::string, double> sizes;
  return sizes;
}

void BM_Create(benchmark::State& state, const std::string& name,
               const std::vector<std::string>& command) {
  double size = 0;
  vk::bench::TimeInScratchFolders(state, command, {{"tree", Tree()}},
                                  [&size](const std::string& folder) {
                                    std::error_code error;
                                    size = double(fs::file_size(folder + "/out.zip", error));
                                  });
  state.counters["bytes"] = size;
  Sizes()[name] = size;
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
  const int status = vk::bench::RunWithRatios(argc, argv,
                                              {{"BM_Create/Vorelkit", "BM_Create/Zip"},
                                               {"BM_Create/Vorelkit", "BM_Create/SevenZip"},
                                               {"BM_Create/Vorelkit", "BM_Create/Bsdtar"}});
  const double ours = Sizes()["BM_Create/Vorelkit"];
  for (const char* peer : {"BM_Create/Zip", "BM_Create/SevenZip", "BM_Create/Bsdtar"}) {
    if (ours > 0 && Sizes()[peer] > 0)
      std::printf("size ratio BM_Create/Vorelkit / %s: %.4f\n", peer, ours / Sizes()[peer]);
  }
  return status;
}
