// The ARC family's decoders, ZOO's LZW and ARJ's method 4: what arc and arj write and the
// public samples decode byte-exact; crunched entries (methods 5 to 7, which no tool writes any
// more) round-trip through a small encoder made here, which arc itself reads; hand-made
// streams reach each verdict, and damaged ones end cleanly (the sanitizers watch).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "codecs/arc/ArcDecoder.h"
#include "codecs/checksum/Crc.h"
#include "codecs/legacy/ArjFastest.h"
#include "codecs/lzw/ZooLzw.h"
#include "engine/base/Bytes.h"
#include "tests/support/PeerTools.h"
#include "tests/support/SampleArchives.h"

namespace qel::test {
namespace {

constexpr int kZoo = 101, kArj4 = 102;  // beside the ARC methods 1 to 9

struct TDecoded {
  TDecodeStatus status;
  TArcDecodeError why = TArcDecodeError::None;
  Bytes out;
};

// Through a source that hands out odd small pieces, as a reader's buffer may.
TDecoded Decode(int method, const Bytes& stream, uint64_t size, bool refuse = false) {
  const TCodecSource whole = SpanSource(stream);
  const TCodecSource source = [&](uint8_t* b, size_t n) {
    return whole(b, std::min(n, size_t(777)));
  };
  TDecoded d;
  const TCodecSink sink = [&](std::span<const uint8_t> piece) {
    d.out.insert(d.out.end(), piece.begin(), piece.end());
    return !refuse;
  };
  const TDecodeResult r = method == kZoo    ? ZooLzw(source, sink, size)
                          : method == kArj4 ? ArjFastest(source, sink, size)
                                            : DecodeArc(method, source, sink, size, &d.why);
  d.status = r.Status;
  EXPECT_EQ(r.Decoded, refuse ? 0 : d.out.size());
  return d;
}

struct TEntry {
  int method;
  Bytes stream;
  uint32_t size, crc;
};

Bytes Slice(const Bytes& a, size_t at, size_t n) {
  at = std::min(at, a.size());
  return Bytes(a.begin() + long(at), a.begin() + long(std::min(a.size(), at + n)));
}

// ARC's 29-byte headers one after the other: 0x1A, method (0 ends), name, packed size at 15,
// date, time, CRC-16 at 23, size at 25.
std::vector<TEntry> ArcEntries(const Bytes& a) {
  std::vector<TEntry> entries;
  for (size_t at = 0; at + 29 <= a.size() && a[at] == 0x1A && a[at + 1] != 0;) {
    const uint32_t packed = GetU32(&a[at + 15]);
    entries.push_back(
        {a[at + 1], Slice(a, at + 29, packed), GetU32(&a[at + 25]), GetU16(&a[at + 23])});
    at += 29 + packed;
  }
  return entries;
}

// ZOO's directory entries, chained from the archive header's offset at 24.
std::vector<TEntry> ZooEntries(const Bytes& a) {
  std::vector<TEntry> entries;
  for (size_t e = GetU32(&a[24]);
       e + 28 <= a.size() && GetU32(&a[e]) == 0xFDC4A7DC && GetU32(&a[e + 6]) != 0;
       e = GetU32(&a[e + 6]))
    entries.push_back({a[e + 5] == 1 ? kZoo : 0, Slice(a, GetU32(&a[e + 10]), GetU32(&a[e + 24])),
                       GetU32(&a[e + 20]), GetU16(&a[e + 18])});
  return entries;
}

// The entry of a one-file ARJ archive: the local header is the second 0x60 0xEA; its data
// follows the basic header, its CRC-32 and an empty extended header.
TEntry ArjEntry(const Bytes& a) {
  size_t h = 2;
  while (h + 28 < a.size() && GetU16(&a[h]) != 0xEA60) ++h;
  const size_t start = h + 4 + GetU16(&a[h + 2]) + 4 + 2;
  return {a[h + 9] == 4 ? kArj4 : 0, Slice(a, start, GetU32(&a[h + 16])), GetU32(&a[h + 20]),
          GetU32(&a[h + 24])};
}

Bytes Text() {
  std::string t;
  for (int i = 0; i < 6000; ++i)
    t += "line " + std::to_string(i * 7919 % 10007) + " of the sample\n";
  return Bytes(t.begin(), t.end());
}

// Methods 5 to 7 as written once: greedy LZW over the hashed table, with the same hash and
// probe as the decoder, two 12-bit codes in three bytes, high bits first.
Bytes Crunch(const Bytes& data, bool newHash) {
  struct {
    bool used;
    uint16_t next, pred;
    uint8_t follower;
  } t[4096] = {};
  const auto hash = [&](unsigned p, unsigned c) {
    const uint32_t key = (p + c) & 0xFFFF, k = key | 0x800;
    return newHash ? key * 15073 & 0xFFF : k * k >> 6 & 0xFFF;
  };
  const auto find = [&](unsigned p, unsigned c) {
    for (unsigned s = hash(p, c); t[s].used; s = t[s].next) {
      if (t[s].pred == p && t[s].follower == c) return int(s);
      if (t[s].next == 0) break;
    }
    return -1;
  };
  const auto add = [&](unsigned p, unsigned c) {
    unsigned s = hash(p, c);
    if (t[s].used) {
      while (t[s].next != 0) s = t[s].next;
      unsigned free = (s + 101) & 0xFFF;
      while (t[free].used) free = (free + 1) & 0xFFF;
      s = t[s].next = uint16_t(free);
    }
    t[s] = {true, 0, uint16_t(p), uint8_t(c)};
  };
  for (unsigned c = 0; c < 256; ++c) add(0xFFFF, c);
  std::vector<unsigned> codes;
  unsigned w = unsigned(find(0xFFFF, data[0]));
  for (size_t i = 1, room = 4096 - 256; i < data.size(); ++i) {
    if (const int s = find(w, data[i]); s >= 0) {
      w = unsigned(s);
      continue;
    }
    codes.push_back(w);
    if (room > 0) --room, add(w, data[i]);
    w = unsigned(find(0xFFFF, data[i]));
  }
  codes.push_back(w);
  Bytes out;
  for (size_t i = 0; i < codes.size(); i += 2) {
    const unsigned next = i + 1 < codes.size() ? codes[i + 1] : 0;
    out.insert(out.end(), {uint8_t(codes[i] >> 4), uint8_t((codes[i] & 15) << 4 | next >> 8)});
    if (i + 1 < codes.size()) out.push_back(uint8_t(next));  // a last odd code takes two bytes
  }
  return out;
}

// Random a's and b's, which fill the table and then use its last strings, the text, and a
// repeat, crunched as each method stores it: 6 and 7 pack with RLE90 before crunching.
struct TCrunched {
  Bytes stream, data;
};
std::vector<TCrunched> CrunchedEntries() {
  std::mt19937 gen(3);
  Bytes packed;
  for (int i = 0; i < 80000; ++i) packed.push_back(uint8_t('a' + gen() % 2));
  const Bytes text = Text();
  packed.insert(packed.end(), text.begin(), text.begin() + 30000);
  Bytes data = packed;
  packed.insert(packed.end(), {'Z', 0x90, 5});
  data.insert(data.end(), {'Z', 'Z', 'Z', 'Z', 'Z'});
  return {
      {Crunch(packed, false), packed}, {Crunch(packed, false), data}, {Crunch(packed, true), data}};
}

// Packed, squeezed, crunched (8) and squashed entries as arc chose them, and arc reading the
// crunched entries made here (so the encoder above writes the real format).
TEST(ArcCodecPeers, DecodesWhatArcWritesAndArcReadsCrunch) {
  VK_REQUIRE_TOOL("arc");
  TestFolder dir;
  // Long runs, with a run of 0x90 and a lone one among them, are packed; bytes of a skewed
  // spread are squeezed.
  Bytes runs(200, 7), skewed;
  runs.insert(runs.end(), 100, 8);
  runs.insert(runs.end(), {0x90, 0x90, 0x90, 'A', 'B', 0x90, 'C'});
  runs.insert(runs.end(), 50, 9);
  std::mt19937 gen(7);
  for (int i = 0; i < 3000; ++i) skewed.push_back(uint8_t("aaaaaaaabbbbccd\220\220ef"[gen() % 19]));
  WriteFileBytes(dir / "1", Text());
  WriteFileBytes(dir / "2", runs);
  WriteFileBytes(dir / "3", skewed);
  ASSERT_TRUE(RunToolOk({"arc", "a", "x.arc", "1", "2", "3"}, dir.Path()));
  ASSERT_TRUE(RunToolOk({"arc", "aq", "y.arc", "1"}, dir.Path()));
  std::vector<TEntry> entries = ArcEntries(ReadFileBytes(dir / "x.arc"));
  entries.push_back(ArcEntries(ReadFileBytes(dir / "y.arc")).at(0));
  ASSERT_EQ(entries.size(), 4u);
  const int methods[] = {8, 3, 4, 9};
  const Bytes data[] = {Text(), runs, skewed, Text()};
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(methods[i]);
    EXPECT_EQ(entries[i].method, methods[i]);
    const TDecoded d = Decode(entries[i].method, entries[i].stream, entries[i].size);
    EXPECT_EQ(d.status, TDecodeStatus::Ok);
    EXPECT_TRUE(d.out == data[i]);
    EXPECT_EQ(Crc16(0, d.out.data(), d.out.size()), entries[i].crc);
  }

