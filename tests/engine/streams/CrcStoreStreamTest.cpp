#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/streams/CalcStreamCRC.h"
#include "engine/streams/MemoryStream32.h"
#include "engine/streams/StoreStream.h"

namespace qel {
namespace {

constexpr char kCheck[] = "123456789";

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> v(size);
  for (size_t i = 0; i < size; ++i) v[i] = uint8_t(i * 31 + i / 251);
  return v;
}

std::vector<uint8_t> Contents(TMemoryStream32& s) {
  return std::vector<uint8_t>(s.Data(), s.Data() + s.Size());
}

// A keystream cipher: each byte is XORed with the next byte of a running key, so a block
// enciphered twice or skipped shows in the output. It also records the block sizes.
class XorCipher : public IDataCipher {
 public:
  void Encipher(uint8_t* data, size_t size) override {
    blocks.push_back(size);
    for (size_t i = 0; i < size; ++i) data[i] ^= KeyByte(position_++);
  }
  static uint8_t KeyByte(uint64_t pos) { return uint8_t(pos * 7 + 1); }
  std::vector<size_t> blocks;

 private:
  uint64_t position_ = 0;
};

// A memory source that records how much each read asked for.
class RecordingSource : public TMemoryStream32 {
 public:
  int64_t Read(void* buffer, int64_t count) override {
    requests.push_back(count);
    return TMemoryStream32::Read(buffer, count);
  }
  std::vector<int64_t> requests;
};

// A destination that takes `capacity` bytes and then refuses.
class ShortDestination : public TMemoryStream32 {
 public:
  explicit ShortDestination(int64_t capacity) : capacity_(capacity) {}
  int64_t Write(const void* buffer, int64_t count) override {
    return TMemoryStream32::Write(buffer, std::min(count, capacity_ - Size()));
  }

