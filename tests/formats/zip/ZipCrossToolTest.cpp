// Headers written by other tools, read with the record code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/zip/ExtraFields.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/Records.h"
#include "tests/support/PeerTools.h"

namespace qel::zip {
namespace {

using test::Bytes;

std::string_view Text(const Bytes& b, size_t at, size_t size) {
  return {reinterpret_cast<const char*>(b.data()) + at, size};
}

// Info-ZIP on Linux stores UTF-8 names as they are, with host 3 and without bit 11.
TEST(NameCodecInfoZip, Utf8NameFromZip) {
  VK_REQUIRE_TOOL("zip");
  test::TestFolder dir;
  const std::string name = "na\xC3\xAFve \xE2\x82\xAC.txt";
  test::WriteFileText(dir / name, "hello\n");
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-X", "a.zip", name}, dir.Path()));

  const Bytes zip = test::ReadFileBytes(dir / "a.zip");
  ASSERT_GE(zip.size(), kEndRecordSize);
  const EndRecord end = UnpackEnd(zip.data() + zip.size() - kEndRecordSize);
  ASSERT_EQ(ClassifySignature(end.Signature).Kind, RecordKind::End);
  ASSERT_EQ(end.TotalEntries, 1);
  ASSERT_LE(uint64_t(end.CentralOffset) + kCentralHeaderSize, zip.size());

  CentralHeader h = UnpackCentral(zip.data() + end.CentralOffset);
  ASSERT_EQ(ClassifySignature(h.Signature).Kind, RecordKind::Central);
  const size_t nameAt = end.CentralOffset + kCentralHeaderSize;
  ASSERT_LE(nameAt + h.NameLength + h.ExtraLength, zip.size());
  const std::string_view stored = Text(zip, nameAt, h.NameLength);
  const TZipExtra extra =
      ReadCentralExtra(std::span(zip.data() + nameAt + h.NameLength, h.ExtraLength), stored, h);
  EXPECT_EQ(h.VersionMadeBy >> 8, 3);
  EXPECT_EQ(h.Flags & 0x0800, 0);
  EXPECT_EQ(DecodeCentralName(stored, h.VersionMadeBy, extra), name);
  EXPECT_EQ(FullUncompressedSize(h, extra), 6u);
}

// Python's zipfile with force_zip64 marks both local sizes and puts them in a Zip64 field.
TEST(ExtraFieldsPython, ForcedZip64LocalHeader) {
  VK_REQUIRE_TOOL("python3");
  test::TestFolder dir;
  ASSERT_TRUE(test::RunToolOk({"python3", "-c",
                               "import zipfile; z = zipfile.ZipFile('a.zip', 'w', "
                               "zipfile.ZIP_STORED); w = z.open('x', 'w', force_zip64=True); "
                               "w.write(b'0123456789'); w.close(); z.close()"},
                              dir.Path()));

  const Bytes zip = test::ReadFileBytes(dir / "a.zip");
  ASSERT_GE(zip.size(), kLocalHeaderSize);
  LocalHeader h = UnpackLocal(zip.data());
  ASSERT_EQ(ClassifySignature(h.Signature).Kind, RecordKind::Local);
  ASSERT_LE(kLocalHeaderSize + h.NameLength + h.ExtraLength, zip.size());
  EXPECT_EQ(h.CompressedSize, 0xFFFFFFFFu);
  const TZipExtra extra =
      ReadLocalExtra(std::span(zip.data() + kLocalHeaderSize + h.NameLength, h.ExtraLength),
                     Text(zip, kLocalHeaderSize, h.NameLength), h);
  EXPECT_EQ(FullCompressedSize(h, extra), 10u);
  EXPECT_EQ(FullUncompressedSize(h, extra), 10u);
}

}  // namespace
}  // namespace qel::zip
