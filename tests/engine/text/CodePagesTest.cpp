#include <gtest/gtest.h>
#include <iconv.h>

#include "engine/text/CodePages.h"
#include "engine/text/Utf8.h"

namespace qel::text {
namespace {

TEST(CodePages, DefaultsAreCp437AndCp1252) { EXPECT_EQ(CodePages(), (TCodePagePair{437, 1252})); }

TEST(CodePages, Cp437BoxDrawingAndAccentsRoundTrip) {
  const std::string text = "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97 caf\xC3\xA9 \xC3\x91 \xC3\xBC";
  const std::string bytes = "\xC9\xCD\xBB caf\x82 \xA5 \x81";
  EXPECT_EQ(EncodeCodePage(437, text), bytes);
  EXPECT_EQ(DecodeCodePage(437, bytes), text);
}

TEST(CodePages, Cp1252EuroAndUnassignedBytes) {
  EXPECT_EQ(EncodeCodePage(1252, "\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(DecodeCodePage(1252, "\x80"), "\xE2\x82\xAC");
  // The unassigned bytes decode to the C1 control of the same value and encode back.
  EXPECT_EQ(DecodeCodePage(1252, "\x81\x9D"), "\xC2\x81\xC2\x9D");
  EXPECT_EQ(EncodeCodePage(1252, "\xC2\x8F"), "\x8F");
}

TEST(CodePages, EncodingFailsWithoutAMapping) {
  EXPECT_FALSE(EncodeCodePage(437, "\xE2\x82\xAC"));   // no euro in CP437
  EXPECT_FALSE(EncodeCodePage(1252, "\xE6\x97\xA5"));  // nor CJK in CP1252
  EXPECT_FALSE(EncodeCodePage(1252, "\xFF"));          // not UTF-8 at all
  EXPECT_FALSE(EncodeCodePage(12345, "a"));            // no such code page
}

// The built-in tables must convert exactly as the C library's own converters do, where
// those define the byte.
TEST(CodePages, BuiltInTablesAgreeWithTheCLibrary) {
  for (const char* name : {"CP437", "CP1252"}) {
    iconv_t cd = iconv_open("UTF-8", name);
    if (cd == iconv_t(-1)) GTEST_SKIP() << "the C library has no " << name;
    iconv_close(cd);
  }
  for (int cp : {437, 1252}) {
    const std::string name = "CP" + std::to_string(cp);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
      char in[1] = {char(b)}, out[8];
      char *inPtr = in, *outPtr = out;
      size_t inLeft = 1, outLeft = sizeof out;
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1)) continue;
      EXPECT_EQ(DecodeCodePage(cp, std::string(1, char(b))), std::string(out, outPtr))
          << name << " byte " << b;
      ++compared;
    }
    iconv_close(cd);
    EXPECT_GE(compared, 251);
  }
}

TEST(CodePages, OtherCodePagesThroughTheCLibrary) {
  if (!IsCodePageAvailable(866)) GTEST_SKIP() << "the C library has no CP866";
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  EXPECT_EQ(EncodeCodePage(866, privet), "\x8F\xE0\xA8\xA2\xA5\xE2");
  EXPECT_EQ(DecodeCodePage(866, "\x8F\xE0\xA8\xA2\xA5\xE2"), privet);
  EXPECT_FALSE(EncodeCodePage(866, "\xE2\x82\xAC"));  // strict: no look-alike for the euro
}

TEST(CodePages, UndecodableBytesBecomeReplacementCharacters) {
  if (!IsCodePageAvailable(932)) GTEST_SKIP() << "the C library has no CP932";
  EXPECT_EQ(DecodeCodePage(932, "\x82\xA0"), "\xE3\x81\x82");  // hiragana a
  EXPECT_EQ(DecodeCodePage(932, "a\x82"), "a\xEF\xBF\xBD");    // lead byte cut off
}

TEST(CodePages, AvailabilityAndConfiguration) {
  EXPECT_TRUE(IsCodePageAvailable(437));
  EXPECT_TRUE(IsCodePageAvailable(1252));
  EXPECT_FALSE(IsCodePageAvailable(0));
  EXPECT_FALSE(IsCodePageAvailable(-437));
  EXPECT_FALSE(IsCodePageAvailable(12345));
  EXPECT_FALSE(IsCodePageAvailable(70000));
  EXPECT_FALSE(DecodeCodePage(12345, "a"));

  EXPECT_FALSE(SetCodePages({437, 12345}));
  EXPECT_EQ(CodePages(), (TCodePagePair{437, 1252}));
}

TEST(CodePages, Utf8Validity) {
  for (const char* good : {"", "plain", "\xC3\xBC", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                           "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBD"}) {
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  }
  for (const char* bad : {"\xC0\xAF",          // overlong "/"
                          "\xE0\x80\xAF",      // overlong, three bytes
                          "\xF0\x82\x82\xAC",  // overlong, four bytes
                          "\xED\xA0\x80",      // surrogate U+D800
                          "\xED\xBF\xBF",      // surrogate U+DFFF
                          "\xF4\x90\x80\x80",  // above U+10FFFF
                          "\xE2\x82",          // cut off
                          "\x80", "a\xBF",     // stray continuation
                          "\xF8\x88\x80\x80\x80", "\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(std::string(bad));
  }
  EXPECT_EQ(SanitizeUtf8("a\xFF\xC3\xBC\xE2\x82"), "a\xEF\xBF\xBD\xC3\xBC\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace qel::text
