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
    {"lha/unlha32_lh2.lzh", "-lh2- is not decoded"},
    {"ha/unarc_asc.ha", "HA's own coders are not decoded"},
    {"pak/unarc_distilled.pak", "PAK's distilling is not decoded"},
    {"ace/unarc_license1.ace", "no ACE library is provided here"},
    {"ace/unarc_license2.ace", "no ACE library is provided here"},
    {"ace/patool_t.ace", "no ACE library is provided here"},
    {"rar/sc_Rar15.rar", "libarchive decodes no RAR 1.5 data"},
    {"rar/rar2multi/Rar2.multi.rar", "libarchive decodes no RAR 2.0 data"},
    {"rar/rarfile_rar2-unix-owner.rar", "libarchive decodes no RAR 2.0 data"},
    {"rar/rarfile_rar3-solid.rar", "libarchive 3.6 decodes no solid RAR 3 data"},
    {"rar/rarfile_rar202-comment-psw.rar", "encrypted RAR entries are not decoded"},
    {"rar/rarfile_rar3-comment-psw.rar", "encrypted RAR entries are not decoded"},
    {"rar/rarfile_rar5-psw.rar", "encrypted RAR entries are not decoded"},
};

// Samples whose manifest records what another tool makes of them on purpose, not what they
// hold: checked by tests of their own, or not at all.
const std::map<std::string, std::string> kOwnRules = {
    {"lha/lha_unix114i_h1_symlink.lzh", "links are never made from an archive"},
    {"lha/regression_dotdot.lzh", "hostile names: formats/lha/LhaTest.cpp"},
    {"lha/regression_abspath.lzh", "hostile names: formats/lha/LhaTest.cpp"},
    {"rar/rarfile_rar5-hpsw.rar", "encrypted headers: formats/rar/RarSamplesTest.cpp"},
};

// Samples whose listing rightly differs from what they extract to.
const std::map<std::string, std::string> kListingDiffers = {
    {"lha/maclha_224_l1_lh5.lzh",
     "listed as stored, in MacBinary form; extracted as its data fork"},
    {"rar/rarfile_rar5-psw.rar", "its CRCs are kept as keyed hashes: listed as none, as 7z does"},
};

// LHA archives from case-blind systems (MS-DOS, OS/2) hold upper-case names, which the
// manifest records as lhasa writes them, in lower case; their listings give CRC-16s.
bool IsLha(const TSample& sample) { return sample.file.starts_with("lha/"); }

// Formats whose listings give CRC-16s, where the manifest has CRC-32s.
bool ListsCrc16(const TSample& sample) {
  for (const char* folder : {"lha/", "arc/", "pak/", "zoo/"})
    if (sample.file.starts_with(folder)) return true;
  return false;
}

// Where a stored name lands below the target folder: its ".." parts are dropped.
std::string Landed(const std::string& name) {
  std::string out;
  for (const std::string& part : Split(name, '/'))
    if (part != "..") out += (out.empty() ? "" : "/") + part;
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The file at `name` below `folder`, found ignoring case when the name has no exact match.
std::string FoundIgnoringCase(const std::string& folder, const std::string& name) {
  if (fs::exists(folder + "/" + name)) return folder + "/" + name;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (Lower(fs::relative(entry.path(), folder).string()) == Lower(name))
      return entry.path().string();
  return folder + "/" + name;
}

class SampleArchives : public ::testing::TestWithParam<TSample> {
 protected:
  void SetUp() override {
    if (GetParam().file.empty()) GTEST_SKIP() << SampleFolder() << " not present";
    if (auto own = kOwnRules.find(GetParam().file); own != kOwnRules.end())
      GTEST_SKIP() << own->second;
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
  if (auto differs = kListingDiffers.find(GetParam().file); differs != kListingDiffers.end())
    GTEST_SKIP() << differs->second;
  const TCliRun list = Cli(With({"list", "--tsv", Archive()}));
  ASSERT_EQ(list.status, 0) << list.err;
  std::set<TNameSizeCrc> listed, expected;
  for (const std::string& line : Split(list.out, '\n')) {
    std::vector<std::string> f = Split(line, '\t');
    if (f.size() < 4 || f[0].ends_with('/')) continue;
    if (IsLha(GetParam())) f[0] = Lower(f[0]);
    if (ListsCrc16(GetParam())) f[3] = "-";
    listed.insert({f[0], f[1], Lower(f[3])});
  }
  for (const TSampleMember& m : GetParam().members)
    if (m.size != "dir")
      expected.insert({IsLha(GetParam()) ? Lower(m.name) : m.name, m.size,
                       ListsCrc16(GetParam()) ? "-" : m.crc});
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
    const std::string path = FoundIgnoringCase(out.Path(), Landed(m.name));
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
INSTANTIATE_TEST_SUITE_P(Lha, SampleArchives, ::testing::ValuesIn(SamplesOf("LHA")), Name);
INSTANTIATE_TEST_SUITE_P(Arj, SampleArchives, ::testing::ValuesIn(SamplesOf("ARJ")), Name);
INSTANTIATE_TEST_SUITE_P(Arc, SampleArchives, ::testing::ValuesIn(SamplesOf("ARC")), Name);
INSTANTIATE_TEST_SUITE_P(Pak, SampleArchives, ::testing::ValuesIn(SamplesOf("PAK")), Name);
INSTANTIATE_TEST_SUITE_P(Zoo, SampleArchives, ::testing::ValuesIn(SamplesOf("ZOO")), Name);
INSTANTIATE_TEST_SUITE_P(Ha, SampleArchives, ::testing::ValuesIn(SamplesOf("HA")), Name);
INSTANTIATE_TEST_SUITE_P(Ace, SampleArchives, ::testing::ValuesIn(SamplesOf("ACE")), Name);
INSTANTIATE_TEST_SUITE_P(Rar, SampleArchives, ::testing::ValuesIn(SamplesOf("RAR")), Name);

}  // namespace
}  // namespace qel::test
