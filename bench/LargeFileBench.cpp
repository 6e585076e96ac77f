// One large file, where the codecs' and ciphers' speed shows, against 7z:
// - storing a 200 MB file of random bytes with AES-256 (`vorelkit-cli add --level store
//   --encryption aes256` against `7z a -tzip -mx0 -mem=AES256`) and extracting such an
//   archive made once by 7z;
// - deflating a 200 MB tar of /usr/include at the normal level (`vorelkit-cli add` against
//   `7z a -tzip -mx5`, both on every core) and extracting such an archive made once by 7z.
// Time ratios come from the medians of the wall times; the Deflate sizes are printed after
// them.
//
// The archives go to the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm
// leaves the disk out of the figures.
#include <random>
#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/support/Files.h"

namespace {

constexpr size_t kFileSize = 200'000'000;
constexpr const char* kPassword = "bench-password";
const std::string kPasswordOption = std::string("-p") + kPassword;

// Random bytes: nothing to gain by compressing, all the time is the cipher's.
const std::string& RandomInput() {
  static const std::string path =
      vk::bench::MadeOnce("random-200M.bin", [](const std::string& file) {
        std::vector<uint8_t> bytes(kFileSize);
        std::mt19937_64 gen(17);
        for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
          const uint64_t v = gen();
          for (int k = 0; k < 8; ++k) bytes[i + size_t(k)] = uint8_t(v >> (8 * k));
        }
        qel::test::WriteFileBytes(file, bytes);
        return true;
      });
  return path;
}

// Source text, as a project's files are: /usr/include in one tar (links followed).
const std::string& TextInput() {
  static const std::string path = vk::bench::MadeOnce("include.tar", [](const std::string& file) {
    return vk::bench::RunQuietly({"tar", "-chf", file, "-C", "/usr", "include"}) == 0;
  });
  return path;
}

const std::string& AesArchive() {
  static const std::string path = vk::bench::MadeOnce("aes-200M.zip", [](const std::string& file) {
    return vk::bench::RunQuietly({"7z", "a", "-tzip", "-mx0", "-mem=AES256", kPasswordOption, file,
                                  RandomInput()}) == 0;
  });
  return path;
}

const std::string& DeflateArchive() {
  static const std::string path =
      vk::bench::MadeOnce("include-tar.zip", [](const std::string& file) {
        return vk::bench::RunQuietly({"7z", "a", "-tzip", "-mx5", file, TextInput()}) == 0;
      });
  return path;
}

void BM_AesAdd(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"input", RandomInput()}});
}

void BM_AesExtract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"peer", AesArchive()}});
}

void BM_DeflateAdd(benchmark::State& state, const std::string& name,
                   const std::vector<std::string>& command) {
  vk::bench::TimeAndMeasure(state, name, command, {{"input", TextInput()}});
}

void BM_DeflateExtract(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeInScratchFolders(state, command, {{"peer", DeflateArchive()}});
}

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
BENCHMARK_CAPTURE(BM_DeflateAdd, Vorelkit, "BM_DeflateAdd/Vorelkit",
                  std::vector<std::string>{VK_CLI_PATH, "add", "{archive}", "{input}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_DeflateAdd, SevenZip, "BM_DeflateAdd/SevenZip",
                  std::vector<std::string>{"7z", "a", "-tzip", "-mx5", "{archive}", "{input}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_DeflateExtract, Vorelkit,
                  std::vector<std::string>{VK_CLI_PATH, "extract", "-o", "{folder}", "{peer}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_DeflateExtract, SevenZip,
                  std::vector<std::string>{"7z", "x", "-o{folder}", "{peer}"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(argc, argv,
                                  {{"BM_AesAdd/Vorelkit", "BM_AesAdd/SevenZip"},
                                   {"BM_AesExtract/Vorelkit", "BM_AesExtract/SevenZip"},
                                   {"BM_DeflateAdd/Vorelkit", "BM_DeflateAdd/SevenZip"},
                                   {"BM_DeflateExtract/Vorelkit", "BM_DeflateExtract/SevenZip"}},
                                  {{"BM_DeflateAdd/Vorelkit", "BM_DeflateAdd/SevenZip"}});
}
