// The .Z decoder: it reads what `compress` writes and what it cannot (no block mode) as
// `compress -d` and `gzip -d` read them, hand-made streams reach each verdict, and cut or
// damaged files end as the peers end them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>

#include "codecs/lzw/LzwDecompressStream.h"
#include "tests/codecs/inflate/InflateHelpers.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

struct Decoded {
  Bytes data;
  TLzwError error;
  uint64_t consumed;
};

// Reads of ever-changing sizes from a source that hands out odd pieces, so that strings and
// codes straddle both.
Decoded Decode(const Bytes& file) {
  const TCodecSource whole = SpanSource(file);
  const TCodecSource source = [&](uint8_t* buffer, size_t size) {
    return whole(buffer, std::min<size_t>(size, 40000));
  };
  TLzwDecompressStream lzw(source);
  Bytes data, piece(1 << 20);
  for (size_t i = 0; !lzw.Ended(); ++i) {
    const int64_t want = std::array{1, 3, 1000, 70000, 1 << 20}[i % 5];
    const int64_t got = lzw.Read(piece.data(), want);
    data.insert(data.end(), piece.begin(), piece.begin() + got);
    EXPECT_TRUE(got == want || lzw.Ended());
  }
  return {data, lzw.Error(), lzw.Consumed()};
}

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Every byte a literal code, without block mode, which `compress` cannot write. The code
// widens, after the rest of its group of eight, once the decoder's next free code (from 256,
// one more per code after the first) passes the width's range, at a largest width of 9 too.
Bytes Literals(const Bytes& data, uint32_t maxBits) {
  Bytes out = {0x1F, 0x9D, uint8_t(maxBits)};
  uint64_t bits = 0, held = 0, sinceWidth = 0;
  for (uint32_t i = 0, width = 9; i < data.size(); ++i) {
    const uint32_t next = std::min(256 + std::max(i, 1u) - 1, 1u << maxBits);
    if (next > (width > 9 && width == maxBits ? 1u << maxBits : (1u << width) - 1)) {
      held += (8 * width - sinceWidth % (8 * width)) % (8 * width);
      sinceWidth = 0;
      ++width;
    }
    for (; held >= 8; held -= 8, bits >>= 8) out.push_back(uint8_t(bits));
    bits |= uint64_t(data[i]) << held;
    held += width;
    sinceWidth += width;
  }
  for (; held > 0; held -= std::min<uint64_t>(held, 8), bits >>= 8) out.push_back(uint8_t(bits));
  return out;
}

// Text, and records, noise and text in turn, so that the table fills, the code widens and
// clear codes follow; and streams without block mode, which only `gzip -d` can judge.
TEST(CodecsLzwPeers, ReadsWhatThePeersRead) {
  VK_REQUIRE_TOOL("compress");
  VK_REQUIRE_TOOL("gzip");
  TestFolder dir;
  Bytes mixed = MakeSample(Sample::Binary, 700000);
  for (const Bytes& more : {MakeSample(Sample::Random, 300000), MakeSample(Sample::Text, 300000)})
    mixed.insert(mixed.end(), more.begin(), more.end());
  struct Row {
    std::string label;
    Bytes data, file;
  };
  std::vector<Row> rows;
  for (const auto& [name, data] :
       {std::pair{"text", MakeSample(Sample::Text, 1200000)}, std::pair{"mixed", mixed}}) {
    WriteFileBytes(dir / name, data);
    for (const std::string bits : {"9", "12", "16"})
      rows.push_back({"compress -b" + bits + " " + name, data,
                      AsBytes(RunTool({"compress", "-b", bits, "-c", dir / name}).out)});
  }
  const Bytes records = MakeSample(Sample::Binary, 70000);
  for (const uint32_t maxBits : {9u, 10u, 16u})
    rows.push_back({"gzip " + std::to_string(maxBits), records, Literals(records, maxBits)});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    WriteFileBytes(dir / "file.Z", row.file);
    const ToolRun judged =
        RunTool({row.label.substr(0, row.label.find(' ')), "-dc", dir / "file.Z"});
    const Decoded d = Decode(row.file);
    // `compress -b9` cannot read back its own files once the table is full.
    if (row.label.starts_with("compress -b9")) {
      EXPECT_FALSE(judged.Ok());
      EXPECT_EQ(d.error, TLzwError::CorruptInput);
      continue;
    }
    EXPECT_TRUE(AsBytes(judged.out) == row.data);
    EXPECT_EQ(d.error, TLzwError::None);
    EXPECT_TRUE(d.data == row.data);
    EXPECT_EQ(d.consumed, row.file.size());
  }
}

