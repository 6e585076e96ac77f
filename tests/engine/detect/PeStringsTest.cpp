#include "engine/detect/PeStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/streams/MemoryStream32.h"
#include "tests/support/PeBuilder.h"

namespace qel {
namespace {

using namespace test;  // the PE builder and its layout constants

TPeStrings Open(TMemoryStream32& stream, const std::vector<uint8_t>& bytes) {
  stream.WriteFully(bytes.data(), int64_t(bytes.size()));
  return TPeStrings(stream);
}

const std::vector<std::u16string> kStrings = {
    u"", u"1024", u"123456789", u"0", u"Gr\u00FC\u00DFe", u"\u4E2D\u6587", u"\U0001F600x", u"77"};

std::vector<std::string> ReadAll(const std::vector<uint8_t>& bytes, bool* valid = nullptr) {
  TMemoryStream32 stream;
  TPeStrings pe = Open(stream, bytes);
  if (valid) *valid = pe.Valid();
  std::vector<std::string> out;
  for (unsigned id = 0; id < 17; ++id) out.push_back(pe.String(id));
  return out;
}

const std::vector<std::string> kExpected = {"",
                                            "1024",
                                            "123456789",
                                            "0",
                                            "Gr\xC3\xBC\xC3\x9F"
                                            "e",
                                            "\xE4\xB8\xAD\xE6\x96\x87",
                                            "\xF0\x9F\x98\x80x",
                                            "77",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            ""};

TEST(PeStrings, ReadsBlockOneFromPe32AndPe32Plus) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    bool valid = false;
    EXPECT_EQ(ReadAll(BuildPe(plus, kStrings).bytes, &valid), kExpected);
    EXPECT_TRUE(valid);
  }
}

TEST(PeStrings, MissingIdentifiersAreEmpty) {
  TMemoryStream32 stream;
  TPeStrings pe = Open(stream, BuildPe(false, kStrings).bytes);
  EXPECT_EQ(pe.String(1), "1024");
  EXPECT_EQ(pe.String(16), "");  // block 2 does not exist
  EXPECT_EQ(pe.String(65535), "");
  EXPECT_EQ(pe.String(65536 + 1), "");  // not folded onto identifier 1
}

TEST(PeStrings, LongStringsAndLoneSurrogates) {
  std::u16string longText(300, u'9');
  std::vector<std::u16string> strings = {u"",
                                         longText,
                                         {char16_t(0xD800)},
                                         {char16_t(0xD800), u'A'},
                                         {char16_t(0xDC00), u'B'},
                                         {char16_t(0xDBFF), char16_t(0xDFFF)}};
  TMemoryStream32 stream;
  TPeStrings pe = Open(stream, BuildPe(true, strings).bytes);
  EXPECT_EQ(pe.String(1), std::string(300, '9'));
  EXPECT_EQ(pe.String(2), "\xEF\xBF\xBD");
  EXPECT_EQ(pe.String(3),
            "\xEF\xBF\xBD"
            "A");
  EXPECT_EQ(pe.String(4),
            "\xEF\xBF\xBD"
            "B");
  EXPECT_EQ(pe.String(5), "\xF4\x8F\xBF\xBF");  // U+10FFFF
}

// A string is readable only when the whole block is in the file; a cut anywhere never
// reads past the end.
TEST(PeStrings, TruncatedImagesGiveNothing) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    TBuiltPe pe = BuildPe(plus, kStrings);
    for (size_t cut = 0; cut <= pe.bytes.size(); ++cut) {
      SCOPED_TRACE(cut);
      bool valid = false;
      auto got = ReadAll({pe.bytes.begin(), pe.bytes.begin() + cut}, &valid);
      EXPECT_EQ(valid, cut >= kRsrcFileAt + 16);
      if (cut >= pe.dataEnd) {
        EXPECT_EQ(got, kExpected);
      } else {
        EXPECT_EQ(got, std::vector<std::string>(17));
      }
    }
  }
}

