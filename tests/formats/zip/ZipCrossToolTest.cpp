// Headers written by other tools, read with the record code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/zip/ExtraFields.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/Records.h"

namespace qel::zip {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

bool HaveTool(const char* tool) {
  return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

fs::path FreshDir(const char* name) {
  const fs::path dir = fs::path(VK_TEST_WORK_DIR) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

Bytes ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string_view Text(const Bytes& b, size_t at, size_t size) {
  return {reinterpret_cast<const char*>(b.data()) + at, size};
}

// Info-ZIP on Linux stores UTF-8 names as they are, with host 3 and without bit 11.
TEST(NameCodecInfoZip, Utf8NameFromZip) {
  if (!HaveTool("zip")) GTEST_SKIP() << "zip is not installed";
  const fs::path dir = FreshDir("namecodec-infozip");
  const std::string name = "na\xC3\xAFve \xE2\x82\xAC.txt";
  std::ofstream(dir / name) << "hello\n";
  const std::string command = "cd '" + dir.string() + "' && zip -q -X a.zip '" + name + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const Bytes zip = ReadAll(dir / "a.zip");
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
  if (!HaveTool("python3")) GTEST_SKIP() << "python3 is not installed";
  const fs::path dir = FreshDir("extrafields-python");
  const std::string command =
      "python3 -c \"import zipfile; z = zipfile.ZipFile('" + (dir / "a.zip").string() +
      "', 'w', zipfile.ZIP_STORED); w = z.open('x', 'w', force_zip64=True); "
      "w.write(b'0123456789'); w.close(); z.close()\"";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const Bytes zip = ReadAll(dir / "a.zip");
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
