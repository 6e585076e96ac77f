// The LZH codecs: the static-Huffman decoder against streams jlha writes (-lh5-, -lh6-,
// -lh7-) and damaged ones, which must fail cleanly; the encoder through that decoder; the
// -lh1- decoder against a sample.
#include "codecs/lzh/LzhDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <random>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "codecs/lzh/Lh1Decoder.h"
#include "codecs/lzh/LzhEncoder.h"
#include "engine/base/Bytes.h"
#include "tests/support/PeerTools.h"
#include "tests/support/SampleArchives.h"

namespace qel::test {
namespace {

// Text, a long run, random bytes and the text again: literals, long and far matches, and
// more than the largest window, so that every window wraps.
std::string Sample() {
  std::string text;
  for (int i = 0; i < 6000; ++i)
    text += "line " + std::to_string(i * 7919 % 10007) + " of the sample\n";
  std::mt19937 gen(5);
  std::string noise(40000, '\0');
  for (char& c : noise) c = char(gen());
  return text + std::string(3000, 'z') + noise + text;
}

// The compressed stream of the only entry of an LHA archive with a level-2 header, as jlha
// writes them: the header's own size leads it, the packed size is at offset 7.
Bytes StreamOf(const Bytes& archive) {
  const size_t start = GetU16(archive.data());
  const size_t packed = GetU32(archive.data() + 7);
  return Bytes(archive.begin() + long(start), archive.begin() + long(start + packed));
}

struct Decoded {
  TDecodeResult Result;
  std::string Out;
  std::vector<size_t> Pieces;
};

template <typename Decoder>
Decoded DecodeWith(Decoder&& decoder, const Bytes& stream, uint64_t size) {
  const TCodecSource source = SpanSource(stream);
  Decoded d;
  const TCodecSink sink = [&](std::span<const uint8_t> piece) {
    d.Out.append(piece.begin(), piece.end());
    d.Pieces.push_back(piece.size());
    return true;
  };
  d.Result = decoder.Decode(source, sink, size);
  return d;
}

Decoded Decode(TLzhParams params, const Bytes& stream, uint64_t size) {
  return DecodeWith(TLzhDecoder(params), stream, size);
}

TEST(LzhDecoder, DecodesWhatJlhaWrites) {
  VK_REQUIRE_TOOL("jlha");
  TestFolder dir;
  const std::string sample = Sample();
  WriteFileText(dir / "sample.txt", sample);
  const struct {
    const char* option;
    TLzhParams params;
  } methods[] = {{"ao5", kLh5}, {"ao6", kLh6}, {"ao7", kLh7}};
  for (const auto& m : methods) {
    SCOPED_TRACE(m.option);
    const std::string archive = dir / (std::string(m.option) + ".lzh");
    ASSERT_TRUE(RunToolOk({"jlha", m.option, archive, "sample.txt"}, dir.Path()));
    const Bytes stream = StreamOf(ReadFileBytes(archive));
    const Decoded d = Decode(m.params, stream, sample.size());
    EXPECT_EQ(d.Result.Status, TDecodeStatus::Ok);
    EXPECT_EQ(d.Result.Decoded, sample.size());
    EXPECT_TRUE(d.Out == sample);
    // Whole windows go out, the rest at the end.
    for (size_t i = 0; i + 1 < d.Pieces.size(); ++i) EXPECT_GE(d.Pieces[i], size_t(1) << 15);

    // Damage fails cleanly, never reading or writing out of bounds (the sanitizers watch):
    // cut short, a zero block count, and bytes flipped all over the stream.
    EXPECT_EQ(
        Decode(m.params, Bytes(stream.begin(), stream.begin() + 100), sample.size()).Result.Status,
        TDecodeStatus::UnexpectedEnd);
    Bytes zero = stream;
    zero[0] = zero[1] = 0;
    EXPECT_EQ(Decode(m.params, zero, sample.size()).Result.Status, TDecodeStatus::Corrupt);
    std::mt19937 gen(11);
    for (int round = 0; round < 20; ++round) {
      Bytes bad = stream;
      for (int k = 0; k < 8; ++k) bad[gen() % bad.size()] ^= uint8_t(1 + gen() % 255);
      const Decoded d2 = Decode(m.params, bad, sample.size());
      EXPECT_LE(d2.Out.size(), sample.size());
    }
  }
}

TEST(LzhDecoder, ASingleSymbolCodeSpendsNoBits) {
  // A block of 5 symbols whose code-length code (count 0, symbol 0), literal code (count 0,
  // symbol 'a') and position code (count 0, symbol 0) each hold one symbol: the block's
  // symbols are five 'a's and take no bits (52 bits in all).
  uint64_t bits = 0;
  int n = 0;
  const auto put = [&](uint32_t v, int width) {
    bits = bits << width | v;
    n += width;
  };
  put(5, 16);
  put(0, 5), put(0, 5);
  put(0, 9), put('a', 9);
  put(0, 4), put(0, 4);
  bits <<= 64 - n;
  Bytes stream;
  for (int i = 0; i < 8; ++i) stream.push_back(uint8_t(bits >> (56 - 8 * i)));
  const Decoded d = Decode(kLh5, stream, 5);
  EXPECT_EQ(d.Result.Status, TDecodeStatus::Ok);
  EXPECT_EQ(d.Out, "aaaaa");
  // A code-length count of 31, beyond the 19 symbols, is no code.
  EXPECT_EQ(Decode(kLh5, {0x00, 0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 5).Result.Status,
            TDecodeStatus::Corrupt);
}

struct Encoded {
  TLzhEncodeStatus Status;
  Bytes Stream;
};

Encoded Encode(TLzhEncoder& encoder, const std::string& data) {
  size_t at = 0;
  const TCodecSource source = [&](uint8_t* buffer, size_t n) {
    // Small, uneven pieces, as a reader of files may give them.
    n = std::min({n, data.size() - at, size_t(7777)});
    std::copy_n(data.begin() + long(at), n, buffer);
    at += n;
    return n;
  };
  Encoded e;
  const TCodecSink sink = [&](std::span<const uint8_t> piece) {
    e.Stream.insert(e.Stream.end(), piece.begin(), piece.end());
    return true;
  };
  e.Status = encoder.Encode(source, sink);
  return e;
}

TEST(LzhEncoder, WhatItWritesDecodesAndWhatDoesNotShrinkIsGivenUp) {
  std::mt19937 gen(3);
  const auto random = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = char(gen());
    return s;
  };
  // A far repeat: 12,000 random bytes twice over, inside a 16 KB dictionary, not an 8 KB one.
  const std::string far = random(12000);
  const struct {
    const char* name;
    std::string data;
    int shrinksFrom;  // the dictionary bits it needs to shrink
  } inputs[] = {
      {"text and noise", Sample(), 13},
      {"one byte repeated", std::string(100000, 'q'), 13},
      {"one byte", "x", 99},
      {"far repeat", far + far, 14},
      {"random 64 KB", random(65536), 99},
      {"random 50 bytes", random(50), 99},
  };
  // Fuse is written with a 14-bit dictionary and read with the 15-bit parameters.
  const std::pair<TLzhParams, TLzhParams> methods[] = {{kLh5, kLh5}, {kFuse, kLh6}, {kLh6, kLh6}};
  for (const auto& [write, read] : methods) {
    // One encoder for every input, as a writer keeps it from file to file.
    TLzhEncoder encoder(write);
    for (const auto& in : inputs) {
      SCOPED_TRACE(std::string(in.name) + " " + std::to_string(write.DictionaryBits));
      const Encoded e = Encode(encoder, in.data);
      if (write.DictionaryBits < in.shrinksFrom) {
        EXPECT_EQ(e.Status, TLzhEncodeStatus::Incompressible);
        continue;
      }
      ASSERT_EQ(e.Status, TLzhEncodeStatus::Ok);
      EXPECT_LT(e.Stream.size(), in.data.size());
      const Decoded d = Decode(read, e.Stream, in.data.size());
      EXPECT_EQ(d.Result.Status, TDecodeStatus::Ok);
      EXPECT_TRUE(d.Out == in.data);
    }
  }
}

TEST(Lh1Decoder, DecodesTheLHarcSample) {
  const std::string file = SampleFolder() + "/lha/lharc113_lh1.lzh";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no sample " << file;
  // A level-0 header: its size after the first two bytes, the packed and the original size
  // at 7 and 11. The manifest gives the entry's size and CRC-32.
  const Bytes archive = ReadFileBytes(file);
  const size_t start = size_t(archive[0]) + 2;
  const Bytes stream(archive.begin() + long(start),
                     archive.begin() + long(start + GetU32(archive.data() + 7)));
  const uint32_t size = GetU32(archive.data() + 11);
  ASSERT_EQ(size, 18092u);
  const Decoded d = DecodeWith(TLh1Decoder(), stream, size);
  EXPECT_EQ(d.Result.Status, TDecodeStatus::Ok);
  EXPECT_EQ(Crc32(0, d.Out.data(), d.Out.size()), 0x4e46f4a1u);
  EXPECT_EQ(
      DecodeWith(TLh1Decoder(), Bytes(stream.begin(), stream.begin() + 50), size).Result.Status,
      TDecodeStatus::UnexpectedEnd);
}

}  // namespace
}  // namespace qel::test
