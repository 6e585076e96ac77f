// The legacy ZIP decoders (Shrink, Reduce, Implode) on the raw streams of public samples, whole and
// damaged: cut short or with bits flipped, they must never read or write out of bounds (the
// sanitizers watch) nor give more than the size asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "codecs/checksum/Crc.h"
#include "codecs/legacy/Explode.h"
#include "codecs/legacy/Unreduce.h"
#include "codecs/legacy/Unshrink.h"
#include "engine/base/Bytes.h"
#include "tests/support/Files.h"
#include "tests/support/SampleArchives.h"

namespace qel::test {
namespace {

struct TRawEntry {
  Bytes Stream;
  uint16_t Method = 0, Flags = 0;
  uint32_t Crc = 0, Size = 0;
};

// The first entry of a ZIP, from its local header.
TRawEntry FirstEntry(const Bytes& zip) {
  TRawEntry e;
  e.Flags = GetU16(&zip[6]);
  e.Method = GetU16(&zip[8]);
  e.Crc = GetU32(&zip[14]);
  const size_t packed = GetU32(&zip[18]);
  e.Size = GetU32(&zip[22]);
  const size_t start = 30 + GetU16(&zip[26]) + GetU16(&zip[28]);
  e.Stream.assign(zip.begin() + long(start), zip.begin() + long(start + packed));
  return e;
}

TDecodeResult Decode(const TRawEntry& e, const Bytes& stream, std::string& out) {
  const TCodecSource source = SpanSource(stream);
  const TCodecSink sink = [&](std::span<const uint8_t> piece) {
    out.append(piece.begin(), piece.end());
    return true;
  };
  if (e.Method == 6) return Explode(e.Flags, source, sink, e.Size);
  return e.Method == 1 ? Unshrink(source, sink, e.Size)
                       : Unreduce(e.Method - 1, source, sink, e.Size);
}

TEST(LegacyZipDecoders, SamplesDecodeAndDamageFailsCleanly) {
  for (const char* name :
       {"zip/zip2_shrink.zip", "zip/zip2_reduce4.zip", "zip/sc_Zip.reduce1.zip"}) {
    SCOPED_TRACE(name);
    const std::string file = SampleFolder() + "/" + name;
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no sample " << file;
    const TRawEntry e = FirstEntry(ReadFileBytes(file));
    ASSERT_GE(e.Method, 1);
    ASSERT_LE(e.Method, 6);
    std::string out;
    const TDecodeResult whole = Decode(e, e.Stream, out);
    EXPECT_EQ(whole.Status, TDecodeStatus::Ok);
    EXPECT_EQ(out.size(), e.Size);
    EXPECT_EQ(Crc32(0, out.data(), out.size()), e.Crc);

    std::mt19937 gen(17);
    for (int round = 0; round < 40; ++round) {
      Bytes bad = e.Stream;
      if (round % 2)
        bad.resize(gen() % bad.size());
      else
        for (int k = 0; k < 4; ++k) bad[gen() % bad.size()] ^= uint8_t(1 << (gen() % 8));
      std::string damaged;
      const TDecodeResult r = Decode(e, bad, damaged);
      EXPECT_EQ(damaged.size(), r.Decoded);
      EXPECT_LE(damaged.size(), e.Size);
    }
  }
}

}  // namespace
}  // namespace qel::test
