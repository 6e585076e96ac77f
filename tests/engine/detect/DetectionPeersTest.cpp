// Detection over archives made at test time by other programs: each case makes its
// archive with the peer tools, detects it through a component, asks `file` for a second
// opinion, and then feeds cut and damaged copies of it to detection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "platform/FakeDrives.h"
#include "tests/support/DetectHelpers.h"
#include "tests/support/PeerTools.h"

namespace qel {
namespace {

using test::Bytes;
using test::RunToolOk;
using test::TDetected;
using test::TestFolder;

// Expected HeaderOffset values that are not plain numbers.
constexpr int64_t kAnyOffset = INT64_MIN;
// Where the central directory starts, worked out here from the records at the end.
constexpr int64_t kCentralDir = INT64_MIN + 1;

struct TPeerCase {
  std::string name;
  std::vector<std::string> tools;
  // Makes the archive in the test folder, from the sample files.
  std::function<void(const TestFolder&)> make;
  std::string file;  // the file detection looks at
  TArcType type = atNA;
  int64_t headerOffset = kAnyOffset;
  uint8_t headFlag = 0;  // the exact HeadFlag byte
  int64_t offsetAdjust = 0;
  std::string adjustIsSizeOf;          // OffsetAdjust is the size of this program
  std::string fileSays;                // part of `file -b`'s description
  bool viaCli = false;                 // also compared with vorelkit-cli's output
  std::vector<TArcType> alsoAccepted;  // where the rules allow more than one outcome