  Bytes archive;
  const std::vector<TCrunched> crunched = CrunchedEntries();
  for (uint8_t method = 5; method <= 7; ++method) {
    const TCrunched& e = crunched[method - 5u];
    uint8_t h[29] = {0x1A, method, 'c', uint8_t('0' + method)};
    PutU32(h + 15, uint32_t(e.stream.size()));
    PutU16(h + 23, Crc16(0, e.data.data(), e.data.size()));
    PutU32(h + 25, uint32_t(e.data.size()));
    archive.insert(archive.end(), h, h + 29);
    archive.insert(archive.end(), e.stream.begin(), e.stream.end());
  }
  archive.insert(archive.end(), {0x1A, 0});
  WriteFileBytes(dir / "c.arc", archive);
  EXPECT_TRUE(RunToolOk({"arc", "t", "c.arc"}, dir.Path()));
}

TEST(ArjFastest, DecodesWhatArjWrites) {
  VK_REQUIRE_TOOL("arj");
  TestFolder dir;
  // Text, noise and the text again: literals, every width of length and position, and more
  // than the window.
  Bytes data = Text();
  std::mt19937 gen(5);
  for (int i = 0; i < 40000; ++i) data.push_back(uint8_t(gen()));
  const Bytes text = Text();
  data.insert(data.end(), text.begin(), text.end());
  WriteFileBytes(dir / "sample", data);
  ASSERT_TRUE(RunToolOk({"arj", "a", "-m4", "x.arj", "sample"}, dir.Path()));
  const TEntry e = ArjEntry(ReadFileBytes(dir / "x.arj"));
  ASSERT_EQ(e.method, kArj4);
  const TDecoded d = Decode(kArj4, e.stream, e.size);
  EXPECT_EQ(d.status, TDecodeStatus::Ok);
  EXPECT_TRUE(d.out == data);
  EXPECT_EQ(Crc32(0, d.out.data(), d.out.size()), e.crc);
}

TEST(ArcCodec, HandMadeStreamsReachEachVerdict) {
  using enum TDecodeStatus;
  using enum TArcDecodeError;
  const struct {
    const char* label;
    int method;
    uint64_t size;
    Bytes stream;
    std::string out;
    TDecodeStatus status;
    TArcDecodeError why = None;
  } kCases[] = {
      {"stored, cut", 2, 3, {'a', 'b'}, "ab", UnexpectedEnd},
      // A literal 0x90 is not the byte a repeat repeats.
      {"RLE90 literal", 3, 4, {'A', 0x90, 0, 0x90, 3}, "A\220AA", Ok},
      {"RLE90 count 1", 3, 2, {'A', 0x90, 1, 'B'}, "AB", Ok},
      {"squeeze, no nodes", 4, 0, {0, 0}, "", Ok},
      {"squeeze, no nodes, a size", 4, 1, {0, 0}, "", UnexpectedEnd},
      {"squeeze, 257 nodes", 4, 1, {1, 1}, "", Corrupt, InvalidTree},
      // One node: 'A' on 0, the end on 1; bits 0, 0, 1.
      {"squeeze, A A end", 4, 2, {1, 0, 0xBE, 0xFF, 0xFF, 0xFE, 0x04}, "AA", Ok},
      {"squeeze, ends early", 4, 3, {1, 0, 0xBE, 0xFF, 0xFF, 0xFE, 0x04}, "AA", UnexpectedEnd},
      {"squeeze, child 1 of 1", 4, 1, {1, 0, 1, 0, 0xFF, 0xFE, 0}, "", Corrupt, InvalidTree},
      {"squeeze, a loop", 4, 1, {1, 0, 0, 0, 0, 0, 0}, "", Corrupt, InvalidTree},
      {"squeeze, leaf 257", 4, 1, {1, 0, 0xFE, 0xFE, 0, 0, 0}, "", Corrupt, InvalidTree},
      // Codes 2192 ('a'), 113 (free: "aa"), 48 (0xF2, whose addition (113, 0xF2) hashes to
      // 113 itself) and 113 again, now its own predecessor.
      {"crunch loop", 5, 9, {0x89, 0, 0x71, 3, 0, 0x71}, "aaa\xF2", Corrupt, StackOverflow},
      {"crunch, first code no byte", 5, 1, {0x00, 0x10}, "", Corrupt},
      {"dynamic crunch, 13 bits", 8, 1, {13, 0x41, 0}, "", Corrupt, BadBitCount},
      {"dynamic crunch, code 300", 8, 1, {12, 0x2C, 0x01}, "", Corrupt},
      {"method 10", 10, 1, {0}, "", Corrupt},
      // 9-bit codes: clear, 'A', 258 (the string about to be added), end.
      {"zoo, A AA end", kZoo, 3, {0x00, 0x83, 0x08, 0x0C, 0x08}, "AAA", Ok},
      {"zoo, ends early", kZoo, 4, {0x00, 0x83, 0x08, 0x0C, 0x08}, "AAA", UnexpectedEnd},
      {"zoo, clear A 259", kZoo, 3, {0x00, 0x83, 0x0C, 0x04}, "A", Corrupt},
      {"zoo, clear 300", kZoo, 1, {0x00, 0x59, 0x02}, "", Corrupt},
      // Literal 'A', then length 3 from distance 1: bits 0 01000001, 100, 0 000000000.
      {"arj, A then a copy", kArj4, 4, {0x20, 0xC0, 0x00}, "AAAA", Ok},
      {"arj, cut", kArj4, 4, {0x20}, "", UnexpectedEnd},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.label);
    const TDecoded d = Decode(c.method, c.stream, c.size);
    EXPECT_EQ(d.status, c.status);
    EXPECT_EQ(d.why, c.why);
    EXPECT_EQ(std::string(d.out.begin(), d.out.end()), c.out);
  }
}

