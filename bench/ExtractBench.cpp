// Extracting a ZIP of a large source tree (the system's C headers, thousands of small files
// in hundreds of folders) with `vorelkit-cli extract` against `unzip`, `7z x` and `bsdtar -x`,
// each run as a child process into a fresh folder, and against `cp -r` of the extracted tree
// itself: making the same files with no archive to read, the practical limit. The work
// happens in the children, so the wall time of each run is what counts; the median of
// several stands for it.
//
// The runs extract into the system's temporary folder (TMPDIR, else /tmp). TMPDIR=/dev/shm
// leaves the disk out and measures what the programs themselves cost, which a busy or
// shared disk otherwise swamps.

#include <filesystem>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

namespace fs = std::filesystem;

// Made once with zip and kept in the build tree; empty when it could not be made.
const std::string& Archive() {
  static const std::string path =
      vk::bench::MadeOnce("extract-include.zip", [](const std::string& part) {
        return vk::bench::RunQuietly({"zip", "-q", "-r", "-6", part, "/usr/include"}) == 0;
      });
  return path;
}

// What the runs read, in the temporary folder, so that every tool reads from the same kind
// of file system it writes to: a copy of the archive, and its tree extracted by unzip (what
// cp copies). Removed when the program ends.
struct TInputs {
  TInputs() : Folder(vk::bench::MakeScratchFolder()) {
    if (Folder.empty() || Archive().empty()) return;
    Zip = Folder + "/include.zip";
    Tree = Folder + "/tree";
    fs::copy_file(Archive(), Zip);
    vk::bench::RunQuietly({"unzip", "-q", Zip, "-d", Tree});
  }
  ~TInputs() {
    std::error_code error;
    if (!Folder.empty()) fs::remove_all(Folder, error);
  }
  std::string Folder, Zip, Tree;
};

const TInputs& Inputs() {
  static const TInputs inputs;
  return inputs;
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
  if (Inputs().Zip.empty()) {
    state.SkipWithError("could not make the archive with zip");
    return;
  }
  size_t files = 0;
  vk::bench::TimeInScratchFolders(
      state, command, {{"archive", Inputs().Zip}, {"tree", Inputs().Tree}},
      [&files](const std::string& folder) { files = CountFiles(folder); });
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
BENCHMARK_CAPTURE(BM_Extract, Copy, {"cp", "-r", "{tree}", "{folder}/copy"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_Extract/Vorelkit", "BM_Extract/Unzip"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/SevenZip"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/Bsdtar"},
                                   {"BM_Extract/Vorelkit", "BM_Extract/Copy"}});
}
