// Listing a ZIP of 200,000 small entries: `vorelkit-cli list --tsv` against `unzip -Z1` and
// `7z l`, each run as a child process with its output thrown away. The work happens in the
// children, so the wall time of each run is what counts; the median of several stands for it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "tests/engine/zip/ZipImage.h"

extern char** environ;

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

// Runs argv with every standard stream on /dev/null; answers the exit status, -1 when the
// program could not be started.
int RunQuietly(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_List(benchmark::State& state, const std::vector<std::string>& command) {
  std::vector<std::string> argv = command;
  argv.push_back(Archive());
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = RunQuietly(argv);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (status != 0) {
      state.SkipWithError((argv[0] + " failed").c_str());
      break;
    }
    state.SetIterationTime(took.count());
  }
  state.counters["entries"] = kEntries;
}

// Seven single runs timed by the wall clock; their median stands for the benchmark.
void SevenTimedRuns(benchmark::internal::Benchmark* b) {
  b->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(
      benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_List, Vorelkit, {VK_CLI_PATH, "list", "--tsv"})->Apply(SevenTimedRuns);
BENCHMARK_CAPTURE(BM_List, Unzip, {"unzip", "-Z1"})->Apply(SevenTimedRuns);
BENCHMARK_CAPTURE(BM_List, SevenZip, {"7z", "l"})->Apply(SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_List/Vorelkit", "BM_List/Unzip"}, {"BM_List/Vorelkit", "BM_List/SevenZip"}});
}