TEST(PeStrings, CorruptOffsetsAndSizesGiveNothing) {
  const TBuiltPe pe = BuildPe(false, kStrings);
  const uint32_t data = kRsrcFileAt + kDataEntry;
  struct TCase {
    const char* what;
    uint32_t at;
    uint32_t value;
  } cases[] = {
      {"data beyond the file", data, 0x00100000},
      {"data just before 4 GiB", data, 0xFFFFFFF0},
      {"data size near 4 GiB", data + 4, 0xFFFFFFFF},
      {"data size past the section", data + 4, 0x400 - kStringData},
      {"block level points back to the root", kRsrcFileAt + kBlockDir + 20, kSubdir | kTypeDir},
      {"block level points to itself", kRsrcFileAt + kBlockDir + 20, kSubdir | kBlockDir},
      {"language level is a directory", kRsrcFileAt + kLangDir + 20, kSubdir | kLangDir},
      {"string type is a data entry", kRsrcFileAt + kTypeDir + 36, kDataEntry},
      {"block directory far out", kRsrcFileAt + kTypeDir + 36, kSubdir | 0x7FFFFFF0},
      {"entry counts at their maximum", kRsrcFileAt + kBlockDir + 12, 0xFFFFFFFF},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = pe.bytes;
    PutU32(&bytes[c.at], c.value);
    bool valid = false;
    EXPECT_EQ(ReadAll(bytes, &valid), std::vector<std::string>(17));
    EXPECT_TRUE(valid);
  }
}

// The last string's length reaches 2 bytes into the next language's block: still in the
// file, but not part of this string.
TEST(PeStrings, LengthBeyondTheBlockEndsTheTable) {
  TBuiltPe pe = BuildPe(false, kStrings);
  PutU16(&pe.bytes[pe.stringAt[7]], 2 + 8 + 1);
  auto got = ReadAll(pe.bytes);
  EXPECT_EQ(got[6], kExpected[6]);  // before the damage
  EXPECT_EQ(got[7], "");
  EXPECT_EQ(got[8], "");  // cannot be reached past it
}

// A section that ends exactly at 4 GiB still maps: the arithmetic must not wrap.
TEST(PeStrings, SectionAtTheTopOfTheAddressSpace) {
  TBuiltPe pe = BuildPe(true, kStrings);
  const uint32_t va = 0xFFFFFC00;
  PutU32(&pe.bytes[pe.rsrcSectionAt + 12], va);
  PutU32(&pe.bytes[pe.optionalAt + 112 + 16], va);
  PutU32(&pe.bytes[kRsrcFileAt + kDataEntry], va + kStringData);
  PutU32(&pe.bytes[pe.rsrcSectionAt + 16], 0x400);
  pe.bytes.resize(kRsrcFileAt + 0x400);
  PutU32(&pe.bytes[pe.rsrcSectionAt + 8], 0x400);
  EXPECT_EQ(ReadAll(pe.bytes), kExpected);
}

TEST(PeStrings, BrokenHeadersAreInvalid) {
  const TBuiltPe pe = BuildPe(false, kStrings);
  auto patched = [&](uint32_t at, uint32_t value, int bytes = 4) {
    std::vector<uint8_t> b = pe.bytes;
    if (bytes == 2) {
      PutU16(&b[at], uint16_t(value));
    } else {
      PutU32(&b[at], value);
    }
    return b;
  };
  const uint32_t dirCount = pe.optionalAt + 92;
  struct TCase {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"MZ only", {'M', 'Z'}},
      {"DOS header only", {pe.bytes.begin(), pe.bytes.begin() + 64}},
      {"no MZ", patched(0, 0x00905A4E, 4)},
      {"no PE signature", patched(kPeAt, 0x00004E45)},
      {"e_lfanew beyond the file", patched(0x3C, 0xFFFFFFF0)},
      {"unknown optional header", patched(pe.optionalAt, 0x107, 2)},
      {"optional header too short for the resource entry", patched(kPeAt + 20, 96 + 16, 2)},
      {"two data directories", patched(dirCount, 2)},
      {"no resource directory", patched(dirCount + 4 + 16, 0)},
      {"resources outside every section", patched(dirCount + 4 + 16, 0x9000)},
      {"section table beyond the file", patched(kPeAt + 6, 0xFFFF, 2)},
      {"section data beyond the file", patched(pe.rsrcSectionAt + 20, 0x7FFFFFFF)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    bool valid = true;
    EXPECT_EQ(ReadAll(c.bytes, &valid), std::vector<std::string>(17));
    EXPECT_FALSE(valid);
  }
}

// Random damage to the headers and the tree: whatever comes back, nothing reads out of
// bounds (checked by the sanitizers) and every lookup ends.
TEST(PeStrings, RandomDamageIsHarmless) {
  std::mt19937 rng(12345);
  for (bool plus : {false, true}) {
    const TBuiltPe pe = BuildPe(plus, kStrings);
    std::uniform_int_distribution<size_t> pick(0, pe.dataEnd - 1);
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> bytes = pe.bytes;
      for (int n = 1 + round % 4; n > 0; --n) bytes[pick(rng)] = uint8_t(rng());
      // Whatever the damage, a string comes from the file's own bytes: at most three bytes
      // of UTF-8 for every two of UTF-16 in it.
      for (const std::string& text : ReadAll(bytes))
        ASSERT_LE(text.size(), bytes.size() / 2 * 3) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace qel
