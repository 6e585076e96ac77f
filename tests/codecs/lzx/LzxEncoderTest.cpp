// The LZX encoder through real decoders: its frames as the data blocks of a one-folder,
// one-file cabinet that libmspack, cabextract and 7-Zip read back, at the smallest, a middle
// and the largest window; and its ratio on the project's own sources against MSZIP's Deflate.
#include "codecs/lzx/LzxEncoder.h"

#include <gtest/gtest.h>
#include <mspack.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

struct Coded {
  Bytes Cabinet;
  size_t Packed = 0;     // the data blocks' bytes
  size_t MostGrown = 0;  // the most a frame's bytes exceed the frame
};

// CFHEADER, one CFFOLDER (LZX with the window), one CFFILE "data.bin" and a CFDATA per frame,
// without checksums.
Coded Cabinet(const Bytes& data, int windowBits) {
  constexpr size_t kHeader = 36, kFolder = 8, kFile = 16;
  const std::string name = "data.bin";
  const size_t dataStart = kHeader + kFolder + kFile + name.size() + 1;
  Coded c;
  c.Cabinet.resize(dataStart);
  TLzxEncoder encoder(windowBits);
  uint16_t blocks = 0;
  Bytes coded;
  for (size_t at = 0; at < data.size(); at += kLzxFrameSize, ++blocks) {
    const size_t n = std::min(kLzxFrameSize, data.size() - at);
    coded.clear();
    encoder.EncodeFrame({data.data() + at, n}, coded);
    c.Packed += coded.size();
    c.MostGrown = std::max(c.MostGrown, coded.size() > n ? coded.size() - n : 0);
    uint8_t block[8] = {};
    PutU16(block + 4, uint16_t(coded.size()));
    PutU16(block + 6, uint16_t(n));
    c.Cabinet.insert(c.Cabinet.end(), block, block + 8);
    c.Cabinet.insert(c.Cabinet.end(), coded.begin(), coded.end());
  }
  uint8_t* p = c.Cabinet.data();
  std::copy_n("MSCF", 4, p);
  PutU32(p + 8, uint32_t(c.Cabinet.size()));
  PutU32(p + 16, uint32_t(kHeader + kFolder));  // coffFiles
  p[24] = 3;                                    // version 1.3
  p[25] = 1;
  PutU16(p + 26, 1);  // one folder
  PutU16(p + 28, 1);  // one file
  p += kHeader;
  PutU32(p, uint32_t(dataStart));
  PutU16(p + 4, blocks);
  PutU16(p + 6, uint16_t(3 | windowBits << 8));
  p += kFolder;
  PutU32(p, uint32_t(data.size()));
  PutU16(p + 10, 0x5021);  // 2020-01-01
  PutU16(p + 14, 0x20);    // archive
  std::copy(name.begin(), name.end(), p + kFile);
  return c;
}

Bytes ExtractWithLibmspack(const std::string& cabinet, const std::string& out) {
  mscab_decompressor* cabd = mspack_create_cab_decompressor(nullptr);
  mscabd_cabinet* cab = cabd->open(cabd, cabinet.c_str());
  EXPECT_NE(cab, nullptr);
  if (cab) {
    EXPECT_EQ(cabd->extract(cabd, cab->files, out.c_str()), MSPACK_ERR_OK);
    cabd->close(cabd, cab);
  }
  mspack_destroy_cab_decompressor(cabd);
  return ReadFileBytes(out);
}

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes Random(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (uint8_t& c : b) c = uint8_t(gen());
  return b;
}

// The project's own sources (the fuzz corpus is fuzz/corpus in them), every *.cpp in name
// order.
Bytes SourceTree() {
  const fs::path root = fs::path(VK_FUZZ_CORPUS_DIR).parent_path().parent_path();
  std::vector<fs::path> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->is_directory() && it->path().filename() == "build") it.disable_recursion_pending();
    if (it->is_regular_file() && it->path().extension() == ".cpp") files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  Bytes all;
  for (const fs::path& f : files) {
    const Bytes b = ReadFileBytes(f.string());
    all.insert(all.end(), b.begin(), b.end());
  }
  return all;
}

// Programs' bytes, from /usr/bin, up to `n`.
Bytes Binaries(size_t n) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator("/usr/bin"))
    if (e.is_regular_file() && !e.is_symlink() && e.file_size() > 100000) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  Bytes all;
  for (size_t i = 0; i < files.size() && all.size() < n; ++i) {
    const Bytes b = ReadFileBytes(files[i].string());
    all.insert(all.end(), b.begin(), b.begin() + long(std::min(b.size(), n - all.size())));
  }
  return all;
}

