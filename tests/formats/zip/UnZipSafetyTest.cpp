// The ZIP reader end to end against hostile archives: stored names that try to leave the
// target folder, links planted in it, and an entry that expands a few megabytes into
// gigabytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/base/Messages.h"
#include "formats/zip/UnZip.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::string& path) {
  Bytes b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

struct Reader {
  explicit Reader(const std::string& archive) {
    zip.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                         int code) { codes.push_back(code); };
    zip.SetArchiveFile(archive);
  }
  int Count(int code) const { return int(std::count(codes.begin(), codes.end(), code)); }
  TUnZip zip;
  std::vector<int> codes;
};

struct NameCase {
  std::string stored;
  std::string withDirs;  // where it lands, relative to the target; "" when refused
  std::string flat;      // the same without stored folders
};

std::vector<NameCase> NameCases() {
  return {
      {"../../x1", "x1", "x1"},
      {"/abs/x2", "abs/x2", "x2"},
      {"a/../../x3", "a/x3", "x3"},
      {"C:\\x4", "x4", "x4"},
      {"C:/x5", "x5", "x5"},
      {std::string("n\0ul6", 5), "nul6", "nul6"},
      {std::string("c\x01t\x1fl\x7f") + "7", "ctl7", "ctl7"},
      {"\\..\\..\\x8", "x8", "x8"},
      {"d\\e\\x9", "d/e/x9", "x9"},
      {"..", "", ""},
      {".", "", ""},
      {"a/..", "", ""},
      {"C:", "", ""},  // nothing left of these: refused, not skipped without a word
      {"\x01", "", ""},
      {"../../dir1/", "dir1", ""},  // a folder entry: made only when stored folders are
  };
}

TEST(UnZipPathSafety, OutputStaysBelowTheTarget) {
  const std::vector<NameCase> cases = NameCases();
  std::vector<ZipEntry> entries;
  for (size_t i = 0; i < cases.size(); ++i)
    entries.push_back({cases[i].stored, cases[i].stored.back() == '/' ? "" : std::to_string(i)});
  TestFolder dir;
  WriteFileBytes(dir / "names.zip", BuildStoredZip(entries).bytes);

  for (bool useDirs : {true, false}) {
    for (bool createDirs : {true, false}) {
      SCOPED_TRACE(std::string("stored folders ") + (useDirs ? "used" : "dropped") +
                   (createDirs ? ", created" : ", not created"));
      // Deep enough that "../../" from the target still lies in the scratch folder.
      const std::string root = dir / ("run" + std::to_string(useDirs * 2 + createDirs));
      fs::create_directories(root + "/outside");
      fs::create_directories(root + "/p/target");
      Reader r(dir / "names.zip");
      r.zip.UseStoredDirs = useDirs;
      r.zip.CreateStoredDirs = createDirs;
      r.zip.SetExtractDir(root + "/p/target");
      r.zip.Extract();

      std::set<std::string> expected = {"outside", "p", "p/target"};
      int refused = 0;
      for (size_t i = 0; i < cases.size(); ++i) {
        std::string rel = useDirs ? cases[i].withDirs : cases[i].flat;
        const bool folder = cases[i].stored.back() == '/';
        if (rel.empty() && !folder) ++refused;
        if (rel.empty() || (folder && !createDirs)) continue;
        if (!folder) {
          EXPECT_EQ(Text(root + "/p/target/" + rel), std::to_string(i));
        }
        for (fs::path p = rel; !p.empty(); p = p.parent_path())
          expected.insert("p/target/" + p.string());
      }
      EXPECT_EQ(PathsBelow(root), expected);
      EXPECT_EQ(r.Count(msg::InvalidFileName), refused);
    }
  }
}

