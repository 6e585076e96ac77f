// The lister against 7-Zip's reading of the same archive: for ZIP files made by Info-ZIP,
// 7-Zip and bsdtar with every method, cipher and layout they offer, the entries come in the
// same order with the name, sizes, CRC and encrypted flag that `7z l -slt` reports, both in
// the component (which also gives the same comments and local-header positions) and in the
// `vorelkit-cli list --tsv` output (whose times agree within the two-second DOS steps).
//
// 7-Zip shows folders without their trailing "/" (it says "Folder = +" instead), shows no CRC
// where the archive stores none (folders, AES entries of the AE-2 kind), and counts the
// 12-byte ZipCrypto header in "Packed Size", which the lister leaves out of PackedSize: the
// peer's rows are brought to the lister's conventions before comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/engine/list/ListerRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

struct TRow {
  std::string name;  // folders end with "/"
  int64_t size = 0;
  int64_t packed = 0;
  uint32_t crc = 0;
  bool encrypted = false;
  std::string comment;
  int64_t offset = -1;  // where the local header starts in the file
  int64_t time = 0;     // local wall-clock seconds, compared within the DOS two-second steps

  bool operator==(const TRow& o) const {
    return name == o.name && size == o.size && packed == o.packed && crc == o.crc &&
           encrypted == o.encrypted && comment == o.comment && offset == o.offset;
  }
};

void PrintTo(const TRow& r, std::ostream* os) {
  *os << "{" << r.name << " size " << r.size << " packed " << r.packed << " crc " << std::hex
      << r.crc << std::dec << (r.encrypted ? " encrypted" : "") << " comment '" << r.comment
      << "' at " << r.offset << "}";
}

std::vector<std::string> SplitOn(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, sep);) parts.push_back(part);
  return parts;
}

// "YYYY-MM-DD HH:MM:SS" (anything after is ignored) as seconds; -1 when malformed.
int64_t Seconds(const std::string& text) {
  std::tm tm{};
  std::istringstream in(text);
  in >> std::get_time(&tm, "%Y-%m-%d %H:%M:%S");
  return in.fail() ? -1 : int64_t(timegm(&tm));
}

// The entries as `7z l -slt` reports them. Its entry offsets count from the start of the
// archive, which lies "Offset" bytes into the file when data in front was not accounted for.
std::vector<TRow> PeerRows(const std::string& archive) {
  ToolRun run = RunTool({"7z", "l", "-slt", "-sccUTF-8", archive});
  EXPECT_TRUE(run.Ok()) << run.out << run.err;
  std::vector<TRow> rows;
  bool inEntries = false, folder = false, zipCrypto = false;
  int64_t archiveOffset = 0;
  auto finish = [&] {
    if (rows.empty()) return;
    TRow& r = rows.back();
    if (folder) r.name += "/";
    if (zipCrypto && r.packed >= 12) r.packed -= 12;
  };
  for (const std::string& line : SplitOn(run.out, '\n')) {
    if (line == "----------") inEntries = true;
    const size_t eq = line.find(" = ");
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 3);
    if (!inEntries) {
      if (key == "Offset") archiveOffset = std::stoll(value);
    } else if (key == "Path") {
      finish();
      rows.emplace_back().name = value;
      folder = zipCrypto = false;
    } else if (rows.empty()) {
      continue;
    } else if (key == "Folder") {
      folder = value == "+";
    } else if (key == "Size") {
      rows.back().size = std::stoll(value);
    } else if (key == "Packed Size") {
      rows.back().packed = std::stoll(value);
    } else if (key == "CRC") {
      rows.back().crc = value.empty() ? 0 : uint32_t(std::stoul(value, nullptr, 16));
    } else if (key == "Encrypted") {
      rows.back().encrypted = value == "+";
    } else if (key == "Comment") {
      rows.back().comment = value;
    } else if (key == "Method") {
      zipCrypto = value.find("ZipCrypto") != std::string::npos;
    } else if (key == "Offset") {
      rows.back().offset = archiveOffset + std::stoll(value);
    } else if (key == "Modified") {
      rows.back().time = Seconds(value);
    }
  }
  finish();
  return rows;
}

std::vector<TRow> LibraryRows(const std::string& archive) {
  TListed listed = ListArchive(archive);
  EXPECT_TRUE(listed.ran);
  EXPECT_TRUE(listed.errors.empty()) << "first error " << listed.errors.front();
  std::vector<TRow> rows;
  for (size_t i = 0; i < listed.entries.size(); ++i) {
    const TEntryRecord& e = listed.entries[i];
    rows.push_back({e.FileName, e.UnpackedSize, e.PackedSize, e.CRC, e.Encrypted, e.FileComment,
                    listed.offsets[i]});
  }
  return rows;
}

