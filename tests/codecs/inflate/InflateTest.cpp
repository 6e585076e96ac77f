#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <utility>

#include "tests/codecs/inflate/CraftedStreams.h"
#include "tests/codecs/inflate/InflateHelpers.h"

namespace qel::test {
namespace {

TEST(InflateRoundTrip, MatchesZlibAtEveryLevelAndStrategy) {
  struct Setting {
    int level, strategy;
  };
  const Setting settings[] = {{0, Z_DEFAULT_STRATEGY},
                              {1, Z_DEFAULT_STRATEGY},
                              {6, Z_DEFAULT_STRATEGY},
                              {9, Z_DEFAULT_STRATEGY},
                              {6, Z_FILTERED},
                              {6, Z_HUFFMAN_ONLY},
                              {6, Z_RLE},
                              {6, Z_FIXED}};
  const size_t sizes[] = {0, 1, 300, 32767, 32768, 32769, 65535, 65536, 65537, 250000};
  for (Sample kind : {Sample::Text, Sample::Binary, Sample::Random})
    for (size_t size : sizes) {
      const Bytes data = MakeSample(kind, size);
      for (const Setting& s : settings) {
        SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " size " << size << " level "
                                        << s.level << " strategy " << s.strategy);
        const Decoded d = InflateAll(ZlibDeflate(data, s.level, s.strategy));
        ASSERT_EQ(d.status, InflateStatus::StreamEnd);
        ASSERT_TRUE(d.data == data);
      }
    }
}

TEST(InflateChunks, AnySplitOfTheInputGivesTheSameOutput) {
  Bytes data = MakeSample(Sample::Text, 120000);
  const Bytes binary = MakeSample(Sample::Binary, 50000);
  data.insert(data.end(), binary.begin(), binary.end());
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY})
    for (int level : {0, 6}) {
      const Bytes stream = ZlibDeflate(data, level, strategy);
      for (size_t chunk : {size_t(1), size_t(3), size_t(17), size_t(4093)}) {
        SCOPED_TRACE(testing::Message()
                     << "strategy " << strategy << " level " << level << " chunk " << chunk);
        const Decoded d = InflateAll(stream, chunk);
        ASSERT_EQ(d.status, InflateStatus::StreamEnd);
        ASSERT_TRUE(d.data == data);
      }
    }
}

// Repeats of every short period at lengths on either side of the copy's word sizes: the match
// copier takes a different path for distance 1, under 8, under 16 and the rest.
TEST(InflateRoundTrip, MatchesAtEveryShortDistance) {
  std::mt19937 rng(7);
  Bytes data;
  for (size_t period = 1; period <= 40; ++period)
    for (size_t len : {3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100, 258, 1000}) {
      for (size_t i = 0; i < period; ++i) data.push_back(uint8_t(rng()));
      for (size_t i = 0; i < len; ++i) data.push_back(data[data.size() - period]);
    }
  for (int level : {1, 9}) {
    const Decoded d = InflateAll(ZlibDeflate(data, level));
    ASSERT_EQ(d.status, InflateStatus::StreamEnd);
    ASSERT_TRUE(d.data == data) << "level " << level;
  }
}

// Padding after a final block, so that the decoder's word-at-a-time loop (which wants
// input to spare) decodes the block when it is handed in whole.
Bytes Padded(Bytes stream) {
  stream.resize(stream.size() + 32);
  return stream;
}

// Literals "ab", then a match of length 3 at distance `distSym`'s base (fixed codes).
Bytes FixedMatch(unsigned distSym) {
  BitWriter w;
  w.Put(1, 1);
  w.Put(1, 2);
  PutFixed(w, 'a');
  PutFixed(w, 'b');
  PutFixed(w, 257);
  w.PutCode(distSym, 5);
  PutFixed(w, 256);
  return Padded(w.Data());
}

// Raw fields, each {value, bit count}.
Bytes Fields(std::initializer_list<std::pair<uint32_t, unsigned>> fields) {
  BitWriter w;
  for (auto [value, bits] : fields) w.Put(value, bits);
  return w.Data();
}

// A dynamic block of 257 literal/length codes, all unused but `used`, and one unused
// distance code; then, when `endCode` is given, that code for the end of the block.
Bytes LiteralLengths(std::initializer_list<std::pair<unsigned, uint8_t>> used, int endCode = -1) {
  std::vector<uint8_t> lens(258, 0);
  for (auto [sym, len] : used) lens[sym] = len;
  BitWriter w;
  PutDynamicHeader(w, 257, 1, Plain(lens));
  if (endCode >= 0) w.PutCode(uint32_t(endCode), lens[256]);
  return w.Data();
}

