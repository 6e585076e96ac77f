// Encrypted ZIP work, where the ciphers' speed shows: storing a 200 MB file with AES-256
// (`vorelkit-cli add --level store --encryption aes256` against `7z a -tzip -mx0
// -mem=AES256`), and extracting such an archive (made once by 7z) with both. Time ratios come
// from the medians of the wall times.
//
// The archives go to the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm
// leaves the disk out of the figures.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileSize = 200'000'000;
constexpr const char* kPassword = "bench-password";

// A file of random bytes (nothing to gain by compressing), made once in the build tree.
const std::string& Input() {
  static const std::string path = [] {
    const std::string file = std::string(VK_BENCH_WORK_DIR) + "/crypto-200M.bin";
    if (!fs::exists(file) || fs::file_size(file) != kFileSize) {
      std::vector<uint8_t> bytes(kFileSize);
      std::mt19937_64 gen(17);
      for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        const uint64_t v = gen();
        for (int k = 0; k < 8; ++k) bytes[i + size_t(k)] = uint8_t(v >> (8 * k));
      }
      qel::test::WriteFileBytes(file, bytes);
    }
    return file;
  }();
  return path;
}

// The AES-256 archive the extraction runs read, made once by 7z.
const std::string& PeerArchive() {
  static const std::string path = [] {
    const std::string file = std::string(VK_BENCH_WORK_DIR) + "/crypto-200M.zip";
    if (!fs::exists(file))
      vk::bench::RunQuietly({"7z", "a", "-tzip", "-mx0", "-mem=AES256",
                             std::string("-p") + kPassword, file, Input()});
    return file;
  }();
  return path;
}

void BM_AesAdd(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"input", Input()}});
}

void BM_AesExtract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"peer", PeerArchive()}});
}

const std::string kPasswordOption = std::string("-p") + kPassword;

BENCHMARK_CAPTURE(BM_AesAdd, Vorelkit,
                  std::vector<std::string>{VK_CLI_PATH, "add", "--level", "store", "-p", kPassword,
                                           "--encryption", "aes256", "{archive}", "{input}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_AesAdd, SevenZip,
                  std::vector<std::string>{"7z", "a", "-tzip", "-mx0", "-mem=AES256",
                                           kPasswordOption, "{archive}", "{input}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_AesExtract, Vorelkit,
                  std::vector<std::string>{VK_CLI_PATH, "extract", "-p", kPassword, "-o",
                                           "{folder}", "{peer}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_AesExtract, SevenZip,
                  std::vector<std::string>{"7z", "x", kPasswordOption, "-o{folder}", "{peer}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_AesAdd/Vorelkit", "BM_AesAdd/SevenZip"},
                                   {"BM_AesExtract/Vorelkit", "BM_AesExtract/SevenZip"}});
}
