// The terminal's answers to the engine's questions: typed answers, the preset policies and
// what a script without a terminal gets.
#include "app/prompts/TerminalPrompter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/PeerTools.h"

namespace vk::cli {
namespace {

using vk::app::TAnswer;
using vk::app::TOverwritePolicy;
using vk::app::TReplaceKind;
using vk::app::TTerminalPrompter;

vk::app::TReplaceQuestion Question(TReplaceKind kind, const std::string& existing,
                                   int64_t existingTime, int64_t incomingTime) {
  return {kind, {existing, 1, existingTime, {}}, {"entry", 2, incomingTime, {}}};
}

TEST(TerminalPrompter, ReplaceAnswers) {
  qel::test::TestFolder folder;
  const std::string file = folder / "a.txt";
  qel::test::WriteFileText(file, "x");
  struct Row {
    TOverwritePolicy policy;
    bool interactive;
    std::string input;
    TReplaceKind kind;
    int64_t incomingTime;
    TAnswer answer;
    std::string newName;
  } rows[] = {
      {TOverwritePolicy::Ask, true, "?\ny\n", TReplaceKind::ExtractTarget, 0, TAnswer::Yes, ""},
      {TOverwritePolicy::Ask, true, "A\n", TReplaceKind::ExtractTarget, 0, TAnswer::YesToAll, ""},
      {TOverwritePolicy::Ask, true, "N\n", TReplaceKind::ExtractTarget, 0, TAnswer::NoToAll, ""},
      {TOverwritePolicy::Ask, true, "r\n", TReplaceKind::ExtractTarget, 0, TAnswer::Yes,
       folder / "a (1).txt"},
      // Renaming is no answer while adding; the input ending keeps the entry.
      {TOverwritePolicy::Ask, true, "r\n", TReplaceKind::ArchiveEntry, 0, TAnswer::No, ""},
      {TOverwritePolicy::Ask, false, "y\n", TReplaceKind::ExtractTarget, 0, TAnswer::No, ""},
      {TOverwritePolicy::Always, false, "", TReplaceKind::ArchiveEntry, 0, TAnswer::YesToAll, ""},
      {TOverwritePolicy::Never, true, "y\n", TReplaceKind::ExtractTarget, 0, TAnswer::NoToAll, ""},
      {TOverwritePolicy::Newer, false, "", TReplaceKind::ExtractTarget, 101, TAnswer::Yes, ""},
      {TOverwritePolicy::Newer, false, "", TReplaceKind::ArchiveEntry, 100, TAnswer::No, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input + " " + std::to_string(int(row.policy)));
    std::istringstream in(row.input);
    std::ostringstream out;
    TTerminalPrompter p({row.interactive, row.policy, {}}, in, out);
    const vk::app::TReplaceReply reply =
        p.AskReplace(Question(row.kind, file, 100, row.incomingTime));
    EXPECT_EQ(reply.Answer, row.answer);
    EXPECT_EQ(reply.NewName, row.newName);
    EXPECT_EQ(out.str().empty(), !row.interactive || row.policy != TOverwritePolicy::Ask);
  }
}

TEST(TerminalPrompter, WithoutATerminalNothingIsGiven) {
  std::istringstream in("y\n/tmp\nsecret\n");
  std::ostringstream out;
  TTerminalPrompter p({false, TOverwritePolicy::Ask, "preset"}, in, out);
  EXPECT_EQ(p.AskPassword("a.txt", ""), "preset");  // the -p password, once
  EXPECT_EQ(p.AskPassword("a.txt", ""), std::nullopt);
  EXPECT_EQ(p.AskVolume("a.z02", 2), std::nullopt);
  EXPECT_EQ(p.AskUserFolder("/srv", "/home/me"), std::nullopt);
  EXPECT_FALSE(p.AskDisk(vk::app::TDiskRequest::Last, ""));
  EXPECT_FALSE(p.AskWriteReadOnly("a.zip"));
  EXPECT_FALSE(p.AskCorruptHeader("a.zip"));
  EXPECT_EQ(p.AskNewName("a.txt", "a.txt").Answer, TAnswer::No);
  EXPECT_EQ(p.AskOutputExists("a.gz"), TAnswer::No);
  EXPECT_TRUE(out.str().empty());
}

TEST(TerminalPrompter, TypedAnswers) {
  std::istringstream in("docs/b.txt\n\n-\nc\n/media/v2\n");
  std::ostringstream out;
  TTerminalPrompter p({true, TOverwritePolicy::Ask, {}}, in, out);
  const vk::app::TNameReply name = p.AskNewName("a.txt", "a.txt");
  EXPECT_EQ(name.Answer, TAnswer::Yes);
  EXPECT_EQ(name.Name, "docs/b.txt");
  EXPECT_EQ(p.AskUserFolder("/srv", "/home/me"), "/home/me");  // empty: the proposal
  EXPECT_EQ(p.AskNewName("a.txt", "a.txt").Answer, TAnswer::NoToAll);
  EXPECT_EQ(p.AskOutputExists("a.gz"), TAnswer::Cancel);
  EXPECT_EQ(p.AskVolume("a.z02", 2), "/media/v2");
}

}  // namespace
}  // namespace vk::cli
