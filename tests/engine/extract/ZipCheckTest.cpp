// The archive tester beside `unzip -t` and `7z t`: the same verdict for every file entry of
// clean and damaged archives, folders without one, and the errors of a test that cannot run.
#include "engine/extract/ZipCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/Messages.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

using TVerdicts = std::map<std::string, bool>;

bool IsFolder(const std::string& name) { return !name.empty() && name.back() == '/'; }

// A tester with its verdicts, events and errors recorded.
struct TCheckRun {
  TZipCheck check;
  TVerdicts verdicts;
  std::vector<std::string> events;  // "status name", "end name"
  std::vector<int> codes;
  std::vector<std::string> extended;

  TCheckRun() {
    check.OnStatus = [this](TZipCommon& sender, const WideString& name, bool pass) {
      EXPECT_EQ(&sender, &check);
      verdicts[name] = pass;
      events.push_back("status " + name);
    };
    check.OnEnd = [this](TZipCommon&, const WideString& name, bool) {
      events.push_back("end " + name);
    };
    check.OnError = [this](TZipCommon&, const WideString&, const WideString& ext, const WideString&,
                           int code) {
      codes.push_back(code);
      extended.push_back(ext);
    };
  }
  int Run(const std::string& archive) {
    check.SetArchiveFile(archive);
    return check.Test();
  }
  bool Reported(int code) const {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The file entries named by the archive's directory, in its order.
std::vector<std::string> EntryNames(const std::string& archive) {
  return Lines(RunTool({"unzip", "-Z1", archive}).out);
}

// `unzip -t`: "testing: name OK", a reason after the name or on the next line, "skipping:
// name" for what it cannot test, and "file #n:" for an entry whose local header is lost.
TVerdicts UnzipVerdicts(const std::string& archive) {
  const std::vector<std::string> names = EntryNames(archive);
  const std::regex testing(R"(^\s+(testing|skipping): (\S+)\s*(.*)$)");
  const std::regex numbered(R"(^file #(\d+):)");
  TVerdicts verdicts;
  std::smatch m;
  for (const std::string& line : Lines(RunTool({"unzip", "-t", archive}).out)) {
    if (std::regex_search(line, m, testing))
      verdicts[m[2]] = m[1] == "testing" && m[3] == "OK";
    else if (std::regex_search(line, m, numbered) && std::stoul(m[1]) <= names.size())
      verdicts[names[std::stoul(m[1]) - 1]] = false;
  }
  std::erase_if(verdicts, [](const auto& v) { return IsFolder(v.first); });
  return verdicts;
}

// `7z t`: every entry passes but those named on an "ERROR: ... : name" line.
TVerdicts SevenZipVerdicts(const std::string& archive) {
  TVerdicts verdicts;
  for (const std::string& name : EntryNames(archive))
    if (!IsFolder(name)) verdicts[name] = true;
  const ToolRun run = RunTool({"7z", "t", archive});
  const std::regex error(R"(ERROR: .* : (\S+)$)");
  std::smatch m;
  for (const std::string& line : Lines(run.out + "\n" + run.err))
    if (std::regex_search(line, m, error)) verdicts[m[1]] = false;
  return verdicts;
}

class ZipCheckPeers : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"zip", "unzip", "7z"}) VK_REQUIRE_TOOL(tool);
    ASSERT_TRUE(RunToolOk({"sh", "-c",
                           "mkdir -p in/sub in/empty && seq 1 20000 > in/big.txt && "
                           "head -c 3000 /dev/urandom > in/rand.bin && : > in/e.txt && "
                           "seq 1 300 > in/sub/s.txt && cd in && zip -q -r ../a.zip . && "
                           "seq 1 50 > zz.txt && zip -q -0 ../a.zip zz.txt"},
                          dir.Path()));
    zip = ReadFileBytes(archive);
  }
  // Where the local header of `name` starts, and where its data does.
  std::pair<size_t, size_t> Local(const std::string& name) const {
    for (size_t at = 0; at + 30 < zip.size(); ++at) {
      if (zip[at] != 'P' || zip[at + 1] != 'K' || zip[at + 2] != 3 || zip[at + 3] != 4) continue;
      const size_t nameSize = zip[at + 26] | zip[at + 27] << 8;
      const size_t extraSize = zip[at + 28] | zip[at + 29] << 8;
      if (at + 30 + nameSize <= zip.size() &&
          std::string(zip.begin() + long(at) + 30, zip.begin() + long(at + 30 + nameSize)) == name)
        return {at, at + 30 + nameSize + extraSize};
    }
    ADD_FAILURE() << name;
    return {0, 0};
  }

  // Where the central header of `name` starts.
  size_t Central(const std::string& name) const {
    const std::string record = std::string("PK\x01\x02", 4);
    for (size_t at = 0; at + 46 < zip.size(); ++at) {
      const size_t nameSize = zip[at + 28] | zip[at + 29] << 8;
      if (std::equal(record.begin(), record.end(), zip.begin() + long(at)) &&
          at + 46 + nameSize <= zip.size() &&
          std::string(zip.begin() + long(at) + 46, zip.begin() + long(at + 46 + nameSize)) == name)
        return at;
    }
    ADD_FAILURE() << name;
    return 0;
  }

  TestFolder dir;
  std::string archive = dir / "a.zip";
  Bytes zip;
};