 private:
  int64_t capacity_;
};

TEST(StreamsCrc, KnownCheckValuesInAnySplit) {
  TCalcStreamCRC c32(TCrcWidth::crc32);
  EXPECT_EQ(c32.Write(kCheck, 9), 9);
  EXPECT_EQ(c32.CRC(), 0xCBF43926u);

  TCalcStreamCRC c16(TCrcWidth::crc16);
  EXPECT_EQ(c16.Write(kCheck, 4), 4);
  EXPECT_EQ(c16.Write(kCheck + 4, 5), 5);
  EXPECT_EQ(c16.CRC(), 0xBB3Du);

  TCalcStreamCRC abc(TCrcWidth::crc16);
  abc.WriteFully("abc", 3);
  EXPECT_EQ(abc.CRC(), 0x9738u);
}

TEST(StreamsCrc, KeepsNothingAndReportsEveryWrite) {
  TCalcStreamCRC c(TCrcWidth::crc32);
  int64_t remaining = 9;
  int calls = 0;
  c.Progress.Attach(&remaining, [&] { ++calls; });
  TMemoryStream32 source;
  source.WriteFully(kCheck, 9);
  source.SetPosition(0);
  EXPECT_EQ(c.CopyFrom(source, -1), 9);
  EXPECT_EQ(c.CRC(), 0xCBF43926u);
  EXPECT_EQ(remaining, 0);
  EXPECT_EQ(calls, 1);

  char buf[4];
  EXPECT_EQ(c.Read(buf, 4), 0);
  EXPECT_EQ(c.Size(), 9);
  EXPECT_EQ(c.Position(), 9);
  EXPECT_EQ(c.Seek(0, TSeekOrigin::soBeginning), -1);
  EXPECT_FALSE(c.SetSize(0));
}

TEST(StreamsStore, PlainEntryIsPassedOnAndChecked) {
  auto data = Pattern(250000);
  for (TCrcWidth width : {TCrcWidth::crc32, TCrcWidth::crc16}) {
    TMemoryStream32 archive;
    TStoreStream store(archive, width);
    int64_t remaining = int64_t(data.size());
    int calls = 0;
    store.Progress.Attach(&remaining, [&] { ++calls; });
    EXPECT_EQ(store.Write(data.data(), int64_t(data.size())), int64_t(data.size()));
    EXPECT_EQ(Contents(archive), data);
    uint32_t expected = width == TCrcWidth::crc32 ? Crc32(0, data.data(), data.size())
                                                  : Crc16(0, data.data(), data.size());
    EXPECT_EQ(store.CRC(), expected);
    EXPECT_EQ(remaining, 0);
    EXPECT_EQ(calls, 3);  // one per block of at most 102400 bytes
    EXPECT_EQ(store.Size(), int64_t(data.size()));
  }
}

TEST(StreamsStore, CipheredEntryLeavesCrcAndCallerBufferAlone) {
  auto data = Pattern(250000);
  const auto original = data;
  TMemoryStream32 archive;
  XorCipher cipher;
  TStoreStream store(archive, TCrcWidth::crc32, &cipher);
  EXPECT_EQ(store.Write(data.data(), 1000), 1000);
  EXPECT_EQ(store.Write(data.data() + 1000, int64_t(data.size()) - 1000),
            int64_t(data.size()) - 1000);

  EXPECT_EQ(data, original);
  EXPECT_EQ(store.CRC(), 0u);
  auto written = Contents(archive);
  ASSERT_EQ(written.size(), data.size());
  for (size_t i = 0; i < data.size(); ++i) {
    ASSERT_EQ(written[i], uint8_t(data[i] ^ XorCipher::KeyByte(i))) << i;
  }
  EXPECT_EQ(*std::max_element(cipher.blocks.begin(), cipher.blocks.end()),
            size_t(TStoreStream::kBlockSize));
}

TEST(StreamsStore, CopyMovesBlocksOfAtMost102400Bytes) {
  auto data = Pattern(300000);
  RecordingSource source;
  source.WriteFully(data.data(), int64_t(data.size()));

  source.SetPosition(0);
  TMemoryStream32 part;
  TStoreStream partStore(part, TCrcWidth::crc32);
  EXPECT_EQ(partStore.CopyFrom(source, 5000), 5000);
  EXPECT_EQ(source.Position(), 5000);  // nothing read beyond what was asked
  EXPECT_EQ(partStore.CRC(), Crc32(0, data.data(), 5000));

  source.SetPosition(0);
  source.requests.clear();
  TMemoryStream32 archive;
  TStoreStream store(archive, TCrcWidth::crc32);
  EXPECT_EQ(store.CopyFrom(source, -1), int64_t(data.size()));
  EXPECT_EQ(Contents(archive), data);
  EXPECT_EQ(store.CRC(), Crc32(0, data.data(), data.size()));
  for (int64_t r : source.requests) EXPECT_LE(r, 102400);
  EXPECT_EQ(source.requests.front(), 102400);
}

TEST(StreamsStore, CancelStopsTheCopyBeforeTheNextBlock) {
  auto data = Pattern(300000);
  TMemoryStream32 source;
  source.WriteFully(data.data(), int64_t(data.size()));
  std::atomic<uint8_t> cancel{0};

  source.SetPosition(0);
  TMemoryStream32 archive;
  TStoreStream store(archive, TCrcWidth::crc32);
  store.Progress.Attach(nullptr, [&] { cancel = 1; });
  EXPECT_EQ(store.CopyFrom(source, -1, &cancel), TStoreStream::kBlockSize);
  EXPECT_EQ(archive.Size(), TStoreStream::kBlockSize);

  TMemoryStream32 none;
  TStoreStream idle(none, TCrcWidth::crc32);
  EXPECT_EQ(idle.CopyFrom(source, -1, &cancel), 0);
  EXPECT_EQ(none.Size(), 0);
}

TEST(StreamsStore, AFullDestinationEndsTheCopy) {
  auto data = Pattern(300000);
  TMemoryStream32 source;
  source.WriteFully(data.data(), int64_t(data.size()));
  source.SetPosition(0);
  ShortDestination archive(150000);
  TStoreStream store(archive, TCrcWidth::crc32);
  int64_t remaining = 300000;
  store.Progress.Attach(&remaining, nullptr);
  EXPECT_EQ(store.CopyFrom(source, -1), TStoreStream::kBlockSize);
  EXPECT_EQ(remaining, 300000 - TStoreStream::kBlockSize);
  EXPECT_EQ(store.CRC(), Crc32(0, data.data(), size_t(TStoreStream::kBlockSize)));
}

}  // namespace
}  // namespace qel