// Every decoder over streams of known data: the crunched ones made here and the public
// samples (ARC methods 3, 4, 8 and 9 from several packers, ZOO's LZW, ARJ's method 4). Whole,
// each gives its data's check value; cut short or with bits flipped, each ends and gives no
// more than the size asked; a sink that refuses stops it.
TEST(ArcCodec, StreamsDecodeAndDamageEndsCleanly) {
  std::vector<TEntry> streams;
  int method = 5;
  for (const TCrunched& e : CrunchedEntries())
    streams.push_back(
        {method++, e.stream, uint32_t(e.data.size()), Crc16(0, e.data.data(), e.data.size())});
  const std::string folder = SampleFolder();
  if (std::filesystem::exists(folder)) {
    for (const char* file : {"arc/unarc_cpm.arc", "arc/unarc_crunch.arc", "arc/unarc_crunch2.arc",
                             "arc/unarc_squashed.arc"})
      for (const TEntry& e : ArcEntries(ReadFileBytes(folder + "/" + file))) streams.push_back(e);
    streams.push_back(ZooEntries(ReadFileBytes(folder + "/zoo/unarc_lzd.zoo")).at(0));
    streams.push_back(ArjEntry(ReadFileBytes(folder + "/arj/unarc_method4.arj")));
  }
  EXPECT_EQ(streams.size(), std::filesystem::exists(folder) ? 10u : 3u);
  std::mt19937 gen(17);
  for (const TEntry& e : streams) {
    SCOPED_TRACE(e.method);
    const TDecoded whole = Decode(e.method, e.stream, e.size);
    EXPECT_EQ(whole.status, TDecodeStatus::Ok);
    const uint8_t* out = whole.out.data();
    EXPECT_EQ(e.method == kArj4 ? Crc32(0, out, whole.out.size()) : Crc16(0, out, whole.out.size()),
              e.crc);
    EXPECT_EQ(Decode(e.method, e.stream, e.size, true).status, TDecodeStatus::Aborted);
    for (int round = 0; round < 16; ++round) {
      Bytes bad = e.stream;
      if (round % 2)
        bad.resize(gen() % bad.size());
      else
        for (int k = 0; k < 4; ++k) bad[gen() % bad.size()] ^= uint8_t(1 << (gen() % 8));
      const TDecoded d = Decode(e.method, bad, e.size);
      EXPECT_LE(d.out.size(), e.size);
      EXPECT_TRUE(d.status != TDecodeStatus::Ok || d.out.size() == e.size);
    }
  }
  if (streams.size() == 3) GTEST_SKIP() << "no sample folder " << folder;
}

}  // namespace
}  // namespace qel::test
