// Inflate throughput of the engine's decoder against zlib's inflate and libdeflate on the
// same raw Deflate streams, made by zlib at levels 1, 6 and 9 from text, a program and
// random bytes; Deflate64 streams from 7-Zip are timed against themselves.
// Both streaming decoders take the whole input and hand out the output piece by piece.
#include <libdeflate.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "codecs/inflate/Inflater.h"
#include "formats/zip/Records.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZlibReference.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
constexpr size_t kCorpusSize = 8 << 20;

Bytes ReadFile(const fs::path& path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  Bytes b((std::istreambuf_iterator<char>(in)), {});
  if (b.size() > limit) b.resize(limit);
  return b;
}

Bytes Headers() {
  Bytes out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator("/usr/include", ec);
       it != fs::recursive_directory_iterator() && out.size() < kCorpusSize; it.increment(ec)) {
    if (it->path().extension() != ".h" || !it->is_regular_file(ec)) continue;
    const Bytes f = ReadFile(it->path(), kCorpusSize);
    out.insert(out.end(), f.begin(), f.end());
  }
  out.resize(std::min(out.size(), kCorpusSize));
  return out;
}

Bytes RandomBytes() {
  Bytes out(kCorpusSize);
  std::mt19937 rng(1);
  for (auto& b : out) b = uint8_t(rng());
  return out;
}

// The raw Deflate64 stream of `data` as 7-Zip stores it in a ZIP; empty without 7z.
Bytes SevenZipDeflate64(const Bytes& data) {
  const fs::path dir = fs::temp_directory_path() / "vk_inflate_bench";
  fs::create_directories(dir);
  std::ofstream(dir / "data.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  fs::remove(dir / "a.zip");
  Bytes stream;
  if (qel::test::RunTool({"7z", "a", "-tzip", "-mm=Deflate64", "-mx=9", "a.zip", "data.bin"},
                         dir.string())
          .Ok()) {
    const Bytes zip = ReadFile(dir / "a.zip", SIZE_MAX);
    if (zip.size() >= qel::zip::kLocalHeaderSize) {
      const auto h = qel::zip::UnpackLocal(zip.data());
      const size_t at = qel::zip::kLocalHeaderSize + h.NameLength + h.ExtraLength;
      if (h.Method == 9 && at + h.CompressedSize <= zip.size())
        stream.assign(zip.begin() + ptrdiff_t(at), zip.begin() + ptrdiff_t(at + h.CompressedSize));
    }
  }
  fs::remove_all(dir);
  return stream;
}

void Ours(benchmark::State& state, const Bytes* stream, size_t rawSize,
          qel::DeflateVariant variant) {
  qel::Inflater decoder(variant);
  for (auto _ : state) {
    decoder.Reset();
    std::span<const uint8_t> input(*stream);
    size_t out = 0;
    qel::InflateStatus st;
    do {
      st = decoder.Decode(input);
      const auto piece = decoder.TakeOutput();
      benchmark::DoNotOptimize(piece.data());
      out += piece.size();
    } while (st == qel::InflateStatus::Ok);
    if (st != qel::InflateStatus::StreamEnd || out != rawSize) state.SkipWithError("bad");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rawSize));
}

void Zlib(benchmark::State& state, const Bytes* stream, size_t rawSize) {
  Bytes piece(32768);
  for (auto _ : state) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(stream->data());
    z.avail_in = uInt(stream->size());
    int rc = Z_OK;
    while (rc == Z_OK) {
      z.next_out = piece.data();
      z.avail_out = uInt(piece.size());
      rc = inflate(&z, Z_NO_FLUSH);
      benchmark::DoNotOptimize(piece.data());
    }
    if (rc != Z_STREAM_END || z.total_out != rawSize) state.SkipWithError("bad");
    inflateEnd(&z);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rawSize));
}

// libdeflate decodes only into one whole buffer: an upper bound rather than a peer in kind.
void Libdeflate(benchmark::State& state, const Bytes* stream, size_t rawSize) {
  Bytes out(rawSize);
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  for (auto _ : state) {
    size_t got = 0;
    if (libdeflate_deflate_decompress(d, stream->data(), stream->size(), out.data(), out.size(),
                                      &got) != LIBDEFLATE_SUCCESS ||
        got != rawSize)
      state.SkipWithError("bad");
  }
  libdeflate_free_decompressor(d);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rawSize));
}

}  // namespace

int main(int argc, char** argv) {
  struct Corpus {
    const char* name;
    Bytes data;
  };
  static std::vector<Corpus> corpora;
  corpora.push_back({"text", Headers()});
  corpora.push_back({"binary", ReadFile("/usr/bin/cmake", kCorpusSize)});
  corpora.push_back({"random", RandomBytes()});
  static std::vector<Bytes> streams;
  streams.reserve(16);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const Corpus& c : corpora) {
    if (c.data.empty()) continue;
    for (int level : {1, 6, 9}) {
      const Bytes* s = &streams.emplace_back(qel::test::ZlibDeflate(c.data, level));
      const std::string tag = std::string(c.name) + "_L" + std::to_string(level);
      benchmark::RegisterBenchmark(("BM_Inflate_Vorelkit/" + tag).c_str(), Ours, s, c.data.size(),
                                   qel::DeflateVariant::Deflate);
      benchmark::RegisterBenchmark(("BM_Inflate_Zlib/" + tag).c_str(), Zlib, s, c.data.size());
      pairs.emplace_back("BM_Inflate_Vorelkit/" + tag, "BM_Inflate_Zlib/" + tag);
      benchmark::RegisterBenchmark(("BM_Inflate_Libdeflate/" + tag).c_str(), Libdeflate, s,
                                   c.data.size());
      pairs.emplace_back("BM_Inflate_Vorelkit/" + tag, "BM_Inflate_Libdeflate/" + tag);
    }
    const Bytes d64 = SevenZipDeflate64(c.data);
    if (d64.empty()) continue;
    const Bytes* s = &streams.emplace_back(d64);
    const std::string name = std::string("BM_Inflate64_Vorelkit/") + c.name;
    benchmark::RegisterBenchmark(name.c_str(), Ours, s, c.data.size(),
                                 qel::DeflateVariant::Deflate64);
    pairs.emplace_back(name, std::string("BM_Inflate_Vorelkit/") + c.name + "_L9");
  }
  return vk::bench::RunWithRatios(argc, argv, pairs);
}
