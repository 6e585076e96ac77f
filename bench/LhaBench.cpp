// LHA archives of a mixed tree (C and C++ headers, shared libraries and programs, some 70 MB):
// extracting one that vorelkit-cli wrote with -lh6- against `lha x` (lhasa) and `bsdtar -x`,
// and creating one with `vorelkit-cli add --method lh6` against `jlha ao6`. Each run is a
// child process in a fresh folder; the median wall time of seven stands for each, and the
// archives' sizes are compared after the time ratios.
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
      "lha-mixed",
      {"/usr/include/linux", "/usr/include/c++", "/usr/include/x86_64-linux-gnu",
       "/usr/lib/x86_64-linux-gnu/libQt6Core.so.6", "/usr/lib/x86_64-linux-gnu/libQt6Gui.so.6",
       "/usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6", "/usr/lib/x86_64-linux-gnu/libcrypto.so.3",
       "/usr/bin/gdb", "/usr/bin/perl", "/usr/bin/python3"});
  return path;
}

// The archive the extractions read, written once by vorelkit-cli in the tree's folder so
// that its names are relative.
const std::string& Archive() {
  static const std::string path =
      vk::bench::TreeArchiveMadeOnce("lha-mixed.lzh", Tree(), {"-r", "--method", "lh6", "."});
  return path;
}

void BM_Extract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "lzh", Archive());
}

void BM_Create(benchmark::State& state, const std::string& name,
               const std::vector<std::string>& command) {
  vk::bench::InFolder(Tree(),
                      [&] { vk::bench::TimeAndMeasure(state, name, command, {}, "out.lzh"); });
}

BENCHMARK_CAPTURE(BM_Extract, Vorelkit,
                  {VK_CLI_PATH, "extract", "{lzh}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Lhasa, {"lha", "xqw={folder}", "{lzh}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Bsdtar, {"bsdtar", "-xf", "{lzh}", "-C", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Vorelkit, "BM_Create/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{folder}/out.lzh", "-r", "--method",
                                           "lh6", "."})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Jlha, "BM_Create/Jlha",
                  std::vector<std::string>{"jlha", "ao6", "{folder}/out.lzh", "."})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_Extract/Vorelkit", "BM_Extract/Lhasa"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/Bsdtar"},
                                   {"BM_Create/Vorelkit", "BM_Create/Jlha"}},
                                  {{"BM_Create/Vorelkit", "BM_Create/Jlha"}});
}