// The version-made-by and external attributes of central header `index`, which start
// 4 and 38 bytes into it.
void SetMadeOnUnix(ZipImage& img, size_t index, uint16_t mode) {
  int64_t pos = img.centralPos;
  auto u16 = [&](int64_t at) { return img.bytes[size_t(at)] | img.bytes[size_t(at) + 1] << 8; };
  for (size_t i = 0; i < index; ++i) pos += 46 + u16(pos + 28) + u16(pos + 30) + u16(pos + 32);
  img.bytes[size_t(pos) + 4] = 20;
  img.bytes[size_t(pos) + 5] = 3;  // Unix
  PatchU32(img.bytes, pos + 38, uint32_t(mode) << 16);
}

TEST(UnZipPathSafety, LinksAreNeitherFollowedNorMade) {
  TestFolder dir;
  const std::string outside = dir / "outside";
  ZipImage img = BuildStoredZip({{"link", "new"},
                                 {"dirlink/f", "through a link"},
                                 {"made", outside},
                                 {"made/g", "through an entry"}});
  SetMadeOnUnix(img, 2, 0120777);  // "made" claims to be a link to the outside folder
  WriteFileBytes(dir / "links.zip", img.bytes);
  fs::create_directories(outside);
  WriteFileText(outside + "/secret", "secret");

  for (bool createDirs : {true, false}) {
    SCOPED_TRACE(createDirs ? "folders created" : "folders not created");
    const std::string target = dir / (createDirs ? "target1" : "target0");
    fs::create_directories(target);
    fs::create_symlink(outside + "/secret", target + "/link");
    fs::create_symlink(outside, target + "/dirlink");
    Reader r(dir / "links.zip");
    r.zip.CreateStoredDirs = createDirs;
    r.zip.SetExtractDir(target);
    r.zip.Extract();

    EXPECT_EQ(PathsBelow(outside), std::set<std::string>{"secret"});
    EXPECT_EQ(Text(outside + "/secret"), "secret");
    EXPECT_EQ(PathsBelow(target), (std::set<std::string>{"link", "dirlink", "made"}));
    EXPECT_FALSE(fs::is_symlink(target + "/link"));
    EXPECT_EQ(Text(target + "/link"), "new");
    EXPECT_FALSE(fs::is_symlink(target + "/made"));
    EXPECT_TRUE(fs::is_regular_file(target + "/made"));
    EXPECT_EQ(r.Count(msg::ErrorCreatingDir), 2);
  }
}

// An archive whose one Deflate entry decodes to `mib` MiB of zeros, sizes in a Zip64 field.
// One MiB is compressed once and its stream repeated: flushed to a byte boundary and never
// ended, the stream of a fresh compressor refers back to nothing before its own start.
Bytes ZeroBomb(uint64_t mib) {
  const std::vector<uint8_t> zeros(1 << 20);
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::vector<uint8_t> piece(deflateBound(&z, zeros.size()) + 16);
  z.next_in = const_cast<Bytef*>(zeros.data());
  z.avail_in = uInt(zeros.size());
  z.next_out = piece.data();
  z.avail_out = uInt(piece.size());
  deflate(&z, Z_SYNC_FLUSH);
  piece.resize(z.total_out);
  deflateEnd(&z);

  Bytes data;
  uLong crc = crc32(0, zeros.data(), uInt(zeros.size()));
  const uLong pieceCrc = crc;
  for (uint64_t i = 0; i < mib; ++i) data.insert(data.end(), piece.begin(), piece.end());
  for (uint64_t i = 1; i < mib; ++i) crc = crc32_combine64(crc, pieceCrc, z_off64_t(zeros.size()));
  data.push_back(0x03);  // a final fixed-code block holding only its end code
  data.push_back(0x00);

  const uint64_t size = mib << 20;
  const std::string name = "zeros.bin";
  Bytes zip64;
  Put16(zip64, 0x0001);
  Put16(zip64, 16);
  Put64(zip64, size);
  Put64(zip64, data.size());
  auto common = [&](Bytes& b) {
    Put16(b, 45);  // version needed
    Put16(b, 0);   // flags
    Put16(b, 8);   // Deflate
    Put32(b, 0x58A96000);
    Put32(b, crc);
    Put32(b, 0xFFFFFFFF);
    Put32(b, 0xFFFFFFFF);
    Put16(b, name.size());
    Put16(b, zip64.size());
  };
  Bytes b;
  Put32(b, 0x04034B50);
  common(b);
  Append(b, name);
  b.insert(b.end(), zip64.begin(), zip64.end());
  b.insert(b.end(), data.begin(), data.end());
  const uint64_t central = b.size();
  Put32(b, 0x02014B50);
  Put16(b, 45);  // version made by
  common(b);
  Put16(b, 0);  // comment
  Put16(b, 0);  // disk
  Put16(b, 0);  // internal attributes
  Put32(b, 0);  // external attributes
  Put32(b, 0);  // local header offset
  Append(b, name);
  b.insert(b.end(), zip64.begin(), zip64.end());
  const uint64_t centralSize = b.size() - central;
  Put32(b, 0x06054B50);
  Put32(b, 0);
  Put16(b, 1);
  Put16(b, 1);
  Put32(b, centralSize);
  Put32(b, central);
  Put16(b, 0);
  return b;
}