// `vorelkit-cli list --tsv`, each field checked for its form on the way.
std::vector<TRow> CliRows(const std::string& archive) {
  ToolRun run = RunTool({VK_CLI_PATH, "list", "--tsv", archive});
  EXPECT_EQ(run.status, 0) << run.err;
  static const std::regex kNumber("[0-9]+"), kCrc("[0-9A-F]{8}"),
      kTime("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}"), kAttr("[-adrshe]{5}"),
      kFlag("[01]");
  std::vector<TRow> rows;
  for (const std::string& line : SplitOn(run.out, '\n')) {
    const std::vector<std::string> f = SplitOn(line + "\t", '\t');  // keeps an empty last field
    if (f.size() != 9 || !regex_match(f[1], kNumber) || !regex_match(f[2], kNumber) ||
        !regex_match(f[3], kCrc) || !regex_match(f[5], kTime) || !regex_match(f[6], kAttr) ||
        !regex_match(f[7], kFlag)) {
      ADD_FAILURE() << "malformed line: " << line;
      continue;
    }
    if (f[6][0] == 'd') {
      EXPECT_EQ(f[0].back(), '/') << line;
    }
    rows.push_back({f[0], std::stoll(f[1]), std::stoll(f[2]),
                    uint32_t(std::stoul(f[3], nullptr, 16)), f[7] == "1", "", -1, Seconds(f[5])});
  }
  return rows;
}

// --- The archives ---

using Options = std::vector<std::string>;

std::string Made(const TestFolder& d, std::vector<std::string> argv, const Options& options,
                 const std::vector<std::string>& tail) {
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), tail.begin(), tail.end());
  RunToolOk(argv, d.Path());
  return d / "a.zip";
}
std::string InfoZip(const TestFolder& d, const Options& options) {
  return Made(d, {"zip", "-q", "-r"}, options, {"a.zip", "src"});
}
std::string SevenZip(const TestFolder& d, const Options& options) {
  return Made(d, {"7z", "a", "-tzip", "-bd"}, options, {"a.zip", "src"});
}
std::string Bsdtar(const TestFolder& d, const Options& options) {
  return Made(d, {"bsdtar", "--format", "zip"}, options, {"-cf", "a.zip", "src"});
}

Bytes RandomBytes(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(size);
  for (uint8_t& c : b) c = uint8_t(rng());
  return b;
}

// A set of four 64 KiB volumes; the last (a.zip) holds the directory.
std::string InfoZipSplit(const TestFolder& d, const Options& options) {
  WriteFileBytes(d / "src/big.bin", RandomBytes(150000, 2));
  return InfoZip(d, options);
}

// An archive comment from zip -z and an entry comment written with zipnote.
std::string InfoZipCommented(const TestFolder& d, const Options& options) {
  const std::string zip = InfoZip(d, options);
  RunToolOk({"sh", "-c", "printf 'archive comment\\n' | zip -q -z a.zip"}, d.Path());
  RunToolOk({"sh", "-c", "zipnote a.zip > notes.txt"}, d.Path());
  Bytes notes = ReadFileBytes(d / "notes.txt");
  std::string text(notes.begin(), notes.end());
  const std::string at = "@ src/a.txt\n";
  text.insert(text.find(at) + at.size(), "entry comment of a\n");
  WriteFileText(d / "notes.txt", text);
  RunToolOk({"sh", "-c", "zipnote -w a.zip < notes.txt"}, d.Path());
  return zip;
}

// The Info-ZIP extractor stub in front, offsets corrected by zip -A.
std::string InfoZipSfx(const TestFolder& d, const Options& options) {
  ConcatenateFiles(d / "a.exe", {FindTool("unzipsfx"), InfoZip(d, options)});
  RunToolOk({"zip", "-q", "-A", "a.exe"}, d.Path());
  return d / "a.exe";
}

// An ELF program in front and the archive's offsets left as they were.
std::string DataInFront(const TestFolder& d, const Options& options) {
  ConcatenateFiles(d / "a.bin", {FindTool("zip"), InfoZip(d, options)});
  return d / "a.bin";
}

