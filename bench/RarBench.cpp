// A RAR of /usr/include (about 150 MB in some 10,000 files, stored: no Debian tool makes
// compressed RAR data), listed and extracted with vorelkit-cli against bsdtar. Both read the
// headers; Vorelkit copies the stored data itself, bsdtar through libarchive. Each run is a
// child process in a fresh folder; the median wall time of seven stands for each.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.

#include <filesystem>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/support/Files.h"
#include "tests/support/RarBuilder.h"

namespace {

namespace fs = std::filesystem;

const std::string& Archive() {
  static const std::string path = vk::bench::MadeOnce("usr-include.rar", [](const std::string&
                                                                                part) {
    std::vector<qel::test::TRarFile> files;
    const fs::path root = "/usr/include";
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      if (!e.is_regular_file() || e.is_symlink()) continue;
      files.push_back({fs::relative(e.path(), root).string(), qel::test::ReadFileBytes(e.path())});
    }
    qel::test::WriteFileBytes(part, qel::test::BuildRar4(files)[0]);
    return true;
  });
  return path;
}

void BM_List(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "rar", Archive());
}

void BM_Extract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "rar", Archive());
}

BENCHMARK_CAPTURE(BM_List, Vorelkit, {VK_CLI_PATH, "list", "--tsv", "{rar}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_List, Bsdtar, {"bsdtar", "-tvf", "{rar}"})->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Vorelkit, {VK_CLI_PATH, "extract", "{rar}", "-o", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Bsdtar, {"bsdtar", "-xf", "{rar}", "-C", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_List/Vorelkit", "BM_List/Bsdtar"}, {"BM_Extract/Vorelkit", "BM_Extract/Bsdtar"}}, {});
}
