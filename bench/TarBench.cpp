// Compressed TARs and GZIP files of about a gigabyte: a source tree (six copies of the
// system's headers and the Python library, some 1 GB in 100,000 files) as a .tar.gz made by
// GNU tar, extracted by `vorelkit-cli extract` against `tar -xzf` and `bsdtar -xf`; the same
// tree packed by `vorelkit-cli add x.tar.gz` against `tar -czf`; and one 1 GB file gunzipped
// by `vorelkit-cli extract` against `gzip -d` and `pigz -d`. Each run is a child process in a
// fresh folder; the median wall time of seven stands for each, and the sizes of the created
// archives are compared after the time ratios.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures (it needs some 3 GB free).

#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

using vk::bench::MadeOnce;
using vk::bench::RunQuietly;

const std::string& Tree() {
  static const std::string path = MadeOnce("tar-tree", [](const std::string& part) {
    std::string copies = "mkdir -p '" + part + "' && cd '" + part + "'";
    for (int i = 1; i <= 6; ++i)
      copies += " && mkdir " + std::to_string(i) + " && cp -rL /usr/include " + std::to_string(i) +
                "/ 2>/dev/null";
    copies += "; cp -rL /usr/lib/python3.11 . 2>/dev/null; true";
    return RunQuietly({"sh", "-c", copies}) == 0;
  });
  return path;
}

const std::string& TarGz() {
  static const std::string path = MadeOnce("tree.tar.gz", [](const std::string& part) {
    return RunQuietly({"tar", "-czf", part, "-C", Tree(), "."}) == 0;
  });
  return path;
}

// One file of the tree's bytes, not a TAR, so that it is gunzipped as it is.
const std::string& Gz() {
  static const std::string path = MadeOnce("one.gz", [](const std::string& part) {
    return RunQuietly({"sh", "-c",
                       "find '" + Tree() + "' -type f -print0 | xargs -0 cat | gzip > '" + part +
                           "'"}) == 0;
  });
  return path;
}

void BM_ExtractTgz(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "tgz", TarGz());
}

void BM_Gunzip(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "gz", Gz());
}

void BM_CreateTgz(benchmark::State& state, const std::string& name,
                  const std::vector<std::string>& command) {
  vk::bench::InFolder(Tree(), [&] {
    vk::bench::TimeAndMeasure(state, name, command, {{"archive", "{folder}/out.tar.gz"}},
                              "out.tar.gz");
  });
}

BENCHMARK_CAPTURE(BM_ExtractTgz, Vorelkit,
                  {VK_CLI_PATH, "extract", "{tgz}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_ExtractTgz, Tar, {"tar", "-xzf", "{tgz}", "-C", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_ExtractTgz, Bsdtar, {"bsdtar", "-xf", "{tgz}", "-C", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_CreateTgz, Vorelkit, "BM_CreateTgz/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{archive}", "-r", "."})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_CreateTgz, Tar, "BM_CreateTgz/Tar",
                  std::vector<std::string>{"tar", "-czf", "{archive}", "."})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Gunzip, Vorelkit,
                  {VK_CLI_PATH, "extract", "{gz}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Gunzip, Gzip, {"sh", "-c", "gzip -dc '{gz}' > '{folder}/one'"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Gunzip, Pigz, {"sh", "-c", "pigz -dc '{gz}' > '{folder}/one'"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_ExtractTgz/Vorelkit", "BM_ExtractTgz/Tar"},
                                   {"BM_ExtractTgz/Vorelkit", "BM_ExtractTgz/Bsdtar"},
                                   {"BM_CreateTgz/Vorelkit", "BM_CreateTgz/Tar"},
                                   {"BM_Gunzip/Vorelkit", "BM_Gunzip/Gzip"},
                                   {"BM_Gunzip/Vorelkit", "BM_Gunzip/Pigz"}},
                                  {{"BM_CreateTgz/Vorelkit", "BM_CreateTgz/Tar"}});
}
