// PPMd (ZIP method 98, order 16, 64 MB) on 100 MB of text (C and C++ headers): adding it
// with `vorelkit-cli add --method ppmd` against `7z a -tzip -mm=PPMd` with the same order and
// memory, and testing the archive vorelkit-cli wrote with `vorelkit-cli test` against `7z t`.
// The median wall time of seven runs stands for each; the archives' sizes follow the ratios.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

namespace fs = std::filesystem;

constexpr uintmax_t kTextSize = 100u << 20;

// The headers in name order, joined and cut at kTextSize.
const std::string& Text() {
  static const std::string path = vk::bench::MadeOnce("ppmd-text.txt", [](const std::string& part) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator("/usr/include"))
      if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::ofstream out(part, std::ios::binary);
    uintmax_t written = 0;
    for (size_t round = 0; written < kTextSize && !files.empty(); ++round) {
      for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(in)), {});
        const size_t take = size_t(std::min<uintmax_t>(data.size(), kTextSize - written));
        out.write(data.data(), std::streamsize(take));
        if ((written += take) == kTextSize) break;
      }
    }
    return bool(out) && written == kTextSize;
  });
  return path;
}

// The archive the tests read, written once by vorelkit-cli.
const std::string& Archive() {
  static const std::string path = vk::bench::MadeOnce("ppmd-text.zip", [](const std::string& part) {
    return !Text().empty() && vk::bench::RunQuietly({VK_CLI_PATH, "add", part, "--method", "ppmd",
                                                     "--paths", "none", Text()}) == 0;
  });
  return path;
}

void BM_Add(benchmark::State& state, const std::string& name,
            const std::vector<std::string>& command) {
  if (Text().empty()) {
    state.SkipWithError("could not make the text");
    return;
  }
  vk::bench::TimeAndMeasure(state, name, command, {{"text", Text()}});
}

void BM_Test(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "zip", Archive());
}

BENCHMARK_CAPTURE(BM_Add, Vorelkit, "BM_Add/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{archive}", "--method", "ppmd",
                                           "--paths", "none", "{text}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Add, SevenZip, "BM_Add/SevenZip",
                  std::vector<std::string>{"7z", "a", "-tzip", "-mm=PPMd", "-mo=16", "-mmem=64m",
                                           "{archive}", "{text}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Test, Vorelkit, {VK_CLI_PATH, "test", "{zip}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Test, SevenZip, {"7z", "t", "{zip}"})->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_Add/Vorelkit", "BM_Add/SevenZip"}, {"BM_Test/Vorelkit", "BM_Test/SevenZip"}},
      {{"BM_Add/Vorelkit", "BM_Add/SevenZip"}});
}
