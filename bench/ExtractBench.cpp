// Extracting a ZIP of a large source tree (the system's C headers, thousands of small files
// in hundreds of folders) with `vorelkit-cli extract` against `unzip`, `7z x` and `bsdtar -x`,
// each run as a child process into a fresh folder. The work happens in the children, so the
// wall time of each run is what counts; the median of several stands for it.
//
// The runs extract into the system's temporary folder (TMPDIR, else /tmp). TMPDIR=/dev/shm
// leaves the disk out and measures what the programs themselves cost, which a busy or
// shared disk otherwise swamps.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

namespace fs = std::filesystem;

// Made once with zip and kept in the build tree; empty when it could not be made.
const std::string& Archive() {
  static const std::string path = [] {
    const std::string file = std::string(VK_BENCH_WORK_DIR) + "/extract-include.zip";
    if (fs::exists(file)) return file;
    // The name keeps its .zip ending, else zip would add one.
    const std::string part = std::string(VK_BENCH_WORK_DIR) + "/extract-include.part.zip";
    fs::remove(part);
    if (vk::bench::RunQuietly({"zip", "-q", "-r", "-6", part, "/usr/include"}) != 0) {
      return std::string();
    }
    fs::rename(part, file);
    return file;
  }();
  return path;
}

// `arg` with every `from` in it replaced by `to`.
std::string Substitute(std::string arg, std::string_view from, const std::string& to) {
  for (size_t at = arg.find(from); at != std::string::npos; at = arg.find(from, at + to.size()))
    arg.replace(at, from.size(), to);
  return arg;
}

// The regular files below `folder`: shown beside each time, so a tool that left some out
// stands out.
size_t CountFiles(const std::string& folder) {
  size_t files = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder))
    files += e.is_regular_file();
  return files;
}

void BM_Extract(benchmark::State& state, const std::vector<std::string>& command) {
  if (Archive().empty()) {
    state.SkipWithError("could not make the archive with zip");
    return;
  }
  std::error_code error;
  const fs::path temp = fs::temp_directory_path(error);
  if (error) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string folder_template = (temp / "vk-extract-XXXXXX").string();
  size_t files = 0;
  for (auto _ : state) {
    std::string folder = folder_template;
    if (!mkdtemp(folder.data())) {
      state.SkipWithError("could not make a scratch folder");
      break;
    }
    // "{archive}" and "{folder}" in a command stand for the archive and the folder.
    std::vector<std::string> argv;
    for (const std::string& arg : command)
      argv.push_back(Substitute(Substitute(arg, "{archive}", Archive()), "{folder}", folder));
    const bool ran = vk::bench::TimeRun(state, argv);
    if (ran) files = CountFiles(folder);
    fs::remove_all(folder);
    // Write-back of this run's files must not land in the next run's time.
    sync();
    if (!ran) break;
  }
  state.counters["files"] = static_cast<double>(files);
}

BENCHMARK_CAPTURE(BM_Extract, Vorelkit,
                  {VK_CLI_PATH, "extract", "{archive}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Unzip, {"unzip", "-q", "-o", "{archive}", "-d", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, SevenZip, {"7z", "x", "-y", "-o{folder}", "{archive}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Extract, Bsdtar, {"bsdtar", "-xf", "{archive}", "-C", "{folder}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_Extract/Vorelkit", "BM_Extract/Unzip"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/SevenZip"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/Bsdtar"}});
}
