// A 100 MB file of mixed content (shared libraries and random bytes) uuencoded by uuencode:
// decoded with vorelkit-cli against uudecode; and encoded against uuencode. Each run is a
// child process in a fresh folder; the median wall time of seven stands for each.
//
// The runs use the system's temporary folder (TMPDIR, else /tmp); TMPDIR=/dev/shm leaves the
// disk out of the figures.

#include <string>
#include <vector>

#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"

namespace {

using vk::bench::MadeOnce;
using vk::bench::RunQuietly;

const std::string& Input() {
  static const std::string path = MadeOnce("uu-input.bin", [](const std::string& part) {
    return RunQuietly({"sh", "-c",
                       "(cat /usr/lib/x86_64-linux-gnu/libQt6*.so.6 "
                       "/usr/lib/x86_64-linux-gnu/libcrypto.so.3; "
                       "head -c 100000000 /dev/urandom) | head -c 100000000 > '" +
                           part + "'"}) == 0;
  });
  return path;
}

const std::string& Encoded() {
  static const std::string path = MadeOnce("uu-input.uue", [](const std::string& part) {
    return RunQuietly({"sh", "-c", "uuencode '" + Input() + "' data.bin > '" + part + "'"}) == 0;
  });
  return path;
}

void BM_Decode(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "uue", Encoded());
}

void BM_Encode(benchmark::State& state, const std::vector<std::string>& command) {
  vk::bench::TimeOver(state, command, "bin", Input());
}

BENCHMARK_CAPTURE(BM_Decode, Vorelkit,
                  {VK_CLI_PATH, "extract", "{uue}", "-o", "{folder}", "--overwrite=always"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Decode, Uudecode, {"uudecode", "-o", "{folder}/data.bin", "{uue}"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Encode, Vorelkit, {VK_CLI_PATH, "encode", "{bin}", "-o", "{folder}/x.uue"})
    ->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Encode, Uuencode, {"sh", "-c", "uuencode '{bin}' data.bin > '{folder}/x.uue'"})
    ->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv,
      {{"BM_Decode/Vorelkit", "BM_Decode/Uudecode"}, {"BM_Encode/Vorelkit", "BM_Encode/Uuencode"}},
      {});
}