  TPeerCase& Adjust(int64_t v) {
    offsetAdjust = v;
    return *this;
  }
  TPeerCase& AdjustIsSizeOf(std::string tool) {
    adjustIsSizeOf = std::move(tool);
    return *this;
  }
  TPeerCase& Says(std::string what) {
    fileSays = std::move(what);
    return *this;
  }
  TPeerCase& ViaCli() {
    viaCli = true;
    return *this;
  }
  TPeerCase& OrElse(std::vector<TArcType> types) {
    alsoAccepted = std::move(types);
    return *this;
  }
};

TPeerCase Case(std::string name, std::vector<std::string> tools,
               std::function<void(const TestFolder&)> make, std::string file, TArcType type,
               int64_t headerOffset, uint8_t headFlag = 0) {
  TPeerCase c;
  c.name = std::move(name);
  c.tools = std::move(tools);
  c.make = std::move(make);
  c.file = std::move(file);
  c.type = type;
  c.headerOffset = headerOffset;
  c.headFlag = headFlag;
  return c;
}

void WriteSamples(const TestFolder& dir) {
  test::WriteFileText(dir / "a.txt", "hello world\n");
  std::string lines;
  for (int i = 1; i <= 30000; ++i) lines += std::to_string(i) + " bottles\n";
  test::WriteFileText(dir / "b.txt", lines);
  // Incompressible, so that a split set gets several volumes.
  Bytes noise(200000);
  std::mt19937 rng(7);
  for (uint8_t& b : noise) b = uint8_t(rng());
  test::WriteFileBytes(dir / "r.bin", noise);
}

// The position of the first central header, from the end of the file: the end record (no
// comment, as the tools here write it) or the Zip64 end record right before its locator
// tells how long the directory is, and it ends where those records begin.
int64_t CentralDirFromTail(const Bytes& b) {
  if (b.size() < 22) return -1;
  const size_t end = b.size() - 22;
  if (GetU32(&b[end]) != 0x06054B50) return -1;
  if (end >= 20 + 56 && GetU32(&b[end - 20]) == 0x07064B50) {
    const size_t end64 = end - 20 - 56;
    if (GetU32(&b[end64]) != 0x06064B50) return -1;
    return int64_t(end64) - int64_t(GetU64(&b[end64 + 40]));
  }
  return int64_t(end) - int64_t(GetU32(&b[end + 12]));
}

void Zip(const TestFolder& d, std::vector<std::string> args) {
  args.insert(args.begin(), {"zip", "-q", "-X"});
  RunToolOk(args, d.Path());
}

void ZipAB(const TestFolder& d, const std::string& archive) { Zip(d, {archive, "a.txt", "b.txt"}); }

void Tar(const TestFolder& d, const std::string& format) {
  RunToolOk({"tar", "--format=" + format, "-cf", "t.tar", "a.txt", "b.txt"}, d.Path());
}

void Bsdtar(const TestFolder& d, const std::string& format) {
  RunToolOk({"bsdtar", "--format=" + format, "-cf", "t.tar", "a.txt", "b.txt"}, d.Path());
}

void MakeUnzipSfx(const TestFolder& d, bool adjust) {
  ZipAB(d, "a.zip");
  test::ConcatenateFiles(d / "sfx", {test::FindTool("unzipsfx"), d / "a.zip"});
  if (adjust) Zip(d, {"-A", "sfx"});
}

const std::vector<TPeerCase>& Cases() {
  using D = const TestFolder&;
  static const std::vector<TPeerCase> kCases = {
      // --- zip ---
      Case(
          "ZipPlain", {"zip"}, [](D d) { ZipAB(d, "a.zip"); }, "a.zip", atZip, kCentralDir, 0x07)
          .Says("Zip archive data")
          .ViaCli(),
      Case(
          "ZipBehindZeros", {"zip"},
          [](D d) {
            ZipAB(d, "a.zip");
            test::WriteZeroFile(d / "zeros", 1000);
            test::ConcatenateFiles(d / "front.zip", {d / "zeros", d / "a.zip"});
          },
          "front.zip", atZip, kCentralDir, 0x07)
          .Adjust(1000)
          .ViaCli(),
      Case(
          "ZipNamedJar", {"zip"}, [](D d) { ZipAB(d, "a.jar"); }, "a.jar", atJar, kCentralDir, 0x07)
          .Says("Zip archive data"),
      // The first volume of a split set starts with the span marker.
      Case(
          "ZipSplitFirstVolume", {"zip"},
          [](D d) {
            Zip(d, {"-s", "64k", "s.zip", "a.txt", "b.txt", "r.bin"});
          },
          "s.z01", atZipMV, 0, 0x01)
          .Says("Zip multi-volume archive data"),
      // The last volume holds the end record, whose disk number is not 0; the local headers
      // are on other volumes.
      Case(
          "ZipSplitLastVolume", {"zip"},
          [](D d) {
            Zip(d, {"-s", "64k", "s.zip", "a.txt", "b.txt", "r.bin"});
          },
          "s.zip", atZipMV, kCentralDir, 0x06),
      Case(
          "Zip64", {"zip"},
          [](D d) {
            Zip(d, {"-fz", "z.zip", "a.txt", "b.txt"});
          },
          "z.zip", atZip, kCentralDir, 0x1F)
          .Says("Zip archive data"),
      Case(
          "Zip64BehindZeros", {"zip"},
          [](D d) {
            Zip(d, {"-fz", "z.zip", "a.txt", "b.txt"});
            test::WriteZeroFile(d / "zeros", 1000);
            test::ConcatenateFiles(d / "front.zip", {d / "zeros", d / "z.zip"});
          },
          "front.zip", atZip, kCentralDir, 0x1F)
          .Adjust(1000),
      // Nothing is recognised at the start, so the Zip64 locator's disk count decides: the
      // 1 that zip writes means one disk.
      Case(
          "Zip64BehindText", {"zip"},
          [](D d) {
            Zip(d, {"-fz", "z.zip", "a.txt", "b.txt"});
            test::WriteFileText(d / "text", "Read me first.\n");
            test::ConcatenateFiles(d / "front.zip", {d / "text", d / "z.zip"});
          },
          "front.zip", atZip, kCentralDir, 0x1F)
          .Adjust(15),
      Case(
          "ZipBehindUnzipsfxAdjusted", {"zip", "unzipsfx"}, [](D d) { MakeUnzipSfx(d, true); },
          "sfx", atZipExe, kCentralDir, 0x27)
          .Says("ELF")
          .ViaCli(),
      Case(
          "ZipBehindUnzipsfx", {"zip", "unzipsfx"}, [](D d) { MakeUnzipSfx(d, false); }, "sfx",
          atZipExe, kCentralDir, 0x27)
          .AdjustIsSizeOf("unzipsfx"),
      // Only atZip turns into atJar.
      Case(
          "ZipBehindUnzipsfxNamedJar", {"zip", "unzipsfx"},
          [](D d) {
            MakeUnzipSfx(d, true);
            test::ConcatenateFiles(d / "sfx.jar", {d / "sfx"});
          },
          "sfx.jar", atZipExe, kCentralDir, 0x27),
      // --- 7z ---
      Case(
          "SevenZip", {"7z"},
          [](D d) {
            RunToolOk({"7z", "a", "-bd", "x.7z", "a.txt", "b.txt"}, d.Path());
          },
          "x.7z", at7Zip, 0)
          .Says("7-zip archive data")
          .ViaCli(),
      Case(
          "SevenZipWritingZip", {"7z"},
          [](D d) {
            RunToolOk({"7z", "a", "-bd", "-tzip", "x.zip", "a.txt", "b.txt"}, d.Path());
          },
          "x.zip", atZip, kCentralDir, 0x07)
          .Says("Zip archive data"),
      Case(
          "SevenZipVolumes", {"7z"},
          [](D d) {
            RunToolOk({"7z", "a", "-bd", "-v100k", "v.7z", "r.bin", "b.txt"}, d.Path());
          },
          "v.7z.001", at7Zip, 0)
          .Says("7-zip archive data"),
      // The 7z console self-extractor is an ELF program with the archive behind it. No rule
      // looks for a 7z signature inside a program, so nothing is recognised (atNA with the
      // p7zip of Debian 12); a stray signature in the program could give another unusable
      // type, but never a readable kind other than the 7z it is.
      Case(
          "SevenZipSelfExtractor", {"7z"},
          [](D d) {
            RunToolOk({"7z", "a", "-bd", "-sfx7zCon.sfx", "x.sfx", "a.txt", "b.txt"}, d.Path());
          },
          "x.sfx", atNA, kAnyOffset, 0x20)
          .Says("ELF")
          .OrElse({atUnsupported, at7Zip}),
      // --- tar ---
      Case(
          "BsdtarUstar", {"bsdtar"}, [](D d) { Bsdtar(d, "ustar"); }, "t.tar", atTar, 0)
          .Says("POSIX tar archive"),
      Case(
          "BsdtarPax", {"bsdtar"}, [](D d) { Bsdtar(d, "pax"); }, "t.tar", atTar, 0)
          .Says("POSIX tar archive"),
      Case(
          "GnuTarUstar", {"tar"}, [](D d) { Tar(d, "ustar"); }, "t.tar", atTar, 0)
          .Says("POSIX tar archive"),
      Case(
          "GnuTarGnu", {"tar"}, [](D d) { Tar(d, "gnu"); }, "t.tar", atTar, 0)
          .Says("POSIX tar archive (GNU)"),
      Case(
          "GnuTarPax", {"tar"}, [](D d) { Tar(d, "pax"); }, "t.tar", atTar, 0)
          .Says("POSIX tar archive"),
      Case(
          "GnuTarV7", {"tar"}, [](D d) { Tar(d, "v7"); }, "t.tar", atTar, 0)
          .Says("tar archive"),
      // The volume label comes first; reading starts at the member behind it.
      Case(
          "GnuTarVolumeLabel", {"tar"},
          [](D d) {
            RunToolOk({"tar", "--label=VOL", "-cf", "t.tar", "a.txt"}, d.Path());
          },
          "t.tar", atTar, 512)
          .Says("tar archive")
          .ViaCli(),
      // --- single-file compressors ---
      Case(
          "Gzip", {"gzip"},
          [](D d) {
            RunToolOk({"gzip", "-k", "b.txt"}, d.Path());
          },
          "b.txt.gz", atGZip, 0)
          .Says("gzip compressed data")
          .ViaCli(),
      Case(
          "Bzip2", {"bzip2"},
          [](D d) {
            RunToolOk({"bzip2", "-k", "b.txt"}, d.Path());
          },
          "b.txt.bz2", atBz2, 0)
          .Says("bzip2 compressed data"),
      // An empty stream is 14 bytes: a BZIP2 file all the same, of no data.
      Case(
          "Bzip2Empty", {"bzip2"},
          [](D d) {
            test::WriteFileText(d / "e", "");
            RunToolOk({"bzip2", "e"}, d.Path());
          },
          "e.bz2", atBz2, 0)
          .Says("bzip2 compressed data"),
      // Two empty streams (bzip2 reads concatenated streams as one file): no block, only
      // the end-of-stream magic behind the header.
      Case(
          "Bzip2TwoEmptyStreams", {"bzip2"},
          [](D d) {
            test::WriteFileText(d / "e", "");
            RunToolOk({"bzip2", "e"}, d.Path());
            test::ConcatenateFiles(d / "ee.bz2", {d / "e.bz2", d / "e.bz2"});
            RunToolOk({"bzip2", "-t", "ee.bz2"}, d.Path());
          },
          "ee.bz2", atBz2, 0)
          .Says("bzip2 compressed data"),
      Case(
          "Compress", {"compress"},
          [](D d) {
            test::ConcatenateFiles(d / "c.txt", {d / "b.txt"});
            RunToolOk({"compress", "-f", "c.txt"}, d.Path());
          },
          "c.txt.Z", atGZip, 0)
          .Says("compress'd data"),
      // --- archivers of other formats ---
      Case(
          "GcabStored", {"gcab"},
          [](D d) {
            RunToolOk({"gcab", "-c", "x.cab", "a.txt", "b.txt"}, d.Path());
          },
          "x.cab", atCab, 0)
          .Says("Microsoft Cabinet archive data"),
      Case(
          "GcabMsZip", {"gcab"},
          [](D d) {
            RunToolOk({"gcab", "-cz", "x.cab", "a.txt", "b.txt"}, d.Path());
          },
          "x.cab", atCab, 0)
          .Says("Microsoft Cabinet archive data"),
      Case(
          "Arj", {"arj"},
          [](D d) {
            RunToolOk({"arj", "a", "x.arj", "a.txt", "b.txt"}, d.Path());
          },
          "x.arj", atArj, 0)
          .Says("ARJ archive data"),
      Case(
          "Arc", {"arc"},
          [](D d) {
            RunToolOk({"arc", "a", "x.arc", "a.txt", "b.txt"}, d.Path());
          },
          "x.arc", atArc, 0)
          .Says("ARC archive data"),
      // jlha is the lha that writes; plain "lha" may be lhasa, which only reads.
      Case(
          "Lha", {"jlha"},
          [](D d) {
            RunToolOk({"jlha", "a", "x.lzh", "a.txt", "b.txt"}, d.Path());
          },
          "x.lzh", atLha, 0)
          .Says("LHarc"),
      // --- text encodings ---
      Case(
          "Uuencode", {"uuencode"},
          [](D d) {
            test::ToolRun run = test::RunTool({"uuencode", "a.txt", "a.txt"}, d.Path());
            ASSERT_TRUE(run.Ok()) << run.err;
            test::WriteFileText(d / "x.uue", run.out);
          },
          "x.uue", atUUE, 0)
          .Says("uuencoded"),
      // mpack writes "Content-Transfer-Encoding: base64" (the header name in mixed case, the
      // value in lower case) after the mail headers and a preamble.
      Case(
          "Mpack", {"mpack"},
          [](D d) {
            RunToolOk({"mpack", "-s", "sample", "-o", "x.mim", "a.txt"}, d.Path());
            Bytes b = test::ReadFileBytes(d / "x.mim");
            EXPECT_NE(std::string(b.begin(), b.end()).find("\nContent-Transfer-Encoding: base64\n"),
                      std::string::npos);
          },
          "x.mim", atB64, 0),
  };
  return kCases;
}

class DetectionPeers : public ::testing::TestWithParam<TPeerCase> {};

std::string Hex2(uint8_t v) {
  char s[3];
  std::snprintf(s, sizeof s, "%02X", unsigned(v));
  return s;
}

// Detection must not crash, hang or read out of bounds on any cut or damaged copy (the
// sanitizers watch the reads), and whatever it answers stays inside the file.
void DetectDamagedCopies(const Bytes& original) {
  const size_t size = original.size();
  auto check = [](const Bytes& b, const char* what, size_t n) {
    TDetected d = test::DetectBytes(b, "x");
    // The ARC self-extractor signature names a fixed position, whatever the file's size.
    if (d.HeaderOffset != 7716) {
      EXPECT_LT(d.HeaderOffset, int64_t(std::max<size_t>(b.size(), 1)))
          << what << " " << n << ": " << ArcTypeName(d.Type);
    }
    EXPECT_GE(d.HeaderOffset, -1) << what << " " << n;
  };
  std::vector<size_t> cuts;
  for (size_t n = 0; n < std::min<size_t>(size, 100); ++n) cuts.push_back(n);
  for (size_t n = 1; n < std::min<size_t>(size, 40); ++n) cuts.push_back(size - n);
  for (size_t i = 1; i < 40; ++i) cuts.push_back(size * i / 40);
  for (size_t n : cuts)
    check(Bytes(original.begin(), original.begin() + std::ptrdiff_t(n)), "cut at", n);

  // Overwrites in the places detection reads: the start and the tail with the end records.
  std::mt19937 rng(size);
  const size_t tail = std::min<size_t>(size, 200);
  for (size_t round = 0; round < 100; ++round) {
    Bytes b = original;
    for (int k = 0; k < 1 + int(round % 4); ++k) {
      size_t at = round % 2 ? size - 1 - rng() % tail : rng() % std::min<size_t>(size, 600);
      b[at] = uint8_t(rng());
    }
    check(b, "damage round", round);
  }
}

TEST_P(DetectionPeers, Detects) {
  const TPeerCase& c = GetParam();
  for (const std::string& tool : c.tools) VK_REQUIRE_TOOL(tool);
  if (!c.fileSays.empty()) VK_REQUIRE_TOOL("file");
  TestFolder dir;
  WriteSamples(dir);
  c.make(dir);
  if (HasFailure()) return;
  const std::string path = dir / c.file;

  // A fixed disk, so that split sets are told apart the same way on every machine.
  platform::FakeDrives drives;
  platform::DriveInfo fixed;
  fixed.Type = platform::DriveType::Fixed;
  fixed.TotalBytes = int64_t(1) << 40;
  drives.Add(dir.Path(), fixed);
  const TDetected d = test::DetectFile(path, &drives);
  const Bytes bytes = test::ReadFileBytes(path);

  if (c.alsoAccepted.empty()) {
    EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(c.type));
  } else {
    std::vector<TArcType> accepted = c.alsoAccepted;
    accepted.push_back(c.type);
    EXPECT_NE(std::find(accepted.begin(), accepted.end(), d.Type), accepted.end())
        << ArcTypeName(d.Type);
    RecordProperty("detected", std::string(ArcTypeName(d.Type)));
  }
  if (c.headerOffset == kCentralDir) {
    EXPECT_EQ(d.HeaderOffset, CentralDirFromTail(bytes));
  } else if (c.headerOffset != kAnyOffset) {
    EXPECT_EQ(d.HeaderOffset, c.headerOffset);
  }
  int64_t adjust = c.offsetAdjust;
  if (!c.adjustIsSizeOf.empty())
    adjust = int64_t(test::ReadFileBytes(test::FindTool(c.adjustIsSizeOf)).size());
  EXPECT_EQ(d.OffsetAdjust, adjust);
  EXPECT_EQ(Hex2(d.HeadFlag), Hex2(c.headFlag));
  EXPECT_EQ(d.ArchiveSize, int64_t(bytes.size()));

