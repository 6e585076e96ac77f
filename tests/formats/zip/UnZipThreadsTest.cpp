// Extraction with entries decoded ahead on other threads must be indistinguishable from one
// thread: the same files, times and modes, the same verdicts, and every event and question
// in the same order, on archives other tools made, damaged ones included.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "formats/zip/UnZip.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// Many small files (decoded ahead), an empty one, and one too large to be taken ahead.
void MakeTree(const TestFolder& dir) {
  std::mt19937 gen(5);
  for (int i = 0; i < 40; ++i) {
    const std::string folder = "in/d" + std::to_string(i % 4);
    fs::create_directories(dir / folder);
    std::string text;
    for (int line = 0; line < 50 + i * 37; ++line)
      text += "row " + std::to_string(gen() % 997) + "\n";
    WriteFileText(dir / (folder + "/f" + std::to_string(i) + ".txt"), text);
  }
  WriteFileText(dir / "in/empty", "");
  Bytes big(5 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i % 251 < 200 ? i % 7 : gen());
  WriteFileBytes(dir / "in/big.bin", big);
  ASSERT_TRUE(
      RunToolOk({"sh", "-c", "chmod 640 in/d1/f5.txt && chmod 755 in/d2/f6.txt"}, dir.Path()));
}

// What one run did: its events in order, and the tree it left.
std::vector<std::string> RunLogged(const std::string& archive, const std::string& out, int threads,
                                   bool test) {
  std::vector<std::string> log;
  // Names below the output folder, which differs between the runs.
  const auto below = [&out](const WideString& name) {
    return name.rfind(out, 0) == 0 ? name.substr(out.size()) : name;
  };
  TUnZip zip;
  zip.Threads = threads;
  zip.OnBegin = [&](TZipCommon&, const WideString& name, int, bool&) {
    log.push_back("begin " + below(name));
  };
  zip.OnEnd = [&](TZipCommon&, const WideString& name, bool pass) {
    log.push_back("end " + below(name) + (pass ? " ok" : " failed"));
  };
  zip.OnError = [&](TZipCommon&, const WideString& name, const WideString&, const WideString&,
                    int code) {
    log.push_back("error " + below(name) + " " + std::to_string(code));
  };
  // Every other question is answered "skip".
  int asked = 0;
  zip.OnFileExists = [&](TZipCommon&, const WideString& name, WideString&, TOverwriteMode& mode) {
    log.push_back("exists " + below(name));
    mode = ++asked % 2 ? TOverwriteMode::omOverwrite : TOverwriteMode::omSkip;
  };
  zip.SetArchiveFile(archive);
  if (test) {
    zip.Test();
    return log;
  }
  zip.SetExtractDir(out);
  zip.CreateStoredDirs = true;
  zip.Extract();
  std::vector<std::string> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(out)) {
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    std::string line = "file " + fs::relative(e.path(), out).string() + " mode " +
                       std::to_string(st.st_mode) + " time " + std::to_string(st.st_mtime);
    if (S_ISREG(st.st_mode)) {
      const Bytes data = ReadFileBytes(e.path());
      line += " crc " + std::to_string(Crc32(0, data.data(), data.size()));
    }
    files.push_back(line);
  }
  std::sort(files.begin(), files.end());
  log.insert(log.end(), files.begin(), files.end());
  return log;
}

TEST(UnZipThreads, DecodingAheadChangesNothingButTheTime) {
  // Each makes a.zip from in/.
  const std::string cases[] = {
      "cd in && zip -q -r -6 ../a.zip .",
      "cd in && zip -q -r -0 ../a.zip .",
      "cd in && 7z a -bd -tzip ../a.zip . >/dev/null",
      "cd in && bsdtar --format zip -cf ../a.zip .",
  };
  for (const char* tool : {"zip", "7z", "bsdtar"}) VK_REQUIRE_TOOL(tool);
  for (const std::string& command : cases) {
    SCOPED_TRACE(command);
    for (bool damaged : {false, true}) {
      TestFolder dir;
      MakeTree(dir);
      ASSERT_TRUE(RunToolOk({"sh", "-c", command}, dir.Path()));
      if (damaged) {
        // A byte in the data of a small entry (decoded ahead) and one somewhere else.
        Bytes zip = ReadFileBytes(dir / "a.zip");
        const std::string name = "d1/f13.txt";
        const auto local = std::search(zip.begin(), zip.end(), name.begin(), name.end());
        ASSERT_NE(local, zip.end());
        *(local + 100) ^= 0x5A;
        zip[zip.size() / 7] ^= 0x5A;
        WriteFileBytes(dir / "a.zip", zip);
      }
      std::vector<std::string> runs[2];
      for (int i = 0; i < 2; ++i) {
        const std::string out = dir / ("out" + std::to_string(i)) + "/";
        // Files already there, so that questions are asked and answered both ways.
        for (const char* name : {"d0/f0.txt", "d1/f1.txt", "d2/f2.txt", "empty"})
          WriteFileText(out + name, "old");
        runs[i] = RunLogged(dir / "a.zip", out, i == 0 ? 1 : 4, false);
        const std::vector<std::string> tested = RunLogged(dir / "a.zip", out, i == 0 ? 1 : 4, true);
        runs[i].insert(runs[i].end(), tested.begin(), tested.end());
      }
      EXPECT_EQ(runs[0], runs[1]) << "damaged: " << damaged;
      const bool failed =
          std::find(runs[1].begin(), runs[1].end(), "end d1/f13.txt failed") != runs[1].end();
      EXPECT_EQ(failed, damaged);
      EXPECT_GT(runs[0].size(), 90u);
    }
  }
}

}  // namespace
}  // namespace qel::test
