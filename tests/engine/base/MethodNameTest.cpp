#include "engine/detect/MethodName.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

#include "tests/support/PeerTools.h"

namespace qel {
namespace {

TEST(MethodNameZip, DeflateSubTypeFromTheFlags) {
  for (TArcType t : {atZip, atZipExe, atJar, atZipDS, atZipMV}) {
    SCOPED_TRACE(ArcTypeName(t));
    for (int method : {8, 9}) {
      EXPECT_EQ(MethodName(t, method, 0), "DFLT-N");
      EXPECT_EQ(MethodName(t, method, 2), "DFLT-X");
      EXPECT_EQ(MethodName(t, method, 4), "DFLT-F");
      EXPECT_EQ(MethodName(t, method, 6), "DFLT-S");
      EXPECT_EQ(MethodName(t, method, 3), "DFLT-X");  // encrypted, maximum
      // Other flags (data descriptor, UTF-8 names...) leave the option bits to speak.
      for (uint16_t f : {8, 0x0800}) EXPECT_EQ(MethodName(t, method, f), "DFLT-N");
      EXPECT_EQ(MethodName(t, method, 0x0804), "DFLT-F");
      EXPECT_EQ(MethodName(t, method, 0x080B), "DFLT-X");
      EXPECT_EQ(MethodName(t, method, 0xFFFF), "DFLT-S");
    }
  }
}

TEST(MethodNameZip, OtherMethods) {
  EXPECT_EQ(MethodName(atZip, 0, 0), "Stored");
  EXPECT_EQ(MethodName(atZip, 7, 0), "Tokened");
  EXPECT_EQ(MethodName(atZip, 10, 0), "DCL-implode");
  EXPECT_EQ(MethodName(atZip, 12, 0), "BZip2");
  EXPECT_EQ(MethodName(atZip, 98, 0), "PPMDi1");
  EXPECT_EQ(MethodName(atZip, 14, 0), "Unsupported");
  EXPECT_EQ(MethodName(atZip, -1, 0), "Unsupported");
  EXPECT_EQ(MethodName(atZip, 14, 0, {.IsDirectory = true}), "<Dir>");
  // AES: the actual method from the AES field, looked up by the same rules.
  EXPECT_EQ(MethodName(atZip, 99, 3, {.AesActualMethod = 8}), "DFLT-X");
  EXPECT_EQ(MethodName(atZip, 99, 1, {.AesActualMethod = 0}), "Stored");
  EXPECT_EQ(MethodName(atZip, 99, 1, {.AesActualMethod = 12}), "BZip2");
  EXPECT_EQ(MethodName(atZip, 99, 1), "Unsupported");
  EXPECT_EQ(MethodName(atZip, 99, 1, {.AesActualMethod = 99}), "Unsupported");
}

TEST(MethodNameOther, FormatTables) {
  EXPECT_EQ(MethodName(atCab, 5, 0), "Lzx5");
  EXPECT_EQ(MethodName(atCabExe, 0x1503, 0), "Lzx");  // only the low 4 bits name the method
  EXPECT_EQ(MethodName(atCab, 0x0F, 0), "Lzx15");
  EXPECT_EQ(MethodName(atLha, '5', 0), "Frozen-5");
  EXPECT_EQ(MethodName(atLzhExe, '0', 0), "Stored");
  EXPECT_EQ(MethodName(atLha, '8', 0), "Unsupported");
  EXPECT_EQ(MethodName(atLha, 100, 0), "<Dir>");
  EXPECT_EQ(MethodName(atPak, 8, 0), "Varible");
  EXPECT_EQ(MethodName(atPak, 1, 0), "Stored");  // ARC's oldest records, which PAK reads too
  EXPECT_EQ(MethodName(atPak, 12, 0), "Unsupported");
  EXPECT_EQ(MethodName(at7Zip, 10, 0), "PKImplding");
  EXPECT_EQ(MethodName(atBz2, 1, 0), "BZ'd");
  EXPECT_EQ(MethodName(atArc, 1, 0), "Stored");
  EXPECT_EQ(MethodName(atArc, 0, 0), "Unsupported");
  EXPECT_EQ(MethodName(atAce, 6, 0), "Unsupported");
  EXPECT_EQ(MethodName(atRar, '5', 0), "Best");
  EXPECT_EQ(MethodName(atRar, '5', 0, {.IsDirectory = true}), "<Dir>");
  EXPECT_EQ(MethodName(atBh, 12, 2), "BZip2-X");
  EXPECT_EQ(MethodName(atBh, 8, 2), "Deflate");  // the level bits name no BZIP2 here
  EXPECT_EQ(MethodName(atBh, 8, 13), "DFLT-64S");
  EXPECT_EQ(MethodName(atBh, 3, 1), "Fused3");
  EXPECT_EQ(MethodName(atGZip, 5, 0, {.GZipMagic = 0xA0}), "LzhMAGIC");
  EXPECT_EQ(MethodName(atNA, 0, 0), "Unsupported");
}

// What zipinfo calls the Deflate sub-type of the first entry, or "" when it says nothing.
std::string ZipinfoSubType(const std::string& archive) {
  const std::string out = test::RunTool({"zipinfo", "-v", archive}).out;
  const std::string key = "compression sub-type (deflation):";
  size_t at = out.find(key);
  if (at == std::string::npos) return "";
  size_t from = out.find_first_not_of(' ', at + key.size());
  return out.substr(from, out.find('\n', from) - from);
}

TEST(MethodNameZip, AgreesWithZipinfo) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("zipinfo");
  const std::map<std::string, std::string> kNames = {
      {"normal", "DFLT-N"}, {"maximum", "DFLT-X"}, {"fast", "DFLT-F"}, {"superfast", "DFLT-S"}};
  test::TestFolder dir;
  std::string text;
  for (int i = 0; i < 2000; ++i) text += std::to_string(i * 7919 % 1000) + " lines of text\n";
  test::WriteFileText(dir / "a.txt", text);
  for (const char* level : {"-1", "-6", "-9"}) {
    SCOPED_TRACE(level);
    std::string archive = dir / (std::string("z") + level + ".zip");
    ASSERT_TRUE(test::RunToolOk({"zip", "-q", level, archive, "a.txt"}, dir.Path()));
    std::string bytes = test::ReadFileText(archive);
    ASSERT_GE(bytes.size(), 30u);
    ASSERT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04"));
    const auto flags = uint16_t(uint8_t(bytes[6]) | uint8_t(bytes[7]) << 8);
    const int method = uint8_t(bytes[8]) | uint8_t(bytes[9]) << 8;
    ASSERT_EQ(method, 8);
    std::string subType = ZipinfoSubType(archive);
    ASSERT_EQ(kNames.count(subType), 1u) << "zipinfo said '" << subType << "'";
    EXPECT_EQ(MethodName(atZip, method, flags), kNames.at(subType)) << "flags " << flags;
  }
}

}  // namespace
}  // namespace qel