// Runs the command-line program on `args` under time(1): its exit code and its peak
// resident size in KiB. The temporary folder is `tmp`.
std::pair<int, long> RunMeasured(const std::vector<std::string>& args, const std::string& cwd,
                                 const std::string& tmp, std::string& output) {
  std::vector<std::string> argv = {"env", "TMPDIR=" + tmp, "time", "-f", "%M", VK_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  ToolRun run = RunTool(argv, cwd);
  output = run.out + run.err;
  const size_t last = run.err.find_last_not_of('\n');
  const size_t start = run.err.find_last_of('\n', last);
  const std::string peak = run.err.substr(start == std::string::npos ? 0 : start + 1);
  return {run.status, std::atol(peak.c_str())};
}

// Well above what a streaming decoder needs, even with the sanitizers' own overhead; far
// below what holding the output would take.
constexpr long kPeakLimitKiB = 200 * 1024;
// Just over 4 GiB: the sizes need the Zip64 field, and 32-bit counters would wrap.
constexpr uint64_t kBombMiB = 4096 + 64;

TEST(UnZipBomb, TestsInBoundedMemoryWritingNothing) {
  VK_REQUIRE_TOOL("time");
  TestFolder dir;
  fs::create_directories(dir / "tmp");
  WriteFileBytes(dir / "bomb.zip", ZeroBomb(kBombMiB));
  const std::set<std::string> before = PathsBelow(dir.Path());

  std::string output;
  auto [status, peak] = RunMeasured({"test", "bomb.zip"}, dir.Path(), dir / "tmp", output);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("1 entry tested, 0 failed"), std::string::npos) << output;
  EXPECT_GT(peak, 0) << output;
  EXPECT_LT(peak, kPeakLimitKiB);
  EXPECT_EQ(PathsBelow(dir.Path()), before);
}

// Like other tools, extraction keeps what a damaged entry decoded, for what can be saved of
// it; the verdict says it failed.
TEST(UnZipBomb, ADamagedBombFailsInBoundedMemory) {
  VK_REQUIRE_TOOL("time");
  TestFolder dir;
  fs::create_directories(dir / "tmp");
  fs::create_directories(dir / "out");
  Bytes bomb = ZeroBomb(256);
  // One bit of the stored CRC, in the local header and again in the central one (its
  // complement would pass).
  const size_t central = bomb.size() - 22 - (46 + 9 + 20);
  bomb[14] ^= 1;
  bomb[central + 16] ^= 1;
  WriteFileBytes(dir / "bad.zip", bomb);

  std::string output;
  auto [status, peak] =
      RunMeasured({"extract", "bad.zip", "-o", "out"}, dir.Path(), dir / "tmp", output);
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find(MessageText(msg::CrcCheckFailed)), std::string::npos) << output;
  EXPECT_LT(peak, kPeakLimitKiB);
  EXPECT_TRUE(fs::is_empty(dir / "out"));  // output that failed is not kept
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

}  // namespace
}  // namespace qel::test
