#include <gtest/gtest.h>

#include "tests/codecs/inflate/InflateHelpers.h"

namespace qel::test {
namespace {

// A source holding `before` junk bytes, the stream, and `after` junk bytes, positioned at the
// stream.
void Fill(TMemoryStream32& source, const Bytes& stream, size_t before, size_t after) {
  const Bytes junk(std::max(before, after), 0xEE);
  source.Write(junk.data(), int64_t(before));
  source.Write(stream.data(), int64_t(stream.size()));
  source.Write(junk.data(), int64_t(after));
  source.SetPosition(int64_t(before));
}

TEST(InflatePull, TinyBuffersAndChunksReadTheWholeStreamAndRealignTheSource) {
  const Bytes data = MakeSample(Sample::Text, 150000);
  const Bytes stream = ZlibDeflate(data, 9);
  TMemoryStream32 source;
  Fill(source, stream, 7, 5);
  {
    TDecompressStream pull(source);
    Bytes got;
    uint8_t buf[16];
    for (int64_t n = 1;; n = n % 16 + 1) {  // buffers of 1 to 16 bytes
      const int64_t read = n % 3 == 0 ? pull.ReadChunk(buf, n % 5 + 1, n) : pull.Read(buf, n);
      got.insert(got.end(), buf, buf + read);
      if (read < n) break;
    }
    EXPECT_EQ(pull.Status(), InflateStatus::StreamEnd);
    EXPECT_TRUE(got == data);
    source.SetPosition(0);  // the stream seeks the source back before every fetch
  }
  EXPECT_EQ(source.Position(), int64_t(7 + stream.size()));
}

TEST(InflatePull, SeekSkipsForwardStaysOnOtherTargetsAndRestartsAtZero) {
  const Bytes data = MakeSample(Sample::Binary, 100000);
  TMemoryStream32 source;
  Fill(source, ZlibDeflate(data, 6), 3, 0);
  TDecompressStream pull(source);
  uint8_t b = 0;
  EXPECT_EQ(pull.Seek(1000, TSeekOrigin::soCurrent), 1000);
  EXPECT_EQ(pull.Seek(500, TSeekOrigin::soBeginning), 1000);
  EXPECT_EQ(pull.Seek(-10, TSeekOrigin::soEnd), 1000);
  EXPECT_EQ(pull.Seek(70000, TSeekOrigin::soBeginning), 70000);
  ASSERT_EQ(pull.Read(&b, 1), 1);
  EXPECT_EQ(b, data[70000]);
  EXPECT_EQ(pull.Seek(0, TSeekOrigin::soBeginning), 0);
  Bytes all(data.size() + 10);
  EXPECT_EQ(pull.Read(all.data(), int64_t(all.size())), int64_t(data.size()));
  all.resize(data.size());
  EXPECT_TRUE(all == data);
}

TEST(InflatePull, DrySourceReportsNeedInputAndResumesWhenMoreArrives) {
  const Bytes data = MakeSample(Sample::Text, 80000);
  const Bytes stream = ZlibDeflate(data, 1);
  const size_t half = stream.size() / 2;
  TMemoryStream32 source;
  source.Write(stream.data(), int64_t(half));
  source.SetPosition(0);
  TDecompressStream pull(source);
  Bytes got(data.size());
  const int64_t first = pull.Read(got.data(), int64_t(got.size()));
  EXPECT_LT(first, int64_t(data.size()));
  EXPECT_EQ(pull.Status(), InflateStatus::NeedInput);
  source.Seek(0, TSeekOrigin::soEnd);
  source.Write(stream.data() + half, int64_t(stream.size() - half));
  EXPECT_EQ(pull.Read(got.data() + first, int64_t(got.size()) - first),
            int64_t(data.size()) - first);
  EXPECT_EQ(pull.Status(), InflateStatus::StreamEnd);
  EXPECT_TRUE(got == data);
}

TEST(InflatePull, InputFilterSeesEveryByteAndBadDataStops) {
  const Bytes data = MakeSample(Sample::Text, 40000);
  Bytes stream = ZlibDeflate(data, 6);
  for (auto& b : stream) b ^= 0x5A;
  TMemoryStream32 source;
  Fill(source, stream, 0, 0);
  TDecompressStream pull(source, [](uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] ^= 0x5A;
  });
  Bytes got(data.size());
  EXPECT_EQ(pull.Read(got.data(), int64_t(got.size())), int64_t(data.size()));
  EXPECT_TRUE(got == data);

  TMemoryStream32 bad;
  const Bytes type3 = {0x07};
  Fill(bad, type3, 0, 0);
  TDecompressStream failing(bad);
  EXPECT_EQ(failing.Read(got.data(), 10), 0);
  EXPECT_EQ(failing.Status(), InflateStatus::BadBlockType);
}

}  // namespace
}  // namespace qel::test