  if (!c.fileSays.empty()) {
    test::ToolRun file = test::RunTool({"file", "-b", path});
    EXPECT_NE(file.out.find(c.fileSays), std::string::npos) << "file -b says: " << file.out;
  }

  if (c.viaCli) {
    // The program runs with the machine's own drive layer, as the component does by default.
    const TDetected own = test::DetectFile(path);
    test::ToolRun cli = test::RunTool({VK_CLI_PATH, "type", c.file}, dir.Path());
    EXPECT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(cli.out, c.file + "\t" + std::string(ArcTypeName(own.Type)) + "\t" +
                           std::to_string(own.HeaderOffset) + "\t" +
                           std::to_string(own.OffsetAdjust) + "\t" + Hex2(own.HeadFlag) + "\n");
    EXPECT_EQ(ArcTypeName(own.Type), ArcTypeName(d.Type));
  }

  DetectDamagedCopies(bytes);
}

// Archivers' own programs hold archive signatures as constants; they are no archives.
TEST(DetectionPeersPrograms, ArchiversAreNotArchives) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  std::vector<std::string> programs;
  for (const char* tool : {"zip", "unzip", "unzipsfx", "zipnote", "funzip", "arj", "arc"}) {
    std::string path = test::FindTool(tool);
    if (!path.empty()) programs.push_back(path);
  }
  programs.push_back("/usr/lib/p7zip/7zCon.sfx");
  for (const std::string& program : programs) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(program, ec)) continue;
    TDetected d = test::DetectFile(program);
    EXPECT_TRUE(IsNotArchive(d.Type)) << program << ": " << ArcTypeName(d.Type);
    EXPECT_TRUE(d.HeadFlag & 0x20) << program;
  }
}

INSTANTIATE_TEST_SUITE_P(Peers, DetectionPeers, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<TPeerCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace qel
