// Splitting a 500 MB ZIP into 100 MB parts and merging the set again, against Info-ZIP
// (`zip -s 100m` and `zip -s 0`). Both only copy bytes, so the figures show the copying:
// vorelkit-cli lets the kernel copy the entries (copy_file_range).
//
// The archive holds fifty 10 MB files, so that no entry spans more than two parts (Info-ZIP's
// zip -s 0 fails on longer ones). Time ratios come from the medians of the wall times. The
// parts go to the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/support/Files.h"

namespace {

constexpr int kFiles = 50;
constexpr size_t kFileSize = 10'000'000;

const std::string& Archive() {
  static const std::string path =
      vk::bench::MadeOnce("split-500M.zip", [](const std::string& file) {
        const std::string folder = file + ".in";
        std::mt19937_64 gen(23);
        std::vector<uint8_t> bytes(kFileSize);
        for (int f = 0; f < kFiles; ++f) {
          for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
            const uint64_t v = gen();
            for (int k = 0; k < 8; ++k) bytes[i + size_t(k)] = uint8_t(v >> (8 * k));
          }
          qel::test::WriteFileBytes(folder + "/f" + std::to_string(f), bytes);
        }
        const bool made = vk::bench::RunQuietly({"zip", "-q", "-0", "-j", "-r", file, folder}) == 0;
        std::filesystem::remove_all(folder);
        return made;
      });
  return path;
}

// Info-ZIP's set of the archive, in a folder of its own.
const std::string& Set() {
  static const std::string path =
      vk::bench::MadeOnce("split-500M-set", [](const std::string& folder) {
        std::filesystem::create_directories(folder);
        return vk::bench::RunQuietly(
                   {"zip", "-q", "-s", "100m", Archive(), "--out", folder + "/set.zip"}) == 0;
      });
  return path;
}

void BM_Split(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"zip", Archive()}});
}

void BM_Merge(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"set", Set() + "/set.zip"}});
}

BENCHMARK_CAPTURE(BM_Split, Vorelkit,
                  std::vector<std::string>{VK_CLI_PATH, "split", "{zip}", "--size", "100m", "-o",
                                           "{archive}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Split, InfoZip,
                  std::vector<std::string>{"zip", "-q", "-s", "100m", "{zip}", "--out",
                                           "{archive}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Merge, Vorelkit,
                  std::vector<std::string>{VK_CLI_PATH, "merge", "{set}", "-o", "{archive}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Merge, InfoZip,
                  std::vector<std::string>{"zip", "-q", "-s", "0", "{set}", "--out", "{archive}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_Split/Vorelkit", "BM_Split/InfoZip"}, {"BM_Merge/Vorelkit", "BM_Merge/InfoZip"}});
}
