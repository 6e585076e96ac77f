// Archives written with enciphered headers list with the header-key seed they were written
// with, and show no readable names with another.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "engine/base/SeedKeys.h"
#include "engine/list/Quell.h"
#include "formats/zip/HeaderCrypt.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace qel {
namespace {

const std::vector<test::ZipEntry> kEntries = {{"first.txt", "one"}, {"docs/second.txt", "two!"}};

// The stored archive with every local and central header enciphered as the writer does it:
// the signature moved to the enciphered family, then fixed part and name enciphered.
test::Bytes EncipheredArchive(const TSeedKeyRecord& seed) {
  test::ZipImage img = test::BuildStoredZip(kEntries);
  auto encipher = [&](int64_t pos, size_t fixed, const std::string& name, zip::RecordKind kind) {
    img.bytes[size_t(pos) + 1] += 1;  // "PK" becomes "PL"
    std::span<uint8_t> record(img.bytes.data() + pos, fixed + name.size());
    ASSERT_TRUE(zip::EncipherHeader(seed, record, kind));
  };
  int64_t central = img.centralPos;
  for (size_t i = 0; i < kEntries.size(); ++i) {
    encipher(img.localPos[i], zip::kLocalHeaderSize, kEntries[i].name, zip::RecordKind::Local);
    encipher(central, zip::kCentralHeaderSize, kEntries[i].name, zip::RecordKind::Central);
    central += int64_t(zip::kCentralHeaderSize + kEntries[i].name.size());
  }
  return img.bytes;
}

std::vector<std::string> ListNames(const std::string& path, const TSeedKeyRecord& seed) {
  TQuell quell;
  quell.SeedHeaderKeys = seed;
  std::vector<std::string> names;
  quell.OnRead = [&](TZipCommon&, int64_t, int) { names.push_back(quell.Entry().FileName); };
  quell.OnError = [](TZipCommon&, const WideString&, const WideString&, const WideString&, int) {};
  quell.SetArchiveFile(path);
  quell.Activate();
  return names;
}

TEST(ListerEnciphered, ListsWithTheSeedItWasWrittenWith) {
  test::TestFolder folder;
  const TSeedKeyRecord custom{0x01020304, 0x05060708, 0x090A0B0C};
  for (const TSeedKeyRecord& seed : {kDefaultHeaderKeys, custom}) {
    std::string path = folder / "enciphered.zip";
    test::WriteFileBytes(path, EncipheredArchive(seed));
    EXPECT_EQ(ListNames(path, seed), (std::vector<std::string>{"first.txt", "docs/second.txt"}));
    const TSeedKeyRecord other = seed == custom ? kDefaultHeaderKeys : custom;
    for (const std::string& name : ListNames(path, other)) {
      EXPECT_NE(name, "first.txt");
      EXPECT_NE(name, "docs/second.txt");
    }
  }
}

}  // namespace
}  // namespace qel
