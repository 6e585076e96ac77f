// An ARJ archive of a mixed tree (C and C++ headers, shared libraries, some 50 MB) that
// `arj a -m1` made: extracted with vorelkit-cli against `arj x` and `7z x`. Each run is a
// child process in a fresh folder; the median wall time of seven stands for each.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.

#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

using vk::bench::MadeOnce;
using vk::bench::RunQuietly;

const std::string& Tree() {
  static const std::string lib = "/usr/lib/x86_64-linux-gnu/";
  static const std::string path = vk::bench::CopiedTreeMadeOnce(
      "arj-mixed", {"/usr/include/linux", "/usr/include/c++", "/usr/include/x86_64-linux-gnu",
                    lib + "libQt6Core.so.6", lib + "libQt6Gui.so.6", lib + "libQt6Widgets.so.6",
                    lib + "libcrypto.so.3"});
  return path;
}

// arj keeps the folders below the current one (-r) and asks nothing (-y).
const std::string& Archive() {
  static const std::string path = MadeOnce("arj-mixed.arj", [](const std::string& part) {
    return RunQuietly({"sh", "-c", "cd '" + Tree() + "' && arj a -m1 -r -y '" + part + "' '*'"}) ==
           0;
  });
  return path;
}

void BM_Extract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "arj", Archive());
}

BENCHMARK_CAPTURE(BM_Extract, Vorelkit,
                  {VK_CLI_PATH, "extract", "{arj}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Arj, {"arj", "x", "-y", "-i", "{arj}", "{folder}/"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, SevenZip, {"7z", "x", "-bd", "-y", "-o{folder}", "{arj}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_Extract/Vorelkit", "BM_Extract/Arj"}, {"BM_Extract/Vorelkit", "BM_Extract/SevenZip"}},
      {});
}