TEST_F(ZipCheckPeers, VerdictsPerEntryMatchUnzipAnd7z) {
  struct TCase {
    std::string label;
    std::function<void(Bytes&)> damage;
    size_t failing;
  };
  const std::vector<TCase> cases = {
      {"clean", [](Bytes&) {}, 0},
      {"deflated data byte", [&](Bytes& z) { z[Local("big.txt").second + 100] ^= 0xFF; }, 1},
      {"stored data byte", [&](Bytes& z) { z[Local("zz.txt").second] ^= 0x20; }, 1},
      {"deflate block header", [&](Bytes& z) { z[Local("big.txt").second] = 0xFF; }, 1},
      // The entry the directory points at no longer starts with a local header.
      {"last local header", [&](Bytes& z) { z[Local("zz.txt").first + 1] = 0; }, 1},
      // Method 99 in both headers: nothing can decode it.
      {"unknown method",
       [&](Bytes& z) {
         z[Local("big.txt").first + 8] = 99;
         z[Central("big.txt") + 10] = 99;
       },
       1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    Bytes damaged = zip;
    c.damage(damaged);
    WriteFileBytes(archive, damaged);
    const TVerdicts unzip = UnzipVerdicts(archive);
    const TVerdicts sevenZip = SevenZipVerdicts(archive);
    ASSERT_EQ(unzip.size(), 5u) << RunTool({"unzip", "-t", archive}).out;
    EXPECT_EQ(unzip, sevenZip);

    TCheckRun run;
    const int passed = run.Run(archive);
    EXPECT_EQ(run.verdicts, unzip);
    EXPECT_EQ(passed, int(unzip.size() - c.failing));
    // Folders ("sub/", "empty/") get no verdict; each verdict is followed by its end.
    ASSERT_EQ(run.events.size(), 2 * run.verdicts.size());
    for (size_t i = 0; i < run.events.size(); i += 2) {
      EXPECT_FALSE(IsFolder(run.events[i])) << run.events[i];
      EXPECT_EQ("end " + run.events[i].substr(7), run.events[i + 1]);
    }
  }
}

// Neither peer reads the archive once its directory is damaged; the tester reports the
// damage and still tests the entries its local headers hold.
TEST_F(ZipCheckPeers, DamagedDirectoryIsReportedAndLocalEntriesTested) {
  for (size_t at = 0; at + 4 < zip.size(); ++at)
    if (zip[at] == 'P' && zip[at + 1] == 'K' && zip[at + 2] == 1 && zip[at + 3] == 2) zip[at] = 0;
  WriteFileBytes(archive, zip);
  EXPECT_FALSE(RunTool({"unzip", "-t", archive}).Ok());
  EXPECT_FALSE(RunTool({"7z", "t", archive}).Ok());

  TCheckRun run;
  run.Run(archive);
  EXPECT_TRUE(run.Reported(msg::BadFileHeader));
  EXPECT_FALSE(run.verdicts.empty());
  for (const auto& [name, pass] : run.verdicts) EXPECT_TRUE(pass) << name;
}

TEST(ZipCheck, ReportsWhyATestCannotRun) {
  for (const char* tool : {"zip", "7z"}) VK_REQUIRE_TOOL(tool);
  TestFolder dir;
  WriteFileText(dir / "notes.txt", "not an archive\n");
  struct TCase {
    std::string label;
    std::string make;  // a shell line making `file` in the test folder
    std::string file;
    bool withStatus;
    int code;
    std::string extended;
  };
  const std::vector<TCase> cases = {
      {"not an archive", "", "notes.txt", true, msg::UnsupportedArchiveType, ""},
      {"no archive", "", "", true, msg::UnsupportedArchiveType, ""},
      {"no OnStatus", "zip -q a.zip notes.txt", "a.zip", false, msg::RequiredEventNotAssigned,
       "OnStatus"},
      {"7z", "7z a -bd t.7z notes.txt >/dev/null", "t.7z", true, msg::SevenZipLibraryNotFound, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    if (!c.make.empty()) {
      ASSERT_TRUE(RunToolOk({"sh", "-c", c.make}, dir.Path()));
    }
    TCheckRun run;
    if (!c.withStatus) run.check.OnStatus = nullptr;
    EXPECT_EQ(run.Run(c.file.empty() ? "" : dir / c.file), 0);
    EXPECT_EQ(run.codes, std::vector<int>{c.code});
    EXPECT_EQ(run.extended, std::vector<std::string>{c.extended});
    EXPECT_TRUE(run.events.empty());
  }
}

// AES entries: a wrong candidate is told from the right one by the verifier, so that a
// chance match cannot make the cases flaky.
TEST(ZipCheck, EncryptedEntriesWithPasswords) {
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  ASSERT_TRUE(RunToolOk({"sh", "-c",
                         "seq 1 999 > a.txt && echo b > b.txt && "
                         "7z a -bd -tzip -mem=AES256 -psecret e.zip a.txt b.txt >/dev/null"},
                        dir.Path()));
  struct TCase {
    std::string label;
    TStrings candidates;
    std::optional<std::string> answer;  // from OnGetPassword
    bool pass;
    TStrings after;
  };
  const std::vector<TCase> cases = {
      {"right one listed", {"wrong", "secret"}, std::nullopt, true, {"wrong", "secret"}},
      {"only wrong ones", {"wrong"}, std::nullopt, false, {"wrong"}},
      {"asked", {"wrong"}, "secret", true, {"secret", "wrong"}},
      {"asked, wrong answer", {}, "nope", false, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    TCheckRun run;
    run.check.Passwords = c.candidates;
    int asked = 0;
    if (c.answer)
      run.check.OnGetPassword = [&](TZipCommon&, const WideString&, AnsiString& password,
                                    TSeedKeyRecord&, TSeedKeyRecord&, bool& tryAgain) {
        password = *c.answer;
        tryAgain = ++asked < 5;
      };
    EXPECT_EQ(run.Run(dir / "e.zip"), c.pass ? 2 : 0);
    EXPECT_EQ(run.verdicts, (TVerdicts{{"a.txt", c.pass}, {"b.txt", c.pass}}));
    EXPECT_EQ(run.check.Passwords, c.after);
    EXPECT_EQ(run.check.Password(), c.pass ? "secret" : "");
  }
}

TEST(ZipCheck, SplitSetIsTestedWhole) {
  for (const char* tool : {"zip", "7z"}) VK_REQUIRE_TOOL(tool);
  TestFolder dir;
  ASSERT_TRUE(RunToolOk({"sh", "-c",
                         "head -c 150000 /dev/urandom > r.bin && seq 1 9999 > t.txt && "
                         "zip -q -s 64k a.zip r.bin t.txt"},
                        dir.Path()));
  const std::string archive = dir / "a.zip";
  for (bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "clean");
    if (damaged) {  // a byte of r.bin's data on the second volume
      Bytes volume = ReadFileBytes(dir / "a.z02");
      volume[100] ^= 0xFF;
      WriteFileBytes(dir / "a.z02", volume);
    }
    TCheckRun run;
    run.check.SetArchiveFile(archive);
    ASSERT_EQ(run.check.ArcType(), atZipMV);
    run.check.Test();
    EXPECT_EQ(run.verdicts, SevenZipVerdicts(archive));
    EXPECT_EQ(run.verdicts.size(), 2u);
  }
}

TEST(ZipCheck, CancelStopsTheRunAndIsKept) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  ASSERT_TRUE(
      RunToolOk({"sh", "-c", "seq 1 9 > a && seq 1 99 > b && seq 1 999 > c && zip -q z.zip a b c"},
                dir.Path()));
  TCheckRun run;
  run.check.OnBegin = [](TZipCommon& sender, const WideString& name, int, bool&) {
    if (name == "b") sender.SetCancel(true);
  };
  run.Run(dir / "z.zip");
  EXPECT_TRUE(run.check.Cancel());
  EXPECT_EQ(run.verdicts, (TVerdicts{{"a", true}}));          // b was cancelled, c never began
  EXPECT_EQ(run.codes, std::vector<int>{msg::UserCanceled});  // reported once
}

}  // namespace
}  // namespace qel::test
