// The line coding of UU, XX and Base64: known lines, every line length both ways, and the
// lines that are no data.
#include "codecs/uu/UuCode.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/uue/UuHeader.h"

namespace qel::uu {
namespace {

const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string Decoded(const uint8_t* out, int n) {
  return n < 0 ? "<none>" : std::string(reinterpret_cast<const char*>(out), size_t(n));
}

TEST(UuCode, KnownLines) {
  const struct {
    TUuKind kind;
    std::string data, line;
  } cases[] = {
      {TUuKind::Uu, "Cat", "#0V%T"},   {TUuKind::Uu, "", "`"},
      {TUuKind::Xx, "Cat", "1Eq3o"},   {TUuKind::Base64, "Cat", "Q2F0"},
      {TUuKind::Base64, "Ca", "Q2E="}, {TUuKind::Base64, "C", "Qw=="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::string line;
    if (c.kind == TUuKind::Base64)
      EncodeBase64Line(Bytes(c.data), c.data.size(), line);
    else
      EncodeLengthLine(AlphabetOf(c.kind), Bytes(c.data), c.data.size(), line);
    EXPECT_EQ(line, c.line);
  }
}

TEST(UuCode, EveryLineLengthComesBack) {
  std::string data;
  for (int i = 0; i < 57; ++i) data += char(i * 37 + 11);
  uint8_t out[kMaxLineBytes + 32];
  for (size_t n = 0; n <= kBase64LineBytes; ++n) {
    SCOPED_TRACE(n);
    for (const TUuKind kind : {TUuKind::Uu, TUuKind::Xx}) {
      if (n > kLengthLineBytes) continue;
      std::string line;
      EncodeLengthLine(AlphabetOf(kind), Bytes(data), n, line);
      EXPECT_EQ(Decoded(out, DecodeLengthLine(AlphabetOf(kind), line, out, true)),
                data.substr(0, n));
    }
    std::string line;
    EncodeBase64Line(Bytes(data), n, line);
    bool ended = false;
    EXPECT_EQ(Decoded(out, DecodeBase64Line(line, out, ended)), data.substr(0, n));
    EXPECT_EQ(ended, n % 3 != 0);
  }
}

TEST(UuCode, LinesThatAreNoData) {
  const TAlphabet& uu = AlphabetOf(TUuKind::Uu);
  const TAlphabet& xx = AlphabetOf(TUuKind::Xx);
  uint8_t out[kMaxLineBytes + 32];
  bool ended = false;
  // Too short for its count, a character outside the alphabet.
  EXPECT_EQ(DecodeLengthLine(xx, "h1Eq3o", out), -1);
  EXPECT_EQ(DecodeLengthLine(uu, "#0V%t", out), -1);
  EXPECT_EQ(DecodeLengthLine(uu, "#0V", out, true), -1);
  // UU lines lose the spaces mail strips from their ends, and old ones wrote zero as space.
  EXPECT_EQ(Decoded(out, DecodeLengthLine(uu, "#", out)), std::string(3, '\0'));
  EXPECT_EQ(Decoded(out, DecodeLengthLine(uu, "#    ", out)), std::string(3, '\0'));
  EXPECT_EQ(DecodeBase64Line("Q2F", out, ended), -1);
  EXPECT_EQ(DecodeBase64Line("Q=F0", out, ended), -1);
  EXPECT_EQ(DecodeBase64Line("Qw==Q2F0", out, ended), -1);  // padding only at the end
  EXPECT_EQ(DecodeBase64Line("Q2F0-abc", out, ended), -1);
  // A full XX line is no UU line; a line both read is taken as UU.
  std::string line;
  EncodeLengthLine(xx, Bytes(std::string(45, 'x')), 45, line);
  EXPECT_EQ(ChooseLengthKind(line), TUuKind::Xx);
  EXPECT_EQ(ChooseLengthKind("#0V%T"), TUuKind::Uu);
}

}  // namespace
}  // namespace qel::uu
