// What happens when an entry's output file is already there.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "engine/base/Messages.h"
#include "tests/engine/extract/TestReader.h"

namespace qel::test {
namespace {

using Answer = std::pair<std::string, TOverwriteMode>;  // new name ("@" = target), mode

struct OverwriteCase {
  const char* what;
  bool confirm;
  TOverwriteMode mode;
  bool handler;
  std::vector<Answer> answers;
  std::vector<std::string> asked;  // relative to the target
  std::map<std::string, std::string> files;
  std::vector<int> codes;
};

constexpr auto kOver = TOverwriteMode::omOverwrite;
constexpr auto kSkip = TOverwriteMode::omSkip;

TEST(ExtractOverwrite, DecisionsFollowTheSettingsAndTheHandler) {
  const std::vector<OverwriteCase> cases = {
      {"overwrite unasked", false, kOver, false, {}, {}, {{"f", "new"}}, {}},
      {"skip unasked", false, kSkip, false, {}, {}, {{"f", "old"}}, {}},
      {"no handler", true, kOver, false, {}, {}, {{"f", "old"}}, {25281}},
      {"keep the name", true, kSkip, true, {{"", kOver}}, {"f"}, {{"f", "new"}}, {}},
      {"handler skips", true, kOver, true, {{"", kSkip}}, {"f"}, {{"f", "old"}}, {}},
      {"existing new name is asked again",
       true,
       kOver,
       true,
       {{"g", kOver}, {"", kOver}},
       {"f", "g"},
       {{"f", "old"}, {"g", "new"}},
       {}},
      {"case differs: another file",
       true,
       kSkip,
       true,
       {{"F", kSkip}},
       {"f"},
       {{"f", "old"}, {"F", "new"}},
       {}},
      {"new folder is made",
       true,
       kOver,
       true,
       {{"@/sub/h", kOver}},
       {"f"},
       {{"f", "old"}, {"sub/h", "new"}},
       {}},
  };
  for (const OverwriteCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestFolder scratch;
    std::string target = scratch / "out";
    std::filesystem::create_directories(target);
    WriteFileText(target + "/f", "old");
    WriteFileText(target + "/g", "old");
    TestReader reader;
    reader.Add("f", "new");
    reader.Save(scratch / "arc.bin");
    reader.SetExtractDir(target);
    reader.ConfirmOverwrites = c.confirm;
    reader.OverwriteMode = c.mode;
    std::vector<std::string> asked;
    if (c.handler) {
      reader.OnFileExists = [&](TZipCommon&, const WideString& name, WideString& newName,
                                TOverwriteMode& mode) {
        asked.push_back(name.substr(target.size() + 1));
        EXPECT_EQ(reader.CurrentEntry().UnpackedSize, 3);  // what the question shows
        if (asked.size() > c.answers.size()) return;
        const Answer& a = c.answers[asked.size() - 1];
        newName = a.first.empty() || a.first[0] != '@' ? a.first : target + a.first.substr(1);
        mode = a.second;
      };
    }

    reader.Extract();

    EXPECT_EQ(asked, c.asked);
    for (const auto& [name, text] : c.files)
      EXPECT_EQ(ReadFileText(target + "/" + name), text) << name;
    EXPECT_EQ(reader.Codes(), c.codes);
  }
}

}  // namespace
}  // namespace qel::test
