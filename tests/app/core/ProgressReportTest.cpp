// The window-free parts of progress and error reporting.
#include <gtest/gtest.h>

#include "app/core/AppPaths.h"
#include "app/core/ProgressReport.h"
#include "app/core/TestLog.h"
#include "app/core/Translation.h"
#include "engine/base/Messages.h"
#include "tests/app/support/ScratchSettings.h"

namespace vk::app {
namespace {

TEST(ProgressReport, ErrorLogGivesOneLinePerFileInARow) {
  TErrorLog log;
  const QString text = QString::fromUtf8(qel::MessageText(qel::msg::InvalidPassword).data());
  struct Row {
    const char* name;
    bool activateFirst;
    bool line;
  } rows[] = {
      {"", false, true},  // an error without a file is never swallowed
      {"", false, true},      {"a.txt", false, true}, {"A.TXT", false, false},
      {"b.txt", false, true}, {"a.txt", false, true}, {"a.txt", true, true},
  };
  for (const Row& row : rows) {
    if (row.activateFirst) log.ComponentActivated();
    const std::optional<QString> line = log.Report(row.name, qel::msg::InvalidPassword);
    EXPECT_EQ(line.has_value(), row.line) << row.name;
    if (line) {
      EXPECT_EQ(*line, text + ": \"" + row.name + "\"");
    }
  }
}

TEST(ProgressReport, CountMessagesSayOneOrHowManyWhenAsked) {
  gui::test::TScratchSettings scratch;
  const struct {
    TCounted what;
    int count;
    bool show;
    std::optional<QString> text;
  } rows[] = {
      {TCounted::Added, 1, true, Message(100)},
      {TCounted::Added, 3, true, FormatMessage(Message(101), {"3"})},
      {TCounted::Extracted, 1, true, Message(170)},
      {TCounted::Extracted, 2, true, FormatMessage(Message(180), {"2"})},
      {TCounted::Deleted, 1, true, Message(150)},
      {TCounted::Deleted, 9, true, FormatMessage(Message(160), {"9"})},
      {TCounted::Deleted, 0, true, std::nullopt},
      {TCounted::Added, 2, false, std::nullopt},
  };
  for (const auto& row : rows) {
    scratch.Settings().ShowMessages = row.show;
    EXPECT_EQ(CountMessage(row.what, row.count), row.text) << int(row.what) << row.count;
  }
}

TEST(ProgressReport, TrayImageByPercentage) {
  const std::pair<int, int> rows[] = {{0, 0},  {9, 0},  {10, 1}, {29, 1}, {30, 2}, {49, 2},
                                      {50, 3}, {69, 3}, {70, 4}, {89, 4}, {90, 5}, {100, 5}};
  for (const auto& [percent, image] : rows) EXPECT_EQ(TrayImageIndex(percent), image) << percent;
}

TEST(ProgressReport, PathsGiveUpLeadingFoldersUntilTheyFit) {
  const auto width = [](const QString& s) { return int(s.size()); };
  const std::pair<int, const char*> rows[] = {
      {100, "/home/me/docs/file.txt"}, {22, "/home/me/docs/file.txt"},
      {21, "/.../me/docs/file.txt"},   {18, "/.../docs/file.txt"},
      {14, "/.../file.txt"},           {3, "/.../file.txt"},
  };
  for (const auto& [maxWidth, text] : rows)
    EXPECT_EQ(ShortenPath("/home/me/docs/file.txt", maxWidth, width), text) << maxWidth;
  EXPECT_EQ(ShortenPath("docs/sub/f", 8, width), ".../f");
}

TEST(ProgressReport, TitlesCarryThePercentage) {
  EXPECT_EQ(ProgressTitle(true, 42), "Vorelkit - Compress: 42%");
  EXPECT_EQ(ProgressTitle(false, 7), "Vorelkit - Extract: 7%");
}

TEST(ProgressReport, TestLogCountsFilesAndKeepsLinesForTheEnd) {
  TTestLog log;
  const std::vector<TItemInfo> head = log.Start("/a.zip");
  ASSERT_EQ(head.size(), 2u);
  EXPECT_EQ(head[0].Text, "Testing Archive: /a.zip");
  EXPECT_EQ(head[1].Text, QString(60, u'='));
  log.EntryTested("docs/", true);
  log.EntryTested("docs/a.txt", true);
  log.EntryTested("b.txt", false);
  qel::THeaderTypeState flags;
  flags.Include(qel::THeaderType::htLocal);
  log.CorruptHeader(flags, 99);  // too small to note
  log.CorruptHeader(flags, 100);
  log.Cancelled();
  log.Cancelled();
  const std::vector<TItemInfo> lines = log.Finish();
  const QString rule(60, u'=');
  const std::vector<std::pair<QString, TTestImage>> expected = {
      {"Testing: docs/a.txt", TTestImage::Passed},
      {"Testing: b.txt", TTestImage::Failed},
      {rule, TTestImage::None},
      {"Header error... (missing or corrupt)", TTestImage::Failed},
      {rule, TTestImage::None},
      {rule, TTestImage::None},
      {"--->>> Operation Aborted! <<<---", TTestImage::Failed},
      {rule, TTestImage::None},
      {"Tested 2 files. -> 1 OK : 1 Failed", TTestImage::Summary},
  };
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].Text, expected[i].first) << i;
    EXPECT_EQ(lines[i].Image, expected[i].second) << i;
  }
  EXPECT_EQ(lines[0].Status, "OK");
  EXPECT_EQ(lines[1].Status, "Failed");
  // A new test starts from nothing.
  log.Start("/b.zip");
  EXPECT_EQ(log.Finish().back().Text, "Tested 0 files. -> 0 OK : 0 Failed");
}

}  // namespace
}  // namespace vk::app
