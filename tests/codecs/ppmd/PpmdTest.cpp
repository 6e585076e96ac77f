// PPMd variant I: our coder against the reference encoder of python3-ppmd, byte for byte,
// for several orders, memory sizes and both restore methods (small memories fill, so the
// model restarts or is cut back many times); and the decoder on damaged streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "codecs/ppmd/PpmdZip.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

struct TVectorSink : IByteSink {
  Bytes Data;
  int64_t Write(const void* buffer, int64_t count) override {
    const auto* p = static_cast<const uint8_t*>(buffer);
    Data.insert(Data.end(), p, p + count);
    return count;
  }
};

Bytes Encode(TPpmdState& state, const TPpmdParams& params, const Bytes& input) {
  TVectorSink out;
  TPpmdCompressStream stream(out, state, params);
  EXPECT_EQ(stream.Write(input.data(), int64_t(input.size())), int64_t(input.size()));
  EXPECT_TRUE(stream.Finish());
  return out.Data;
}

TDecodeResult Decode(TPpmdState& state, const Bytes& stream, uint64_t size, Bytes& out) {
  out.clear();
  return PpmdDecode(
      state, SpanSource(stream),
      [&](std::span<const uint8_t> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
        return true;
      },
      size);
}

// Words with a skewed frequency, so that the high orders find something to predict, mixed
// with runs of random bytes that defeat them.
Bytes Sample(size_t size, unsigned seed) {
  static const char* const kWords[] = {"archive ", "entry ", "the ",    "of ",   "header ",
                                       "data\n",   "zip ",   "method ", "PPMd ", "order "};
  std::mt19937 random(seed);
  Bytes out;
  while (out.size() < size) {
    if (random() % 16 == 0) {
      for (unsigned n = random() % 64; n; --n) out.push_back(uint8_t(random()));
    } else {
      const std::string word = kWords[std::min(random() % 10, random() % 10)];
      out.insert(out.end(), word.begin(), word.end());
    }
  }
  out.resize(size);
  return out;
}

// The reference's stream for the same parameters, with the ZIP parameter word in front.
Bytes ReferenceEncode(const TPpmdParams& p, const Bytes& input, const std::string& dir) {
  WriteFileBytes(dir + "/in", input);
  const std::string script =
      "import io,ppmd,sys\n"
      "b=io.BytesIO();e=ppmd.Ppmd8Encoder(b," +
      std::to_string(p.Order) + "," + std::to_string(p.MemoryMB) + "<<20," +
      std::to_string(unsigned(p.Restore)) +
      ")\n"
      "e.encode(open(sys.argv[1],'rb').read());e.flush()\n"
      "open(sys.argv[2],'wb').write(b.getvalue())\n";
  EXPECT_TRUE(RunToolOk({"/usr/bin/python3", "-c", script, dir + "/in", dir + "/out"}));
  Bytes stream = ReadFileBytes(dir + "/out");
  const uint16_t word = p.Word();
  stream.insert(stream.begin(), {uint8_t(word), uint8_t(word >> 8)});
  return stream;
}

TEST(PpmdCodec, MatchesTheReferenceEncoderAndRoundTrips) {
  const bool reference = RunTool({"/usr/bin/python3", "-c", "import ppmd"}).Ok();
  if (!reference && std::getenv("VK_NO_SKIP")) ADD_FAILURE() << "python3-ppmd is missing";
  TestFolder dir;
  const Bytes large = Sample(600000, 1);
  struct TCase {
    TPpmdParams Params;
    Bytes Input;
  } const cases[] = {
      {{16, 64, ppmd::TRestore::Restart}, {}},
      {{16, 64, ppmd::TRestore::Restart}, {'a'}},
      {{16, 64, ppmd::TRestore::Restart}, Sample(200000, 2)},
      {{2, 1, ppmd::TRestore::Restart}, Sample(200000, 3)},
      {{6, 1, ppmd::TRestore::Restart}, large},
      {{8, 1, ppmd::TRestore::CutOff}, large},
      {{16, 2, ppmd::TRestore::CutOff}, large},
  };
  TPpmdState state;
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "order " << c.Params.Order << ", " << c.Params.MemoryMB << " MB, restore "
                 << int(c.Params.Restore) << ", " << c.Input.size() << " bytes");
    const Bytes ours = Encode(state, c.Params, c.Input);
    Bytes decoded;
    EXPECT_EQ(Decode(state, ours, c.Input.size(), decoded).Status, TDecodeStatus::Ok);
    EXPECT_TRUE(decoded == c.Input);
    if (reference) {
      EXPECT_TRUE(ReferenceEncode(c.Params, c.Input, dir.Path()) == ours);
    }
  }
  if (!reference) GTEST_SKIP() << "python3-ppmd is not installed: decoded our own streams only";
}

