// Renaming one entry in the middle of a 1 GB ZIP of 10,000 entries, against `7z rn`. Both
// write the archive anew around the new name, copying every entry's data once, so the
// figures show the copying. Each run renames in a fresh copy of the archive (the copy is not
// timed), in the system's temporary folder (TMPDIR, else /tmp).
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10000;
constexpr size_t kFileSize = 100'000;

const std::string& Archive() {
  static const std::string path = vk::bench::MadeOnce("rename-1G.zip", [](const std::string& file) {
    const std::string folder = file + ".in";
    std::mt19937_64 gen(29);
    std::vector<uint8_t> bytes(kFileSize);
    for (int f = 0; f < kFiles; ++f) {
      for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        const uint64_t v = gen();
        for (int k = 0; k < 8; ++k) bytes[i + size_t(k)] = uint8_t(v >> (8 * k));
      }
      qel::test::WriteFileBytes(folder + "/d" + std::to_string(f / 100) + "/f" + std::to_string(f),
                                bytes);
    }
    const bool made =
        vk::bench::RunQuietly(
            {"sh", "-c", "cd '" + folder + "' && zip -q -0 -r '" + file + "' ."}) == 0;
    fs::remove_all(folder);
    return made;
  });
  return path;
}

void BM_Rename(benchmark::State& state, const std::vector<std::string>& command) {
  const std::string folder = vk::bench::MakeScratchFolder();
  const std::string zip = folder + "/r.zip";
  for (auto _ : state) {
    fs::copy_file(Archive(), zip, fs::copy_options::overwrite_existing);
    if (!vk::bench::TimeRun(state, vk::bench::Expand(command, {{"zip", zip}}))) break;
  }
  fs::remove_all(folder);
}

BENCHMARK_CAPTURE(BM_Rename, Vorelkit,
                  std::vector<std::string>{VK_CLI_PATH, "rename", "{zip}", "d50/f5000",
                                           "d50/renamed"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Rename, SevenZip,
                  std::vector<std::string>{"7z", "rn", "{zip}", "d50/f5000", "d50/renamed"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv, {{"BM_Rename/Vorelkit", "BM_Rename/SevenZip"}});
}
