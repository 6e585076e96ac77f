// The bzip2 streams: what the compressor writes reads back and is cut into the promised
// pieces; the decoder reads every stream of a run, and damaged, cut or foreign input ends it
// with the right status and what came before it delivered.
#include <gtest/gtest.h>

#include <bzlib.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "codecs/bzip2/BZCompressStream.h"
#include "codecs/bzip2/Bz2Decode.h"
#include "codecs/checksum/Crc.h"
#include "tests/codecs/inflate/InflateHelpers.h"

namespace qel {
namespace {

using test::Bytes;
using test::MakeSample;
using test::Sample;

// Keeps what is written and the size of every write; refuses everything after `capacity`.
struct Destination : IByteSink {
  int64_t Write(const void* buffer, int64_t count) override {
    if (int64_t(data.size()) + count > capacity) return 0;
    writes.push_back(count);
    data.insert(data.end(), static_cast<const uint8_t*>(buffer),
                static_cast<const uint8_t*>(buffer) + count);
    return count;
  }
  Bytes data;
  std::vector<int64_t> writes;
  int64_t capacity = INT64_MAX;
};

// libbz2 itself, for streams made independently of the code under test.
Bytes Reference(Bytes data, int blockSize) {
  data.reserve(1);  // libbz2 refuses a null source, even for nothing
  std::vector<char> out(data.size() + data.size() / 100 + 600);
  unsigned size = unsigned(out.size());
  EXPECT_EQ(BZ2_bzBuffToBuffCompress(out.data(), &size, reinterpret_cast<char*>(data.data()),
                                     unsigned(data.size()), blockSize, 0, 30),
            BZ_OK);
  return Bytes(out.begin(), out.begin() + size);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Decodes `stream` handed over in odd-sized pieces, so that stream ends fall inside them.
TDecodeResult Decode(const Bytes& stream, uint64_t expected, Bytes& out, bool refuse = false) {
  const TCodecSource whole = SpanSource(stream);
  const TCodecSource source = [&](uint8_t* buffer, size_t size) {
    return whole(buffer, std::min<size_t>(size, 777));
  };
  return Bz2Decode(
      source,
      [&](std::span<const uint8_t> piece) {
        if (refuse) return false;
        out.insert(out.end(), piece.begin(), piece.end());
        return true;
      },
      expected);
}

TEST(CodecsBzip2, RoundTripsInBufferSizedPieces) {
  Bytes mixed = MakeSample(Sample::Text, 250000);
  const Bytes noise = MakeSample(Sample::Random, 150000, 5);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  const struct {
    const char* label;
    Bytes data;
    int blockSize;
    size_t chunk;  // the size of each Write
  } cases[] = {
      {"empty", {}, 9, 1},
      {"small", MakeSample(Sample::Text, 1000), 2, 7},
      {"multi-block", mixed, 1, 65536},
      {"one large write", mixed, 9, mixed.size()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Destination out;
    {
      TBZCompressStream bz(out, c.blockSize);
      int64_t left = int64_t(c.data.size());
      bz.Progress.Attach(&left, nullptr);
      for (size_t at = 0; at < c.data.size(); at += c.chunk) {
        const int64_t n = int64_t(std::min(c.chunk, c.data.size() - at));
        ASSERT_EQ(bz.Write(c.data.data() + at, n), n);
      }
      ASSERT_TRUE(bz.Finish());
      EXPECT_EQ(bz.CRC(), Crc32(0, c.data.data(), c.data.size()));
      EXPECT_EQ(bz.TotalIn(), int64_t(c.data.size()));
      EXPECT_EQ(left, 0);
    }
    ASSERT_GE(out.data.size(), 4u);
    EXPECT_EQ(std::string(out.data.begin(), out.data.begin() + 4),
              "BZh" + std::to_string(c.blockSize));
    for (size_t i = 0; i + 1 < out.writes.size(); ++i)
      EXPECT_EQ(out.writes[i], int64_t(Tbz2Stream::kBufferSize));
    // Nothing in makes the valid empty stream, never nothing at all.
    if (c.data.empty()) {
      EXPECT_EQ(out.data, Reference({}, 9));
    }
    Bytes back;
    const TDecodeResult r = Decode(out.data, UINT64_MAX, back);
    EXPECT_EQ(r.Status, TDecodeStatus::Ok);
    EXPECT_EQ(back, c.data);
  }
}

TEST(CodecsBzip2, RefusedWriteOrCancelStopsTheStream) {
  const Bytes data = MakeSample(Sample::Random, 300000);
  Destination full;
  full.capacity = 20000;
  TBZCompressStream refused(full, 1);
  EXPECT_EQ(refused.Write(data.data(), int64_t(data.size())), 0);
  EXPECT_TRUE(refused.Failed());
  EXPECT_FALSE(refused.Finish());

  Destination out;
  std::atomic<uint8_t> cancel = 0;
  TBZCompressStream cancelled(out, 9);
  cancelled.Cancel = &cancel;
  EXPECT_EQ(cancelled.Write(data.data(), 1000), 1000);
  cancel = 1;
  EXPECT_EQ(cancelled.Write(data.data(), 1000), 0);
  EXPECT_FALSE(cancelled.Finish());
  EXPECT_TRUE(out.data.empty());
}

TEST(CodecsBzip2, DecodeOutcomes) {
  const Bytes a = MakeSample(Sample::Text, 5000, 1), b = MakeSample(Sample::Binary, 7000, 2),
              c = MakeSample(Sample::Text, 3000, 3);
  const Bytes big = MakeSample(Sample::Text, 350000, 4);  // four blocks of 100,000
  const Bytes bigStream = Reference(big, 1);
  Bytes damaged = bigStream;
  damaged[damaged.size() * 3 / 8] ^= 0x10;  // inside the second block
  const Bytes ab = Join({a, b}), abc = Join({a, b, c});
  const Bytes bStream = Reference(b, 9);
  const Bytes cut(bStream.begin(), bStream.begin() + long(bStream.size() / 2));
  const std::string garbage = "not a stream";
  const struct {
    const char* label;
    Bytes stream;
    uint64_t expected;
    TDecodeStatus status;
    Bytes out;         // all of it; or, when `under` is set, how it starts
    size_t under = 0;  // more than the start and less than this came out
  } cases[] = {
      {"streams back to back", Join({Reference(a, 1), Reference(b, 9), Reference(c, 5)}),
       UINT64_MAX, TDecodeStatus::Ok, abc},
      {"an empty stream among them", Join({Reference(a, 9), Reference({}, 9), bStream}), UINT64_MAX,
       TDecodeStatus::Ok, ab},
      {"the size asked for stops it", Join({Reference(a, 9), bStream}), 6000, TDecodeStatus::Ok,
       Bytes(ab.begin(), ab.begin() + 6000)},
      {"bytes after the last stream",
       Join({Reference(a, 9), Bytes(garbage.begin(), garbage.end())}), UINT64_MAX,
       TDecodeStatus::Ok, a},
      {"not bzip2", Bytes(garbage.begin(), garbage.end()), UINT64_MAX, TDecodeStatus::Corrupt, {}},
      {"damaged second block", damaged, UINT64_MAX, TDecodeStatus::Corrupt,
       Bytes(big.begin(), big.begin() + 99000), big.size()},
      {"cut inside the only stream", cut, UINT64_MAX, TDecodeStatus::UnexpectedEnd, {}, b.size()},
      {"cut inside a later stream", Join({Reference(a, 9), cut}), UINT64_MAX,
       TDecodeStatus::UnexpectedEnd, a, ab.size()},
      {"nothing at all", {}, UINT64_MAX, TDecodeStatus::UnexpectedEnd, {}},
      {"nothing asked for", {}, 0, TDecodeStatus::Ok, {}},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.label);
    Bytes out;
    const TDecodeResult r = Decode(t.stream, t.expected, out);
    EXPECT_EQ(r.Status, t.status);
    EXPECT_EQ(r.Decoded, out.size());
    if (t.under) {
      ASSERT_GE(out.size(), t.out.size());
      EXPECT_TRUE(std::equal(t.out.begin(), t.out.end(), out.begin()));
      EXPECT_LT(out.size(), t.under);
    } else {
      EXPECT_EQ(out, t.out);
    }
  }
  Bytes none;
  const TDecodeResult refused = Decode(Reference(a, 9), UINT64_MAX, none, true);
  EXPECT_EQ(refused.Status, TDecodeStatus::Aborted);
  EXPECT_EQ(refused.Decoded, 0u);
}

}  // namespace
}  // namespace qel
