// Texts vorelkit-cli encode writes, read by the standard decoders: UU by uudecode and
// uudeview, XX by uudeview, Base64 by base64 -d on its data lines; and volumes read back
// here.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/CliFolder.h"
#include "tests/support/Files.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class UuEncode : public CliFolderTest {};

// The Base64 data lines of a text: those between the begin line and "end".
std::string DataLines(const std::string& text) {
  const size_t begin = text.find("\nbegin-base64 ");
  const size_t from = text.find('\n', begin + 1) + 1;
  std::string data = text.substr(from, text.find("\nend\r\n", from - 1) + 1 - from);
  std::erase(data, '\r');
  return data;
}

TEST_F(UuEncode, StandardDecodersReadWhatItWrites) {
  VK_REQUIRE_TOOL("uudecode");
  VK_REQUIRE_TOOL("uudeview");
  VK_REQUIRE_TOOL("base64");
  for (const size_t size : {0, 1, 56, 57, 100, 100000}) {
    SCOPED_TRACE(size);
    const std::string data = RandomData(size);
    WriteFileText(dir_ / "f.bin", data);
    for (const char* as : {"uu", "xx", "mime"}) {
      SCOPED_TRACE(as);
      ASSERT_EQ(Run({"encode", "f.bin", "--as", as, "-o", ".", "--overwrite"}).status, 0);
      const std::string text =
          ReadFileText(dir_ / (std::string("f.") + (as == std::string("uu")   ? "uue"
                                                    : as == std::string("xx") ? "xxe"
                                                                              : "mim")));
      fs::remove_all(dir_ / "out");
      fs::create_directories(dir_ / "out");
      if (as == std::string("mime")) {
        WriteFileText(dir_ / "out/lines", DataLines(text));
        const ToolRun decoded = RunTool({"base64", "-d", "out/lines"}, dir_.Path());
        EXPECT_EQ(decoded.out, data) << decoded.err;
        continue;
      }
      WriteFileText(dir_ / "out/t", text);
      ASSERT_TRUE(RunToolOk({"uudeview", "-i", "-q", "t"}, dir_ / "out"));
      EXPECT_EQ(ReadFileText(dir_ / "out/f.bin"), data);
      if (as == std::string("uu")) {
        ASSERT_TRUE(RunToolOk({"uudecode", "-o", "u.bin", "t"}, dir_ / "out"));
        EXPECT_EQ(ReadFileText(dir_ / "out/u.bin"), data);
      }
    }
  }
}

// A UU or XX text in volumes: each after the first opens with its part line and the begin
// line; the decoder follows them, and a missing one fails the file.
TEST_F(UuEncode, VolumesComeBackWhole) {
  const std::string data = RandomData(10240);
  WriteFileText(dir_ / "v.bin", data);
  const struct {
    const char* as;
    const char* kb;
    const char* first;
    int volumes;
  } cases[] = {{"uu", "1", "v.uue", 15}, {"xx", "3", "v.xxe", 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.as);
    const ToolRun run = Run({"encode", "v.bin", "--as", c.as, "--volume-kb", c.kb, "--table"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "encoded into " + std::to_string(c.volumes) + " file(s)\n");
    const std::string second = std::string("v.") + c.first[2] + "01";
    EXPECT_EQ(ReadFileText(dir_ / second).substr(0, 20), "part 2\r\nbegin 644 v.");
    ASSERT_EQ(Run({"extract", c.first, "-o", c.as}).status, 0);
    EXPECT_EQ(ReadFileText(dir_ / (std::string(c.as) + "/v.bin")), data);
    fs::remove(dir_ / second);
    EXPECT_NE(Run({"extract", c.first, "-o", std::string(c.as) + "-cut"}).status, 0);
  }
  // A text is never written over the file it encodes.
  const ToolRun self = Run({"encode", "v.uue", "--overwrite"});
  EXPECT_EQ(self.status, 2);
  EXPECT_NE(self.err.find("Same input and output"), std::string::npos) << self.err;
}

// The last part of a multi-volume ZIP set is encoded with the parts before it, under mode
// 999; decoding gives their data joined, and says so.
TEST_F(UuEncode, AZipSetTravelsAsOneText) {
  VK_REQUIRE_TOOL("zip");
  WriteFileText(dir_ / "big.bin", RandomData(300000));
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-s", "100k", "set.zip", "big.bin"}, dir_.Path()));
  ASSERT_EQ(Run({"encode", "set.zip"}).status, 0);
  EXPECT_NE(ReadFileText(dir_ / "set.uue").find("\r\nbegin 999 set.zip\r\n"), std::string::npos);
  const ToolRun decoded = Run({"extract", "set.uue", "-o", "out"});
  EXPECT_EQ(decoded.status, 1);
  EXPECT_NE(decoded.err.find("joined"), std::string::npos) << decoded.err;
  EXPECT_EQ(ReadFileText(dir_ / "out/set.zip"), ReadFileText(dir_ / "set.z01") +
                                                    ReadFileText(dir_ / "set.z02") +
                                                    ReadFileText(dir_ / "set.zip"));
}

}  // namespace
}  // namespace qel::test