TEST(CodecsLzw, HandMadeStreamsReachEachVerdict) {
  using enum TLzwError;
  // After the header: 9-bit codes, least-significant bit first.
  const struct {
    const char* label;
    Bytes file;
    std::string data;
    TLzwError error;
  } kCases[] = {
      {"empty", {}, "", NotCompress},
      {"gzip magic", {0x1F, 0x8B, 0x08, 0x00}, "", NotCompress},
      {"cut header", {0x1F, 0x9D}, "", NotCompress},
      {"flag bit 5", {0x1F, 0x9D, 0xB0, 0x41, 0x00}, "", IncompleteCodeSet},
      {"flag bit 6", {0x1F, 0x9D, 0xD0, 0x41, 0x00}, "", IncompleteCodeSet},
      {"maxbits 8", {0x1F, 0x9D, 0x88, 0x41, 0x00}, "", BadMaxBits},
      {"maxbits 17", {0x1F, 0x9D, 0x91, 0x41, 0x00}, "", BadMaxBits},
      {"header only", {0x1F, 0x9D, 0x90}, "", None},
      {"first code 300", {0x1F, 0x9D, 0x90, 0x2C, 0x01}, "", CorruptInput},
      {"first code 256, a clear", {0x1F, 0x9D, 0x90, 0x00, 0x01}, "", CorruptInput},
      {"65 257: KwKwK", {0x1F, 0x9D, 0x90, 0x41, 0x02, 0x02}, "AAA", None},
      {"65 258: past the next free", {0x1F, 0x9D, 0x90, 0x41, 0x04, 0x02}, "A", CorruptInput},
      // The rest of the group after a clear is skipped, and the first string added is 257.
      {"65 256 66 257",
       {0x1F, 0x9D, 0x90, 0x41, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0x42, 0x02, 0x02},
       "ABBB",
       None},
      {"65 256 257",
       {0x1F, 0x9D, 0x90, 0x41, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0x01, 0x01},
       "A",
       CorruptInput},
      {"65 256 without block mode", {0x1F, 0x9D, 0x10, 0x41, 0x00, 0x02}, "AAA", None},
      {"65 257 without block mode", {0x1F, 0x9D, 0x10, 0x41, 0x02, 0x02}, "A", CorruptInput},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.label);
    const Decoded d = Decode(c.file);
    EXPECT_EQ(d.error, c.error);
    EXPECT_EQ(std::string(d.data.begin(), d.data.end()), c.data);
  }
}

// Every third file is cut, the others damaged: each ends with the verdict `compress -d` gives
// it and with what `gzip -d` delivers of it.
TEST(CodecsLzwPeers, CutAndDamagedFilesEndAsThePeersEndThem) {
  VK_REQUIRE_TOOL("compress");
  VK_REQUIRE_TOOL("gzip");
  TestFolder dir;
  Bytes data = MakeSample(Sample::Text, 40000);
  const Bytes noise = MakeSample(Sample::Random, 3000);
  data.insert(data.end(), noise.begin(), noise.end());
  WriteFileBytes(dir / "data", data);
  const Bytes file = AsBytes(RunTool({"compress", "-b", "12", "-c", dir / "data"}).out);
  std::mt19937 rng(7);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    Bytes damaged = file;
    if (round % 3 == 0) damaged.resize(3 + rng() % (file.size() - 3));
    for (int flips = 0; flips < round % 3; ++flips)
      damaged[3 + rng() % (damaged.size() - 3)] ^= uint8_t(1u << rng() % 8);
    WriteFileBytes(dir / "damaged.Z", damaged);
    const Decoded d = Decode(damaged);
    EXPECT_TRUE(AsBytes(RunTool({"gzip", "-dc", dir / "damaged.Z"}).out) == d.data);
    EXPECT_EQ(RunTool({"compress", "-dc", dir / "damaged.Z"}).Ok(), d.error == TLzwError::None);
  }
}

}  // namespace
}  // namespace qel::test
