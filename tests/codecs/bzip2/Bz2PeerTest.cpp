// The bzip2 streams against the bzip2 program: it accepts what the compressor writes, the
// empty stream included, and the decoder reads its files joined as `cat` joins them.
#include <gtest/gtest.h>

#include <string>

#include "codecs/bzip2/BZCompressStream.h"
#include "codecs/bzip2/Bz2Decode.h"
#include "tests/codecs/inflate/InflateHelpers.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

TEST(CodecsBzip2Peers, BzipAcceptsOurStreamsAndWeReadItsJoinedFiles) {
  VK_REQUIRE_TOOL("bzip2");
  TestFolder dir;
  const Bytes text = MakeSample(Sample::Text, 250000), binary = MakeSample(Sample::Binary, 9000);
  for (const auto& [name, data] : {std::pair{"empty", Bytes{}}, std::pair{"text", text}}) {
    SCOPED_TRACE(name);
    const std::string file = dir / (std::string(name) + ".bz2");
    TMemoryStream32 out;
    TBZCompressStream bz(out, 1);
    ASSERT_EQ(bz.Write(data.data(), int64_t(data.size())), int64_t(data.size()));
    ASSERT_TRUE(bz.Finish());
    if (data.empty()) {
      EXPECT_EQ(out.Size(), 14);
    }
    WriteFileBytes(file, {out.Data(), size_t(out.Size())});
    EXPECT_TRUE(RunToolOk({"bzip2", "-t", file}));
  }

  WriteFileBytes(dir / "a", text);
  WriteFileBytes(dir / "b", binary);
  ASSERT_TRUE(RunToolOk({"bzip2", "-k", "-1", dir / "a", dir / "b"}));
  ConcatenateFiles(dir / "ab.bz2", {dir / "a.bz2", dir / "b.bz2"});
  const Bytes joined = ReadFileBytes(dir / "ab.bz2");
  Bytes out;
  const TDecodeResult r = Bz2Decode(
      SpanSource(joined),
      [&](std::span<const uint8_t> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
        return true;
      },
      UINT64_MAX);
  EXPECT_EQ(r.Status, TDecodeStatus::Ok);
  Bytes both = text;
  both.insert(both.end(), binary.begin(), binary.end());
  EXPECT_EQ(out, both);
}

}  // namespace
}  // namespace qel::test
