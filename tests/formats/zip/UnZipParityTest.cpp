// The ZIP reader beside a reference extractor: for archives made by other tools, the tree
// the reader extracts must match the one the reference extracts from the same archive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "formats/zip/UnZip.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// The input tree: text, a binary longer than a 64 KiB volume, an empty file and folder, a read-only
// file, and fixed dates on even seconds.
void MakeInput(const TestFolder& dir) {
  fs::create_directories(dir / "in/sub/deeper");
  fs::create_directories(dir / "in/emptydir");
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of text\n";
  WriteFileText(dir / "in/text.txt", text);
  WriteFileText(dir / "in/sub/notes.txt", "a few words\n");
  WriteFileText(dir / "in/sub/deeper/readonly.txt", "do not change\n");
  WriteFileText(dir / "in/empty.txt", "");
  Bytes random(70000);
  std::mt19937 gen(11);
  for (uint8_t& b : random) b = uint8_t(gen());
  WriteFileBytes(dir / "in/sub/random.bin", random);
  ASSERT_TRUE(RunToolOk({"sh", "-c",
                         "cd in && chmod 444 sub/deeper/readonly.txt && "
                         "touch -d '2001-02-03 04:05:06' text.txt && "
                         "touch -d '2019-12-31 23:59:58' sub/notes.txt"},
                        dir.Path()));
}

struct TNode {
  bool folder = false;
  Bytes data;
  int64_t mtimeNs = 0;
  bool ownerWrite = false;
};

std::map<std::string, TNode> Snapshot(const std::string& root) {
  std::map<std::string, TNode> tree;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    EXPECT_EQ(::lstat(e.path().c_str(), &st), 0) << e.path();
    TNode& n = tree[fs::relative(e.path(), root).string()];
    n.folder = S_ISDIR(st.st_mode);
    if (!n.folder) n.data = ReadFileBytes(e.path());
    n.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    n.ownerWrite = st.st_mode & S_IWUSR;
  }
  return tree;
}

std::vector<std::string> Names(const std::map<std::string, TNode>& tree) {
  std::vector<std::string> names;
  for (const auto& [name, node] : tree) names.push_back(name + (node.folder ? "/" : ""));
  return names;
}

struct ParityCase {
  std::string label;
  std::vector<std::string> tools;  // the maker's and the reference's
  std::string make;                // run by sh in the test folder; makes `archive` from in/
  std::string archive;
  std::string reference;  // with `archive` appended, run like `make`; extracts into ref/
};

void PrintTo(const ParityCase& c, std::ostream* os) { *os << c.label; }

class UnZipParity : public testing::TestWithParam<ParityCase> {};

TEST_P(UnZipParity, ExtractsTheSameTreeAsTheReference) {
  const ParityCase& c = GetParam();
  for (const std::string& tool : c.tools) VK_REQUIRE_TOOL(tool);
  TestFolder dir;
  MakeInput(dir);
  ASSERT_TRUE(RunToolOk({"sh", "-c", c.make}, dir.Path()));
  ASSERT_TRUE(RunToolOk({"sh", "-c", c.reference + c.archive}, dir.Path()));

  TUnZip zip;
  std::vector<int> codes;
  zip.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&,
                    int code) { codes.push_back(code); };
  zip.SetArchiveFile(dir / c.archive);
  zip.SetExtractDir(dir / "out");
  zip.CreateStoredDirs = true;
  zip.SetPassword("secret");
  zip.Extract();
  EXPECT_TRUE(codes.empty()) << codes.front();

  const auto ours = Snapshot(dir / "out");
  const auto ref = Snapshot(dir / "ref");
  ASSERT_EQ(Names(ours), Names(ref));
  for (const auto& [name, r] : ref) {
    const TNode& o = ours.at(name);
    // Every maker here writes a Unix or NTFS time field: the second is exact (the reference
    // may restore fractions of it). Folders too get their stored times.
    EXPECT_EQ(o.mtimeNs / 1'000'000'000, r.mtimeNs / 1'000'000'000) << name;
    if (r.folder) continue;
    EXPECT_TRUE(o.data == r.data) << name;
    EXPECT_EQ(o.ownerWrite, r.ownerWrite) << name;
  }
}

std::vector<ParityCase> Cases() {
  const std::string unzip = "unzip -q -P secret -d ref ";
  const std::string sevenZip = "7z x -bd -y -psecret -oref >/dev/null ";
  std::vector<ParityCase> cases = {
      {"ZipStored", {"zip", "unzip"}, "cd in && zip -q -r -0 ../a.zip .", "a.zip", unzip},
      {"Zip6", {"zip", "unzip"}, "cd in && zip -q -r -6 ../a.zip .", "a.zip", unzip},
      {"Zip9", {"zip", "unzip"}, "cd in && zip -q -r -9 ../a.zip .", "a.zip", unzip},
      {"ZipCrypto", {"zip", "unzip"}, "cd in && zip -q -r -P secret ../a.zip .", "a.zip", unzip},
      {"Zip64", {"zip", "unzip"}, "cd in && zip -q -r -fz ../a.zip .", "a.zip", unzip},
      {"ZipDescriptors",
       {"zip", "unzip"},
       "cd in && zip -q -r - . | cat > ../a.zip",
       "a.zip",
       unzip},
      {"ZipSplit",
       {"zip", "7z"},
       "cd in && zip -q -r -s 64k ../a.zip . && test -f ../a.z01",
       "a.zip",
       sevenZip},
      {"ZipSfx",
       {"zip", "unzipsfx", "unzip"},
       "cd in && zip -q -r ../a.zip . && cd .. && cat \"$(command -v unzipsfx)\" a.zip > "
       "sfx.exe && zip -q -A sfx.exe",
       "sfx.exe",
       unzip}};
  for (const char* method : {"Copy", "Deflate", "Deflate64"}) {
    for (const char* cipher : {"", "ZipCrypto", "AES128", "AES192", "AES256"}) {
      const std::string options =
          std::string("-mm=") + method + (*cipher ? std::string(" -psecret -mem=") + cipher : "");
      cases.push_back({std::string("SevenZip") + method + cipher,
                       {"7z"},
                       "cd in && 7z a -bd -tzip " + options + " ../a.zip . >/dev/null",
                       "a.zip",
                       sevenZip});
    }
  }
  for (const auto& [label, options] : std::vector<std::pair<std::string, std::string>>{
           {"Stored", "--options zip:compression=store"},
           {"Deflate", ""},
           {"ZipCrypto", "--options zip:encryption=zipcrypt --passphrase secret"},
           {"Aes256", "--options zip:encryption=aes256 --passphrase secret"}}) {
    cases.push_back({"Bsdtar" + label,
                     {"bsdtar", "7z"},
                     "cd in && bsdtar --format zip " + options + " -cf ../a.zip .",
                     "a.zip",
                     sevenZip});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Tools, UnZipParity, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<ParityCase>& info) {
                           return info.param.label;
                         });

}  // namespace
}  // namespace qel::test
