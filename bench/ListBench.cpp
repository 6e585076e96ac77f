// Listing a ZIP of 200,000 small entries: `vorelkit-cli list --tsv` against `unzip -Z1` and
// `7z l`, each run as a child process with its output thrown away. The work happens in the
// children, so the wall time of each run is what counts; the median of several stands for it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/engine/zip/ZipImage.h"

namespace {

constexpr int kEntries = 200000;

// Built once and kept in the build tree; Zip64 records carry the entry count.
const std::string& Archive() {
  static const std::string path = [] {
    const std::string file = std::string(VK_BENCH_WORK_DIR) + "/list-200k.zip";
    if (std::filesystem::exists(file)) return file;
    std::vector<qel::test::ZipEntry> entries;
    entries.reserve(kEntries);
    char name[40];
    for (int i = 0; i < kEntries; ++i) {
      std::snprintf(name, sizeof name, "folder%03d/entry%06d.txt", i / 1000, i);
      entries.push_back({name, "entry " + std::to_string(i) + "\n"});
    }
    qel::test::ZipOptions options;
    options.zip64 = true;
    const qel::test::Bytes bytes = qel::test::BuildStoredZip(entries, options).bytes;
    const std::string part = file + ".part";
    FILE* f = std::fopen(part.c_str(), "wb");
    const bool written = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) std::fclose(f);
    if (written) std::filesystem::rename(part, file);
    return file;
  }();
  return path;
}

void BM_List(benchmark::State& state, const std::vector<std::string>& command) {
  std::vector<std::string> argv = command;
  argv.push_back(Archive());
  for (auto _ : state) {
    if (!vk::bench::TimeRun(state, argv)) break;
  }
  state.counters["entries"] = kEntries;
}

BENCHMARK_CAPTURE(BM_List, Vorelkit, {VK_CLI_PATH, "list", "--tsv"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_List, Unzip, {"unzip", "-Z1"})->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_List, SevenZip, {"7z", "l"})->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_List/Vorelkit", "BM_List/Unzip"}, {"BM_List/Vorelkit", "BM_List/SevenZip"}});
}