// A block that declares every code, with these symbols: {false, literal/length} or
// {true, distance}.
Bytes AllSymbols(std::initializer_list<std::pair<bool, unsigned>> symbols) {
  BitWriter w;
  AllSymbolsBlock b(w);
  for (auto [isDist, sym] : symbols) isDist ? b.Dist(sym) : b.Lit(sym);
  return Padded(w.Data());
}

TEST(InflateCrafted, EdgeStreamsDecodeOrFailAsTheyShould) {
  struct Case {
    const char* name;
    Bytes stream;
    InflateStatus status;
    std::string output;
  };
  Bytes truncated = ZlibDeflate(MakeSample(Sample::Text, 5000), 6);
  truncated.resize(truncated.size() - 3);
  auto dynamic = [](std::vector<CodeLengthOp> ops) {
    BitWriter w;
    PutDynamicHeader(w, 257, 1, ops);
    return w.Data();
  };
  const Case cases[] = {
      {"block type 3", Fields({{7, 3}}), InflateStatus::BadBlockType, ""},
      {"stored length without its complement", Fields({{1, 3}, {0, 5}, {5, 16}, {5, 16}}),
       InflateStatus::BadStoredLength, ""},
      // 257 + 1 codes, 4 code-length lengths (for 16, 17, 18, 0).
      {"incomplete code-length code", Fields({{5, 3}, {0, 14}, {0x200, 12}}),
       InflateStatus::IncompleteCodeSet, ""},
      {"over-subscribed code-length code", Fields({{5, 3}, {0, 14}, {0x49, 12}}),
       InflateStatus::BadCodeLengths, ""},
      {"repeat with nothing before it", dynamic({{16, 0}}), InflateStatus::BadCodeLengths, ""},
      {"zero run past the declared codes", dynamic({{18, 127}, {18, 127}}),
       InflateStatus::BadCodeLengths, ""},
      {"incomplete literal/length code", LiteralLengths({{'a', 2}, {256, 2}}),
       InflateStatus::IncompleteCodeSet, ""},
      {"over-subscribed literal/length code", LiteralLengths({{'a', 1}, {'b', 1}, {256, 1}}),
       InflateStatus::BadCodeLengths, ""},
      {"a lone end code and no distance codes", LiteralLengths({{256, 1}}, 0),
       InflateStatus::StreamEnd, ""},
      {"symbol 286 used", AllSymbols({{false, 'x'}, {false, 286}}), InflateStatus::BadCode, ""},
      {"distance code 30 in Deflate", AllSymbols({{false, 'x'}, {false, 257}, {true, 30}}),
       InflateStatus::BadCode, ""},
      {"all 288 + 32 codes declared",
       AllSymbols({{false, 'x'}, {false, 257}, {true, 0}, {false, 256}}), InflateStatus::StreamEnd,
       "xxxx"},
      {"distance as far as the output", FixedMatch(1), InflateStatus::StreamEnd, "ababa"},
      {"distance beyond the output", FixedMatch(2), InflateStatus::BadDistance, ""},
      {"no input", Bytes(), InflateStatus::UnexpectedEnd, ""},
      {"truncated stream", truncated, InflateStatus::UnexpectedEnd, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t chunk : {size_t(1), size_t(32768)}) {
      const Decoded d = InflateAll(c.stream, chunk);
      EXPECT_EQ(d.status, c.status);
      if (c.status == InflateStatus::StreamEnd) {
        EXPECT_EQ(std::string(d.data.begin(), d.data.end()), c.output);
      }
      EXPECT_EQ(InflateMessage(d.status) != 0, IsInflateError(d.status));
    }
  }
}

TEST(InflatePush, SinkRefusalStopsAndLeftoverInputIsReported) {
  const Bytes data = MakeSample(Sample::Text, 200000);
  Bytes stream = ZlibDeflate(data, 6);
  const size_t streamSize = stream.size();
  stream.insert(stream.end(), {1, 2, 3, 4, 5, 6, 7, 8});
  size_t at = 0;
  auto source = [&](uint8_t* buf, size_t n) {
    n = std::min(n, stream.size() - at);
    std::copy_n(stream.data() + at, n, buf);
    at += n;
    return n;
  };
  int pieces = 0;
  TInflateResult r =
      InflateMember(DeflateVariant::Deflate, source, [&](auto) { return ++pieces < 2; });
  EXPECT_EQ(r.Status, InflateStatus::Aborted);
  EXPECT_EQ(pieces, 2);

  at = 0;
  r = InflateMember(DeflateVariant::Deflate, source, [](auto) { return true; });
  EXPECT_EQ(r.Status, InflateStatus::StreamEnd);
  EXPECT_EQ(r.CompressedUsed, streamSize);
  EXPECT_EQ(r.Unused, 8u);
  EXPECT_EQ(r.Decoded, data.size());
}

}  // namespace
}  // namespace qel::test
