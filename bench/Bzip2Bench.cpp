// ZIP method 12 (bzip2) over a tree of C and C++ headers (some 30 MB in thousands of files):
// creating one with `vorelkit-cli add --method bzip2` against `zip -Z bzip2`, both at their
// normal level (block size 6), and extracting the one vorelkit-cli wrote with
// `vorelkit-cli extract` against `unzip`. Each run is a child process in a fresh folder; the
// median wall time of seven stands for each, and the archives' sizes are compared after the
// time ratios.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.

#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

// The tree, made once in the build tree with its links resolved.
const std::string& Tree() {
  static const std::string path = vk::bench::CopiedTreeMadeOnce(
      "bzip2-headers", {"/usr/include/linux", "/usr/include/c++", "/usr/include/x86_64-linux-gnu"});
  return path;
}

// The archive the extractions read, written once by vorelkit-cli in the tree's folder so
// that its names are relative.
const std::string& Archive() {
  static const std::string path =
      vk::bench::TreeArchiveMadeOnce("bzip2-headers.zip", Tree(), {"-r", "--method", "bzip2", "."});
  return path;
}

void BM_Extract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "zip", Archive());
}

void BM_Create(benchmark::State& state, const std::string& name,
               const std::vector<std::string>& command) {
  vk::bench::InFolder(Tree(),
                      [&] { vk::bench::TimeAndMeasure(state, name, command, {}, "out.zip"); });
}

BENCHMARK_CAPTURE(BM_Create, Vorelkit, "BM_Create/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{archive}", "-r", "--method",
                                           "bzip2", "."})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Zip, "BM_Create/Zip",
                  std::vector<std::string>{"zip", "-q", "-r", "-Z", "bzip2", "{archive}", "."})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Vorelkit,
                  {VK_CLI_PATH, "extract", "{zip}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Unzip, {"unzip", "-q", "{zip}", "-d", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_Create/Vorelkit", "BM_Create/Zip"}, {"BM_Extract/Vorelkit", "BM_Extract/Unzip"}},
      {{"BM_Create/Vorelkit", "BM_Create/Zip"}});
}
