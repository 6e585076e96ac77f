#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <limits>
#include <memory>

#include "codecs/deflate/CompressStream.h"
#include "codecs/deflate/DeflateStream.h"
#include "codecs/parallel/Workers.h"
#include "formats/zip/ZipAes.h"
#include "codecs/crypto/ZipCrypto.h"
#include "tests/codecs/inflate/InflateHelpers.h"

namespace qel {
namespace {

using test::Bytes;
using test::MakeSample;
using test::Sample;

// Takes `capacity` bytes and then refuses; records the size of every write.
class Destination : public TMemoryStream32 {
 public:
  explicit Destination(int64_t capacity = std::numeric_limits<int64_t>::max())
      : capacity_(capacity) {}
  int64_t Write(const void* buffer, int64_t count) override {
    writes.push_back(count);
    return TMemoryStream32::Write(buffer, std::min(count, capacity_ - Size()));
  }
  Bytes Contents() { return Bytes(Data(), Data() + Size()); }
  std::vector<int64_t> writes;

 private:
  int64_t capacity_;
};

// A source that stops one byte short of its size.
class ShortSource : public TMemoryStream32 {
 public:
  using TMemoryStream32::TMemoryStream32;
  int64_t Read(void* buffer, int64_t count) override {
    return TMemoryStream32::Read(buffer, std::min(count, Size() - 1 - Position()));
  }
};

// Both zlib and our own decoder must read the stream back to `data`.
void ExpectInflatesTo(const Bytes& stream, const Bytes& data) {
  z_stream z{};
  inflateInit2(&z, -15);
  Bytes out(data.size() + 1);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  inflateEnd(&z);
  EXPECT_EQ(out, data);
  const test::Decoded ours = test::InflateAll(stream);
  EXPECT_EQ(ours.status, InflateStatus::StreamEnd);
  EXPECT_EQ(ours.data, data);
}

TEST(CodecsDeflate, EmptyInputGivesAnEmptyStreamAndCrcZero) {
  for (int level = 0; level < 4; ++level) {
    TMemoryStream32 input;
    Destination output;
    uint32_t crc = 0xDEADBEEF;
    EXPECT_TRUE(DeflateStream(input, output, {}, level, crc));
    EXPECT_EQ(crc, 0u);
    ExpectInflatesTo(output.Contents(), {});
  }
}

TEST(CodecsDeflate, EveryLevelRoundTripsInBufferSizedWrites) {
  constexpr int kZlibLevel[] = {0, 1, 6, 9};  // by level index
  Bytes mixed = MakeSample(Sample::Text, 400000);
  for (Sample kind : {Sample::Binary, Sample::Random}) {
    const Bytes part = MakeSample(kind, 300000, 7);
    mixed.insert(mixed.end(), part.begin(), part.end());
  }
  const Bytes samples[] = {MakeSample(Sample::Text, 100000), MakeSample(Sample::Random, 100000),
                           mixed};
  for (int level = 0; level < 4; ++level) {
    for (const Bytes& data : samples) {
      SCOPED_TRACE(testing::Message() << "level " << level << ", " << data.size() << " bytes");
      TMemoryStream32 input(data);
      input.SetPosition(data.size() / 2);  // the whole input is taken, from its start
      Destination output;
      TDeflateSetup setup;
      int64_t left = int64_t(data.size());
      setup.Progress.Attach(&left, nullptr);
      uint32_t crc = 0;
      ASSERT_TRUE(DeflateStream(input, output, setup, level, crc));

      const Bytes stream = output.Contents();
      ExpectInflatesTo(stream, data);
      EXPECT_EQ(crc, crc32(0, data.data(), uInt(data.size())));
      EXPECT_EQ(left, 0);
      if (level == 0) {
        EXPECT_EQ(stream[0] & 0x06, 0);  // BTYPE 00: stored
      } else {
        // Near zlib at the same level, whichever library made it: the level reached it.
        EXPECT_LE(stream.size(), test::ZlibDeflate(data, kZlibLevel[level]).size() * 11 / 10);
      }
      for (size_t i = 0; i + 1 < output.writes.size(); ++i)
        EXPECT_EQ(output.writes[i], TCompressStream::kBufferSize);
    }
  }
}

TEST(CodecsDeflate, EncipheredOutputDeciphersAndInflates) {
  const Bytes data = MakeSample(Sample::Random, 300000, 3);
  const TSeedKeyRecord seed{0x12345678, 0x23456789, 0x34567890};
  zip::TZipAesKeys aes;
  aes.AesKey.fill(0x5A);
  aes.HmacKey.fill(0xA5);
  struct Case {
    const char* name;
    std::function<std::unique_ptr<IDataCipher>()> encipher;
    std::function<void(Bytes&)> decipher;
  };
  const Case cases[] = {
      {"zipcrypto",
       [&] { return std::make_unique<TZipCryptoEncipher>(TZipCryptoKeys(seed, "pw")); },
       [&](Bytes& b) { TZipCryptoKeys(seed, "pw").Decrypt(b.data(), b.size()); }},
      {"aes", [&] { return std::make_unique<zip::TZipAesEncipher>(aes); },
       [&](Bytes& b) { zip::TZipAesDecipher(aes).Decipher(b.data(), b.size()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto cipher = c.encipher();
    Destination output;
    TCompressStream stream(output, 1, cipher.get());
    // Uneven writes: the buffers reach the cipher at their own size, not the writes'.
    for (size_t at = 0; at < data.size(); at += 7777) {
      const int64_t n = int64_t(std::min<size_t>(7777, data.size() - at));
      ASSERT_EQ(stream.Write(data.data() + at, n), n);
    }
    ASSERT_TRUE(stream.Finish());
    EXPECT_EQ(stream.CRC(), 0u);
    EXPECT_EQ(stream.TotalIn(), int64_t(data.size()));
    EXPECT_EQ(output.writes.size(), 3u);  // two full buffers and the rest
    Bytes stored = output.Contents();
    c.decipher(stored);
    ExpectInflatesTo(stored, data);
  }
}

// Large inputs are cut into blocks deflated on the workers' threads: the result is one
// ordinary stream whatever the cut, the same bytes with or without threads, and as small as
// one zlib stream give or take the flushes at the cuts.
TEST(CodecsDeflate, BlocksJoinIntoOneStreamWhateverTheThreads) {
  const size_t block = kDeflateBlockSize;
  const Bytes text = MakeSample(Sample::Text, 3 * block + 17);
  TWorkers workers(2);
  for (size_t size : {size_t(0), size_t(1), block - 1, block, block + 1, 3 * block + 17}) {
    SCOPED_TRACE(size);
    const Bytes data(text.begin(), text.begin() + std::ptrdiff_t(size));
    Bytes made[2];
    for (int threaded = 0; threaded < 2; ++threaded) {
      Destination output;
      TCompressStream stream(output, 2, nullptr, threaded ? &workers : nullptr);
      // Uneven writes, so that cuts fall inside them.
      for (size_t at = 0; at < size; at += 300007) {
        const int64_t n = int64_t(std::min<size_t>(300007, size - at));
        ASSERT_EQ(stream.Write(data.data() + at, n), n);
      }
      ASSERT_TRUE(stream.Finish());
      EXPECT_EQ(stream.CRC(), crc32(0, data.data(), uInt(size)));
      made[threaded] = output.Contents();
      for (size_t i = 0; i + 1 < output.writes.size(); ++i)
        EXPECT_EQ(output.writes[i], TCompressStream::kBufferSize);
    }
    EXPECT_EQ(made[0], made[1]);
    ExpectInflatesTo(made[1], data);
    if (size > block) {
      EXPECT_LE(made[1].size(), test::ZlibDeflate(data, 6).size() * 1005 / 1000);
    }
  }
}

TEST(CodecsDeflate, CancelStopsBetweenBlocksAndFailsTheStream) {
  const Bytes data = MakeSample(Sample::Random, 3 * kDeflateBlockSize);
  std::atomic<uint8_t> cancel{0};
  Destination output;
  TCompressStream stream(output, 1);
  stream.Cancel = &cancel;
  int64_t left = int64_t(data.size());
  stream.Progress.Attach(&left, [&] { cancel = 1; });

  EXPECT_EQ(stream.Write(data.data(), int64_t(data.size())), 0);
  EXPECT_EQ(stream.TotalIn(), int64_t(kDeflateBlockSize));
  EXPECT_EQ(left, int64_t(data.size()) - stream.TotalIn());
  EXPECT_FALSE(stream.Finish());
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(output.Size(), 0);

  TMemoryStream32 input(data);
  Destination other;
  TDeflateSetup setup;
  setup.Cancel = &cancel;
  uint32_t crc = 0;
  EXPECT_FALSE(DeflateStream(input, other, setup, 2, crc));
}

TEST(CodecsDeflate, RefusedWritesFailTheStream) {
  struct Case {
    Bytes data;
    int64_t capacity;
    bool writeTaken;  // whether the input is taken before the refusal shows
  };
  // Output is written as blocks complete: only a later block's arrival shows the refusal
  // to a Write; otherwise Finish does.
  const Case cases[] = {
      {MakeSample(Sample::Random, 3 * kDeflateBlockSize), 0, false},
      {MakeSample(Sample::Random, 3 * kDeflateBlockSize), 200000, false},
      {MakeSample(Sample::Random, 500000), 200000, true},
      {MakeSample(Sample::Text, 50000), 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capacity);
    Destination output(c.capacity);
    TCompressStream stream(output, 2);
    const int64_t size = int64_t(c.data.size());
    EXPECT_EQ(stream.Write(c.data.data(), size), c.writeTaken ? size : 0);
    EXPECT_FALSE(stream.Finish());
    EXPECT_TRUE(stream.Failed());
    EXPECT_EQ(stream.Write(c.data.data(), 1), 0);
  }

  const Bytes data = MakeSample(Sample::Text, 1000);
  ShortSource input(data);
  Destination output;
  uint32_t crc = 0;
  EXPECT_FALSE(DeflateStream(input, output, {}, 2, crc));
}

}  // namespace
}  // namespace qel
