// Every public sample archive of a format, listed, extracted and tested with vorelkit-cli,
// against the names, sizes and CRCs its manifest records. A format joins with one
// INSTANTIATE_TEST_SUITE_P line; a sample it cannot read yet goes in kKnownFailures.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "codecs/checksum/Crc.h"
#include "tests/support/CliRun.h"
#include "tests/support/Files.h"
#include "tests/support/SampleArchives.h"
#include "tests/support/TestFolder.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// Samples whose entries cannot be extracted yet, with the reason; their listing is still
// checked.
const std::map<std::string, std::string> kKnownFailures = {
    {"zip/zip2_shrink.zip", "shrink (method 1) is not decoded"},
    {"zip/cc_SHRUNK.ZIP", "shrink (method 1) is not decoded"},
    {"zip/oldunzip_example-s.zip", "shrink (method 1) is not decoded"},
    {"zip/zip2_reduce4.zip", "reduce (methods 2-5) is not decoded"},
    {"zip/oldunzip_example-r.zip", "reduce (methods 2-5) is not decoded"},
    {"zip/sc_Zip.reduce1.zip", "reduce and shrink (methods 1-5) are not decoded"},
    {"zip/sc_Zip.reduce3.zip", "reduce and shrink (methods 1-5) are not decoded"},
    {"zip/sc_Zip.reduce4.zip", "reduce and shrink (methods 1-5) are not decoded"},
    {"zip/zip2_implode_8k3t.zip", "implode (method 6) is not decoded"},
    {"zip/cc_imploding-4Kdict-2trees.zip", "implode (method 6) is not decoded"},
    {"zip/oldunzip_example-i.zip", "implode (method 6) is not decoded"},
    {"zip/zip2_ppmd.zip", "PPMd (method 98) is not decoded"},
    {"zip/cc_bzip2-zip.zip", "bzip2 (method 12) is not decoded"},
};

class SampleArchives : public ::testing::TestWithParam<TSample> {
 protected:
  void SetUp() override {
    if (GetParam().file.empty()) GTEST_SKIP() << SampleFolder() << " not present";
  }
  std::string Archive() const { return SampleFolder() + "/" + GetParam().file; }
  // The command's arguments with the sample's password, if it has one, in front.
  std::vector<std::string> With(std::vector<std::string> args) const {
    if (!GetParam().password.empty()) args.insert(args.begin() + 1, {"-p", GetParam().password});
    return args;
  }
};

using TNameSizeCrc = std::tuple<std::string, std::string, std::string>;

TEST_P(SampleArchives, ListingNamesSizesAndCrcsOfTheManifest) {
  const TCliRun list = Cli(With({"list", "--tsv", Archive()}));
  ASSERT_EQ(list.status, 0) << list.err;
  std::set<TNameSizeCrc> listed, expected;
  for (const std::string& line : Split(list.out, '\n')) {
    std::vector<std::string> f = Split(line, '\t');
    if (f.size() < 4 || f[0].ends_with('/')) continue;
    for (char& c : f[3]) c = char(std::tolower(static_cast<unsigned char>(c)));
    listed.insert({f[0], f[1], f[3]});
  }
  for (const TSampleMember& m : GetParam().members)
    if (m.size != "dir") expected.insert({m.name, m.size, m.crc});
  EXPECT_EQ(listed, expected);
}

TEST_P(SampleArchives, ExtractedFilesAndTestAgreeWithTheManifest) {
  if (auto known = kKnownFailures.find(GetParam().file); known != kKnownFailures.end())
    GTEST_SKIP() << "known failure: " << known->second;
  TestFolder out;
  const TCliRun extract = Cli(With({"extract", Archive(), "-o", out.Path()}));
  EXPECT_EQ(extract.status, 0) << extract.err;
  for (const TSampleMember& m : GetParam().members) {
    SCOPED_TRACE(m.name);
    const std::string path = out / m.name;
    if (m.size == "dir") {
      EXPECT_TRUE(fs::is_directory(path));
    } else if (m.size == "symlink") {
      EXPECT_TRUE(fs::is_symlink(path));
    } else {
      const Bytes bytes = ReadFileBytes(path);
      EXPECT_EQ(std::to_string(bytes.size()), m.size);
      char crc[9];
      std::snprintf(crc, sizeof crc, "%08x", Crc32(0, bytes.data(), bytes.size()));
      EXPECT_EQ(crc, m.crc);
    }
  }
  const TCliRun test = Cli(With({"test", Archive()}));
  EXPECT_EQ(test.status, 0) << test.out << test.err;
}

std::string Name(const ::testing::TestParamInfo<TSample>& info) {
  return SampleTestName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Zip, SampleArchives, ::testing::ValuesIn(SamplesOf("ZIP")), Name);

}  // namespace
}  // namespace qel::test