TEST(PpmdCodec, ParameterWordIsValidated) {
  struct {
    uint16_t Word;
    bool Valid;
    unsigned Order, MemoryMB;
    ppmd::TRestore Restore;
  } const cases[] = {
      {0x03FF, true, 16, 64, ppmd::TRestore::Restart},
      {0x11F7, true, 8, 32, ppmd::TRestore::CutOff},
      {0x2001, true, 2, 1, ppmd::TRestore::CutOff},  // "freeze", read as cut-off
      {0x0FF0, false},                               // order 1
      {0x3005, false},                               // no restore method 3
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Word);
    const std::optional<TPpmdParams> p = TPpmdParams::FromWord(c.Word);
    ASSERT_EQ(p.has_value(), c.Valid);
    if (!p) continue;
    EXPECT_EQ(p->Order, c.Order);
    EXPECT_EQ(p->MemoryMB, c.MemoryMB);
    EXPECT_EQ(p->Restore, c.Restore);
    EXPECT_EQ(p->Word(), c.Word == 0x2001 ? 0x1001 : c.Word);
  }
  TPpmdState state;
  Bytes out;
  EXPECT_EQ(Decode(state, {0xF0, 0x0F, 0, 0, 0, 0}, 10, out).Status, TDecodeStatus::Corrupt);
  // An empty entry is the word alone; a missing word is a short entry.
  EXPECT_EQ(Decode(state, {0xFF, 0x03}, 0, out).Status, TDecodeStatus::Ok);
  EXPECT_EQ(Decode(state, {0xFF}, 0, out).Status, TDecodeStatus::UnexpectedEnd);
}

// Cut short, bit-flipped or asked for more than was coded, a stream never gives more than
// the size asked and never passes as whole when it is not.
TEST(PpmdCodec, DamagedStreamsStopCleanly) {
  const Bytes input = Sample(60000, 4);
  TPpmdState state;
  const Bytes stream = Encode(state, {6, 1, ppmd::TRestore::CutOff}, input);
  Bytes out;
  const TDecodeResult longer = Decode(state, stream, input.size() + 100, out);
  EXPECT_EQ(longer.Status, TDecodeStatus::Corrupt);  // the end mark came first
  EXPECT_EQ(longer.Decoded, input.size());
  EXPECT_EQ(Decode(state, stream, 1000, out).Decoded, 1000u);

  // The last bytes hold the end mark, which a decoder stopping at the size never reads.
  const size_t needed = stream.size() - 100;
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    Bytes damaged = stream;
    if (round % 2) {
      damaged.resize(2 + random() % (needed - 2));
    } else {
      for (int flips = 1 + round % 3; flips; --flips)
        damaged[2 + random() % (needed - 2)] ^= uint8_t(1u << random() % 8);
    }
    const TDecodeResult r = Decode(state, damaged, input.size(), out);
    EXPECT_LE(r.Decoded, input.size());
    EXPECT_EQ(out.size(), r.Decoded);
    if (round % 2) {
      EXPECT_NE(r.Status, TDecodeStatus::Ok);
    } else if (r.Status == TDecodeStatus::Ok) {
      EXPECT_NE(out, input);
    }
  }
}

}  // namespace
}  // namespace qel::test
