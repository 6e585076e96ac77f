// CRC-32 throughput of the engine against zlib's crc32() on the same buffer.
#include <zlib.h>

#include <random>
#include <vector>

#include "bench/RatioReporter.h"
#include "codecs/checksum/Crc.h"

namespace {

const std::vector<uint8_t>& Buffer() {
  static const std::vector<uint8_t> data = [] {
    std::vector<uint8_t> v(1 << 20);
    std::mt19937 rng(1);
    for (auto& b : v) b = uint8_t(rng());
    return v;
  }();
  return data;
}

void BM_Crc32_Vorelkit(benchmark::State& state) {
  const auto& buf = Buffer();
  for (auto _ : state) benchmark::DoNotOptimize(qel::Crc32(0, buf.data(), buf.size()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void BM_Crc32_Zlib(benchmark::State& state) {
  const auto& buf = Buffer();
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0, buf.data(), uInt(buf.size())));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

// The register form ZipCrypto and the stored-entry writer step through byte by byte.
void BM_Crc32_Bytewise(benchmark::State& state) {
  const auto& buf = Buffer();
  for (auto _ : state) {
    uint32_t reg = 0xFFFFFFFF;
    for (uint8_t b : buf) reg = qel::Crc32Step(reg, b);
    benchmark::DoNotOptimize(reg);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

BENCHMARK(BM_Crc32_Vorelkit);
BENCHMARK(BM_Crc32_Zlib);
BENCHMARK(BM_Crc32_Bytewise);

}  // namespace

int main(int argc, char** argv) {
  return vk::bench::RunWithRatios(
      argc, argv, {{"BM_Crc32_Vorelkit", "BM_Crc32_Zlib"}, {"BM_Crc32_Bytewise", "BM_Crc32_Zlib"}});
}