struct TFamily {
  const char* name;
  std::vector<std::string> tools;  // besides 7z, which reads every archive
  // Makes the archive from the folder "src" in the test folder; answers the file to list.
  std::string (*make)(const TestFolder&, const Options&);
  Options options;
};

void PrintTo(const TFamily& f, std::ostream* os) { *os << f.name; }

const TFamily kFamilies[] = {
    {"InfoZipStored", {"zip"}, InfoZip, {"-0"}},
    {"InfoZipDeflate", {"zip"}, InfoZip, {"-5"}},
    {"InfoZipBzip2", {"zip"}, InfoZip, {"-Z", "bzip2"}},
    {"InfoZipZipCrypto", {"zip"}, InfoZip, {"-P", "secret"}},
    {"InfoZipZip64", {"zip"}, InfoZip, {"-fz"}},
    {"InfoZipSplit", {"zip"}, InfoZipSplit, {"-s", "64k"}},
    {"InfoZipComments", {"zip", "zipnote"}, InfoZipCommented, {}},
    {"InfoZipSfx", {"zip", "unzipsfx"}, InfoZipSfx, {}},
    {"DataInFront", {"zip"}, DataInFront, {}},
    {"SevenZipStored", {}, SevenZip, {"-mx0"}},
    {"SevenZipDeflate", {}, SevenZip, {"-mx5"}},
    {"SevenZipDeflate64", {}, SevenZip, {"-mm=Deflate64"}},
    {"SevenZipBzip2", {}, SevenZip, {"-mm=BZip2"}},
    {"SevenZipLzma", {}, SevenZip, {"-mm=LZMA"}},
    {"SevenZipPpmd", {}, SevenZip, {"-mm=PPMd"}},
    {"SevenZipZipCrypto", {}, SevenZip, {"-mem=ZipCrypto", "-psecret"}},
    {"SevenZipAes256", {}, SevenZip, {"-mem=AES256", "-psecret"}},
    {"SevenZipUtf8Names", {}, SevenZip, {"-mcu=on"}},
    {"BsdtarStored", {"bsdtar"}, Bsdtar, {"--options", "zip:compression=store"}},
    {"BsdtarDeflate", {"bsdtar"}, Bsdtar, {}},
    {"BsdtarAes256",
     {"bsdtar"},
     Bsdtar,
     {"--options", "zip:encryption=aes256", "--passphrase", "secret"}},
};

class ListerParity : public ::testing::TestWithParam<TFamily> {
 protected:
  // Text that compresses, bytes that do not, an empty file, an empty folder and names
  // beyond ASCII (written as UTF-8, as Linux tools take them).
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "src/text");
    std::filesystem::create_directories(dir_ / "src/empty");
    std::filesystem::create_directories(dir_ / "src/gr\xC3\xBC\xC3\x9F");
    WriteFileText(dir_ / "src/a.txt", "hello\n");
    WriteFileText(dir_ / "src/empty.txt", "");
    std::string lorem;
    for (int i = 0; i < 200; ++i) lorem += "line " + std::to_string(i % 17) + " of some text\n";
    WriteFileText(dir_ / "src/text/lorem.txt", lorem);
    WriteFileText(dir_ / "src/text/na\xC3\xAFve \xE2\x82\xAC.txt", "euro\n");
    WriteFileBytes(dir_ / "src/gr\xC3\xBC\xC3\x9F/data.bin", RandomBytes(3000, 1));
  }

  TestFolder dir_;
};

TEST_P(ListerParity, EntriesEqualSevenZipListing) {
  VK_REQUIRE_TOOL("7z");
  for (const std::string& tool : GetParam().tools) VK_REQUIRE_TOOL(tool);
  const std::string archive = GetParam().make(dir_, GetParam().options);
  ASSERT_FALSE(HasFailure()) << "could not make the archive";

  std::vector<TRow> peer = PeerRows(archive);
  ASSERT_GE(peer.size(), 8u) << "7z listed too little";
  EXPECT_EQ(LibraryRows(archive), peer);

  const std::vector<TRow> cli = CliRows(archive);
  for (TRow& r : peer) {  // the tab-separated form has neither comments nor offsets
    r.comment.clear();
    r.offset = -1;
  }
  EXPECT_EQ(cli, peer);
  for (size_t i = 0; i < std::min(cli.size(), peer.size()); ++i)
    EXPECT_NEAR(double(cli[i].time), double(peer[i].time), 2.0) << peer[i].name;
}

INSTANTIATE_TEST_SUITE_P(Peers, ListerParity, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qel::test
