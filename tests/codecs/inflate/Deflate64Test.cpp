#include <gtest/gtest.h>

#include "codecs/checksum/Crc.h"
#include "formats/zip/Records.h"
#include "tests/codecs/inflate/CraftedStreams.h"
#include "tests/codecs/inflate/InflateHelpers.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

// Data that only a 64 KiB window compresses well: blocks repeated 40 000 bytes apart and
// runs longer than 258 bytes.
Bytes WideRepeats() {
  Bytes out;
  const Bytes block = MakeSample(Sample::Random, 40000, 7);
  for (int i = 0; i < 3; ++i) {
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), 70000, uint8_t('x' + i));
  }
  const Bytes text = MakeSample(Sample::Text, 50000);
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

TEST(Deflate64Peer, DecodesWhatSevenZipWrites) {
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  const Bytes data = WideRepeats();
  WriteFileBytes(dir / "data.bin", data);
  ASSERT_TRUE(
      RunToolOk({"7z", "a", "-tzip", "-mm=Deflate64", "-mx=9", "a.zip", "data.bin"}, dir.Path()));
  const Bytes zip = ReadFileBytes(dir / "a.zip");
  ASSERT_GE(zip.size(), zip::kLocalHeaderSize);
  const zip::LocalHeader h = zip::UnpackLocal(zip.data());
  ASSERT_EQ(h.Method, 9);
  const size_t at = zip::kLocalHeaderSize + h.NameLength + h.ExtraLength;
  ASSERT_LE(at + h.CompressedSize, zip.size());
  const Bytes stream(zip.begin() + ptrdiff_t(at), zip.begin() + ptrdiff_t(at + h.CompressedSize));

  for (size_t chunk : {size_t(32768), size_t(4093), size_t(1)}) {
    SCOPED_TRACE(chunk);
    const Decoded d = InflateAll(stream, chunk, DeflateVariant::Deflate64);
    ASSERT_EQ(d.status, InflateStatus::StreamEnd);
    ASSERT_TRUE(d.data == data);
    EXPECT_EQ(Crc32(0, d.data.data(), d.data.size()), h.Crc);
  }
  // Read as plain Deflate, the wider codes mean something else or nothing.
  const Decoded plain = InflateAll(stream, 32768, DeflateVariant::Deflate);
  EXPECT_FALSE(plain.status == InflateStatus::StreamEnd && plain.data == data);
}

TEST(Deflate64Crafted, LongLengthAndFarDistanceCodes) {
  // A stored block of 40000 bytes, then a match of 65538 at distance 1 (code 285 with 16
  // extra bits) and one of 3 at distance 32769 (code 30).
  const Bytes stored = MakeSample(Sample::Random, 40000, 3);
  BitWriter w;
  w.Put(0, 3);
  w.AlignToByte();
  w.Put(40000, 16);
  w.Put(40000 ^ 0xFFFF, 16);
  for (uint8_t b : stored) w.Put(b, 8);
  AllSymbolsBlock b(w);
  b.Lit(285);
  w.Put(65535, 16);
  b.Dist(0);
  b.Lit(257);
  b.Dist(30);
  w.Put(0, 14);
  b.Lit(256);

  Bytes want = stored;
  want.insert(want.end(), 65538, stored.back());
  const size_t from = want.size() - 32769;
  for (size_t i = 0; i < 3; ++i) want.push_back(want[from + i]);

  for (size_t chunk : {size_t(32768), size_t(1)}) {
    const Decoded d = InflateAll(w.Data(), chunk, DeflateVariant::Deflate64);
    ASSERT_EQ(d.status, InflateStatus::StreamEnd);
    EXPECT_TRUE(d.data == want);
  }
  const Decoded plain = InflateAll(w.Data(), 32768, DeflateVariant::Deflate);
  EXPECT_NE(plain.status, InflateStatus::StreamEnd);
}

}  // namespace
}  // namespace qel::test
