#include <gtest/gtest.h>

#include "engine/text/CodePages.h"
#include "formats/zip/NameCodec.h"

namespace qel::zip {
namespace {

constexpr uint16_t kHostDos = 0x0014;
constexpr uint16_t kHostUnix = 0x0314;
constexpr uint16_t kHostNtfs = 0x0B14;

TEST(NameCodec, HostZeroReadsOem) {
  EXPECT_EQ(DecodeCentralName("\x81", kHostDos, {}), "\xC3\xBC");  // CP437 u-umlaut
  EXPECT_EQ(DecodeCentralName("\xC9\xCD\xBB", kHostDos, {}),
            "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97");
}

TEST(NameCodec, OtherHostsAndLocalHeadersReadAnsi) {
  EXPECT_EQ(DecodeCentralName("\x80.txt", kHostNtfs, {}), "\xE2\x82\xAC.txt");  // CP1252 euro
  EXPECT_EQ(DecodeCentralName("\xFC", kHostUnix, {}), "\xC3\xBC");
  EXPECT_EQ(DecodeLocalName("\xFC", {}), "\xC3\xBC");
}

TEST(NameCodec, ValidUtf8WinsWhateverTheHost) {
  for (uint16_t madeBy : {kHostDos, kHostUnix, kHostNtfs}) {
    EXPECT_EQ(DecodeCentralName("na\xC3\xAFve", madeBy, {}), "na\xC3\xAFve");
  }
  EXPECT_EQ(DecodeLocalName("\xE6\x97\xA5.txt", {}), "\xE6\x97\xA5.txt");
}

TEST(NameCodec, BackslashesBecomeSlashes) {
  EXPECT_EQ(DecodeCentralName("dir\\sub\\f.txt", kHostDos, {}), "dir/sub/f.txt");
  EXPECT_EQ(DecodeCentralName("d\xC3\xA9j\xC3\xA0\\x", kHostUnix, {}), "d\xC3\xA9j\xC3\xA0/x");
  TZipExtra extra;
  extra.UnicodeName = "a\\b";
  EXPECT_EQ(DecodeLocalName("ab", extra), "a/b");
}

TEST(NameCodec, UnicodePathOverridesTheStoredName) {
  TZipExtra extra;
  extra.UnicodeName = "\xE6\x97\xA5.txt";
  EXPECT_EQ(DecodeCentralName("?.txt", kHostDos, extra), "\xE6\x97\xA5.txt");
}

TEST(NameCodec, AsciiNamesAreStoredAsOem) {
  const TEncodedName n = EncodeName("docs/readme.txt");
  EXPECT_EQ(n.Bytes, "docs/readme.txt");
  EXPECT_EQ(n.VersionMadeBy, 20);
  EXPECT_EQ(EncodeName("").VersionMadeBy, 20);
}

TEST(NameCodec, OemRepresentableNamesAreStoredInOem) {
  const TEncodedName n = EncodeName("Gr\xC3\xBC\xC3\x9F");  // "Grüß"
  EXPECT_EQ(n.Bytes, "Gr\x81\xE1");
  EXPECT_EQ(n.VersionMadeBy, kMadeByOem);
}

TEST(NameCodec, OtherNamesAreStoredAsUtf8) {
  for (const char* name : {"\xE2\x82\xAC.txt", "\xE6\x97\xA5\xE6\x9C\xAC/a", "\xC4\x80"}) {
    const TEncodedName n = EncodeName(name);
    EXPECT_EQ(n.Bytes, name);
    EXPECT_EQ(n.VersionMadeBy, 0x0B14);
  }
}

TEST(NameCodec, OemBytesThatReadAsUtf8AreNotUsed) {
  // "├ñ" is CP437 C3 A4, which is the UTF-8 of "ä": stored in OEM it would come back as "ä".
  const std::string name = "\xE2\x94\x9C\xC3\xB1";
  const TEncodedName n = EncodeName(name);
  EXPECT_EQ(n.VersionMadeBy, kMadeByUtf8);
  EXPECT_EQ(DecodeCentralName(n.Bytes, n.VersionMadeBy, {}), name);
}

TEST(NameCodec, RawBytesAreStoredUntouched) {
  const TEncodedName n = EncodeName("caf\xE9.txt");  // Latin-1 from a legacy file system
  EXPECT_EQ(n.Bytes, "caf\xE9.txt");
  EXPECT_EQ(n.VersionMadeBy, kMadeByUtf8);
  EXPECT_EQ(DecodeCentralName(n.Bytes, n.VersionMadeBy, {}), "caf\xC3\xA9.txt");
}

TEST(NameCodec, WrittenNamesReadBack) {
  for (const char* name : {"a/b/c.txt", "\xC3\xA9t\xC3\xA9/\xE2\x95\x90", "\xF0\x9F\x98\x80",
                           "\xD0\x9F\xD1\x80\xD0\xB8", "\xC2\x81"}) {
    const TEncodedName n = EncodeName(name);
    EXPECT_EQ(DecodeCentralName(n.Bytes, n.VersionMadeBy, {}), name) << name;
  }
}

TEST(NameCodec, ConfiguredOemCodePageIsUsed) {
  if (!text::IsCodePageAvailable(866)) GTEST_SKIP() << "the C library has no CP866";
  const text::TCodePagePair saved = text::CodePages();
  ASSERT_TRUE(text::SetCodePages({866, 1251}));
  const std::string decoded = DecodeCentralName("\x8F\xE0\xA8", kHostDos, {});
  const TEncodedName encoded = EncodeName("\xD0\x9F\xD1\x80\xD0\xB8");  // "При"
  ASSERT_TRUE(text::SetCodePages(saved));
  EXPECT_EQ(decoded, "\xD0\x9F\xD1\x80\xD0\xB8");
  EXPECT_EQ(encoded.Bytes, "\x8F\xE0\xA8");
  EXPECT_EQ(encoded.VersionMadeBy, kMadeByOem);
}

}  // namespace
}  // namespace qel::zip
