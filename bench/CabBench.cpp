// Cabinets of a mixed tree (C and C++ headers, the Python library, large shared libraries:
// some 530 MB): extracting an MSZIP cabinet that `gcab -cz` made against `cabextract` and
// `7z x`, and creating one with `vorelkit-cli add --method mszip` against `gcab -cz`. Each run
// is a child process in a fresh folder; the median wall time of seven stands for each. Then
// the sizes: the program's LZX cabinet (window 2^21) against its MSZIP one and against
// `xz -6` of a TAR of the same tree, each made once and kept.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.

#include <filesystem>
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
      "cab-mixed",
      {"/usr/include", "/usr/lib/python3.11", lib + "libLLVM-15.so.1", lib + "libLLVM-14.so.1",
       lib + "libclang-14.so.14.0.6", lib + "libicudata.so.72.1", lib + "libQt6Core.so.6",
       lib + "libQt6Gui.so.6", lib + "libQt6Widgets.so.6", lib + "libcrypto.so.3",
       lib + "libpython3.11.so.1.0"});
  return path;
}

// gcab stores the names it is given: the tree's top entries, so that no "./" leads them.
const std::string& GcabCab() {
  static const std::string path = MadeOnce("cab-mixed-gcab.cab", [](const std::string& part) {
    return RunQuietly({"sh", "-c", "cd '" + Tree() + "' && gcab -cz '" + part + "' *"}) == 0;
  });
  return path;
}

void BM_Extract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "cab", GcabCab());
}

void BM_Create(benchmark::State& state, const std::string& name,
               const std::vector<std::string>& command) {
  vk::bench::InFolder(Tree(),
                      [&] { vk::bench::TimeAndMeasure(state, name, command, {}, "out.cab"); });
}

BENCHMARK_CAPTURE(BM_Extract, Vorelkit,
                  {VK_CLI_PATH, "extract", "{cab}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Cabextract, {"cabextract", "-q", "-d", "{folder}", "{cab}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, SevenZip, {"7z", "x", "-bd", "-y", "-o{folder}", "{cab}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Vorelkit, "BM_Create/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{folder}/out.cab", "-r", "--method",
                                           "mszip", "."})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Create, Gcab, "BM_Create/Gcab",
                  std::vector<std::string>{"sh", "-c", "gcab -cz '{folder}/out.cab' *"})
    ->Apply(vk::bench::SevenTimedRuns);

// The compressed sizes, each archive made once.
void RecordSizes() {
  const auto record = [](const std::string& name, const std::string& path) {
    if (!path.empty()) vk::bench::RecordSize(name, double(std::filesystem::file_size(path)));
  };
  record("Size/Lzx21",
         vk::bench::TreeArchiveMadeOnce("cab-mixed-lzx21.cab", Tree(),
                                        {"-r", "--method", "lzx", "--lzx-window", "21", "."}));
  record("Size/MsZip", vk::bench::TreeArchiveMadeOnce("cab-mixed-mszip.cab", Tree(),
                                                      {"-r", "--method", "mszip", "."}));
  record("Size/Xz6", MadeOnce("cab-mixed.tar.xz", [](const std::string& part) {
           return RunQuietly({"sh", "-c",
                              "tar -cf - -C '" + Tree() + "' . | xz -6 > '" + part + "'"}) == 0;
         }));
}

}  // namespace

int main(int argc, char** argv) {
  RecordSizes();
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_Extract/Vorelkit", "BM_Extract/Cabextract"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/SevenZip"},
                                   {"BM_Create/Vorelkit", "BM_Create/Gcab"}},
                                  {{"BM_Create/Vorelkit", "BM_Create/Gcab"},
                                   {"Size/Lzx21", "Size/MsZip"},
                                   {"Size/Lzx21", "Size/Xz6"}});
}
