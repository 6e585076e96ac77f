// Listing a ZIP of 200,000 small entries: `vorelkit-cli list --tsv` against `unzip -Z1` and
// `7z l`, each run as a child process with its output thrown away. The work happens in the
// children, so the wall time of each run is what counts; the median of several stands for it.
#include <string>
#include <vector>

#include "bench/ManyEntriesZip.h"
#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

const std::string& Archive() { return vk::bench::ManyEntriesZip(VK_BENCH_WORK_DIR); }

void BM_List(benchmark::State& state, const std::vector<std::string>& command) {
  std::vector<std::string> argv = command;
  argv.push_back(Archive());
  for (auto _ : state) {
    if (!vk::bench::TimeRun(state, argv)) break;
  }
  state.counters["entries"] = vk::bench::kManyEntries;
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