TEST(LzxEncoder, PeersReadEveryFrameAtEveryWindow) {
  VK_REQUIRE_TOOL("cabextract");
  VK_REQUIRE_TOOL("7z");
  const Bytes text = SourceTree();
  ASSERT_GT(text.size(), 1000000u);
  const Bytes noise = Random(200000, 7);
  Bytes runs;
  for (const char c : std::string("abcab")) runs.insert(runs.end(), 70000, uint8_t(c));
  // The same 200 KB twice, out of reach of a 128 KiB window.
  Bytes far = noise;
  far.insert(far.end(), noise.begin(), noise.end());
  // Text with a stored frame amid it: the trees after it are sent against those before.
  Bytes mixed(text.begin(), text.begin() + 190000);
  mixed.insert(mixed.end(), noise.begin(), noise.begin() + 40000);
  mixed.insert(mixed.end(), text.begin() + 190000, text.begin() + 400000);
  const struct {
    const char* name;
    Bytes data;
    int shrinksFrom;  // the window bits from which it codes to less than 60 %
  } inputs[] = {
      {"empty", {}, 99},
      {"one byte", {'x'}, 99},
      {"a frame but one", Bytes(text.begin(), text.begin() + 32767), 15},
      {"a frame", Bytes(text.begin(), text.begin() + 32768), 15},
      {"a frame and one", Bytes(text.begin(), text.begin() + 32769), 15},
      {"a megabyte of text", Bytes(text.begin(), text.begin() + 1000000), 15},
      {"a megabyte of programs", Binaries(1000000), 15},
      {"random", Bytes(noise.begin(), noise.begin() + 100001), 99},
      {"runs of one byte", runs, 15},
      {"text and a random frame", mixed, 15},
      {"repeats farther than 128 KiB", far, 18},
  };
  TestFolder dir;
  for (const int window : {15, 18, 21}) {
    for (const auto& in : inputs) {
      SCOPED_TRACE(std::string(in.name) + " at window " + std::to_string(window));
      const Coded c = Cabinet(in.data, window);
      const std::string cab = dir / "lzx.cab";
      WriteFileBytes(cab, c.Cabinet);
      EXPECT_TRUE(ExtractWithLibmspack(cab, dir / "out.bin") == in.data);
      const ToolRun cabextract = RunTool({"cabextract", "-p", cab});
      EXPECT_TRUE(cabextract.Ok()) << cabextract.err;
      EXPECT_TRUE(cabextract.out == AsText(in.data));
      const ToolRun sevenZip = RunTool({"7z", "x", "-so", cab});
      EXPECT_TRUE(sevenZip.Ok()) << sevenZip.out << sevenZip.err;
      EXPECT_TRUE(sevenZip.out == AsText(in.data));

      // A frame that does not shrink is stored: its header, the repeated offsets and a pad
      // byte after an odd count.
      EXPECT_LE(c.MostGrown, 17u);
      if (window >= in.shrinksFrom)
        EXPECT_LT(c.Packed, in.data.size() * 6 / 10);
      else
        EXPECT_GE(c.Packed, in.data.size());
    }
  }
}

// MSZIP's Deflate of the same frames, each primed with the one before, as a cabinet holds
// them: "CK" and the stream per frame.
size_t MsZipSize(const Bytes& data, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(kLzxFrameSize * 2);
  size_t total = 0;
  for (size_t at = 0; at < data.size(); at += kLzxFrameSize) {
    deflateReset(&z);
    if (at) deflateSetDictionary(&z, data.data() + at - kLzxFrameSize, uInt(kLzxFrameSize));
    z.next_in = const_cast<Bytef*>(data.data() + at);
    z.avail_in = uInt(std::min(kLzxFrameSize, data.size() - at));
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    total += 2 + out.size() - z.avail_out;
  }
  deflateEnd(&z);
  return total;
}

TEST(LzxEncoder, SourcesCodeSmallerThanMsZip) {
  const Bytes tree = SourceTree();
  const size_t lzx = Cabinet(tree, 21).Packed;
  const size_t mszip = MsZipSize(tree, 9);
  std::printf("%zu bytes of sources: LZX-21 %zu, MSZIP-9 %zu (%.1f %% smaller)\n", tree.size(), lzx,
              mszip, 100.0 - 100.0 * double(lzx) / double(mszip));
  EXPECT_LT(lzx, mszip * 95 / 100);
}

}  // namespace
}  // namespace qel::test
