// UU, XX and Base64 texts that peer tools write, decoded through vorelkit-cli: as written,
// with CR LF line ends, inside a mail with headers and a signature, and (UU, XX) without
// the zero-length line before "end"; and a set uuenview split into parts.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/CliFolder.h"
#include "tests/support/Files.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class UuDecode : public CliFolderTest {};

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string InMail(const std::string& text) {
  return "From: someone@example.org\nSubject: the file\nMIME-Version: 1.0\n\nHere it is.\n\n" +
         text + "\n-- \nSomeone\nbegin with care\n";
}

// The zero-length line before "end" taken out, as some encoders never write it.
std::string WithoutEmptyLine(std::string text) {
  for (const char* zero : {"\n`\nend", "\n+\nend"})
    if (const size_t at = text.find(zero); at != std::string::npos) text.erase(at, 2);
  return text;
}

TEST_F(UuDecode, WhatPeersEncodeDecodesByteForByte) {
  VK_REQUIRE_TOOL("uuencode");
  VK_REQUIRE_TOOL("uuenview");
  VK_REQUIRE_TOOL("mpack");
  const struct {
    const char* name;
    std::vector<std::string> encode;
    const char* output;  // the file the text goes to; standard output when none
  } encoders[] = {
      {"uuencode", {"uuencode", "in.bin", "in.bin"}, nullptr},
      {"uuencode -m", {"uuencode", "-m", "in.bin", "in.bin"}, nullptr},
      {"uuenview -u", {"uuenview", "-u", "in.bin"}, nullptr},
      {"uuenview -x", {"uuenview", "-x", "in.bin"}, nullptr},
      {"uuenview -b", {"uuenview", "-b", "-o", "in.bin"}, "in.001"},
      {"mpack", {"mpack", "-s", "the file", "-o", "out.txt", "in.bin"}, "out.txt"},
  };
  const struct {
    const char* name;
    std::string (*change)(const std::string&);
  } variants[] = {
      {"as written", [](const std::string& t) { return t; }},
      {"CR LF", WithCrLf},
      {"in a mail", InMail},
      {"no zero-length line", [](const std::string& t) { return WithoutEmptyLine(t); }},
  };
  for (const size_t size : {0, 1, 56, 57, 100, 100000}) {
    const std::string data = RandomData(size);
    WriteFileText(dir_ / "in.bin", data);
    for (const auto& e : encoders) {
      // uuenview's heading over no data at all names no data lines to find.
      if (size == 0 && e.output && std::string(e.output) == "in.001") continue;
      if (e.output) fs::remove(dir_ / e.output);
      const ToolRun run = RunTool(e.encode, dir_.Path());
      ASSERT_TRUE(run.Ok()) << e.name << run.err;
      const std::string text = e.output ? ReadFileText(dir_ / e.output) : run.out;
      for (const auto& v : variants) {
        SCOPED_TRACE(std::string(e.name) + ", " + v.name + ", " + std::to_string(size));
        WriteFileText(dir_ / "t.uue", v.change(text));
        fs::remove_all(dir_ / "out");
        const ToolRun decoded = Run({"extract", "t.uue", "-o", "out"});
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        EXPECT_EQ(ReadTree(dir_ / "out"), (Tree{{"in.bin", data}}));
      }
    }
  }
}

TEST_F(UuDecode, PartsFollowOneAnother) {
  VK_REQUIRE_TOOL("uuenview");
  const std::string data = RandomData(100000);
  WriteFileText(dir_ / "in.bin", data);
  ASSERT_TRUE(RunToolOk({"uuenview", "-u", "-1000", "-od", ".", "in.bin"}, dir_.Path()));
  // A heading that reads as a short line is no data of the part it heads.
  const std::string second = ReadFileText(dir_ / "in.002");
  const size_t data2 = second.find("\nM") + 1;
  WriteFileText(dir_ / "in.002",
                second.substr(0, data2) + std::string(30, '-') + "\n" + second.substr(data2));
  ASSERT_EQ(Run({"extract", "in.001", "-o", "out"}).status, 0);
  EXPECT_EQ(ReadTree(dir_ / "out"), (Tree{{"in.bin", data}}));
  // A part missing ends the file as incomplete, and nothing is left under its name.
  fs::remove(dir_ / "in.003");
  const ToolRun cut = Run({"extract", "in.001", "-o", "cut"});
  EXPECT_NE(cut.status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "cut/in.bin"));
}

// Names from the text stay inside the target; a text cut short, or with a damaged line,
// leaves nothing under the name.
TEST_F(UuDecode, HostileAndDamagedTextsEndCleanly) {
  const std::string body = "begin 644 NAME\n#0V%T\n`\nend\n";
  const auto named = [&](const std::string& name) {
    std::string text = body;
    return text.replace(text.find("NAME"), 4, name);
  };
  const struct {
    const char* what;
    std::string text;
    std::set<std::string> lands;  // what is made in the target
  } cases[] = {
      {"dot-dot", named("../../evil.txt"), {"evil.txt"}},
      {"absolute", named("/etc/cron.txt"), {"etc", "etc/cron.txt"}},
      {"cut short", named("cut.txt").substr(0, 22), {}},
      {"damaged line", named("bad.txt").replace(19, 1, "~"), {}},
      {"count at odds", named("count.txt") + "4 bytes\n", {}},
      {"later volume alone", "part 2\n" + named("part.txt"), {}},
      {"base64 damaged", "begin-base64 644 b.txt\nQ2F0\nQ*F0\n====\n", {}},
      {"base64 cut short", "begin-base64 644 b.txt\nQ2F0\n", {}},
      {"base64 line too long",
       "begin-base64 644 b.txt\n" + std::string(2000, 'A') + "\n====\n",
       {}},
      {"base64, no begin", "Content-Transfer-Encoding: base64\n\nQ2F0\n", {"t"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string root = dir_ / c.what;
    fs::create_directories(root + "/target");
    WriteFileText(root + "/t.uue", c.text);
    const ToolRun run = RunTool({VK_CLI_PATH, "extract", "t.uue", "-o", "target"}, root);
    EXPECT_EQ(run.status == 0, !c.lands.empty()) << run.err;
    std::set<std::string> expected = {"t.uue", "target"};
    for (const std::string& path : c.lands) expected.insert("target/" + path);
    EXPECT_EQ(PathsBelow(root), expected);
    // No mode on a begin line gives no execute bits.
    for (const std::string& path : c.lands)
      EXPECT_EQ(
          fs::status(root + "/target/" + path).permissions() & fs::perms::owner_exec,
          fs::is_directory(root + "/target/" + path) ? fs::perms::owner_exec : fs::perms::none);
  }
}

}  // namespace
}  // namespace qel::test
