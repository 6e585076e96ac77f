// The texts of the boxes that answer engine questions, with the program's English texts.
#include <gtest/gtest.h>

#include <QDir>
#include <cstdlib>
#include <ctime>

#include "app/core/AppPaths.h"
#include "app/core/PromptTexts.h"
#include "app/core/Translation.h"
#include "tests/support/EnvVar.h"

namespace vk::app {
namespace {

class PromptTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLanguage(LanguagesFolder() + QStringLiteral("/English.lng")));
  }
  void TearDown() override { LoadLanguage(before_); }

 private:
  QString before_ = ActiveLanguagePath();
  qel::test::TEnvVar zone_{"TZ", "UTC"};
};

constexpr int64_t kNewYear = 1672531200;  // 2023-01-01 00:00:00 UTC

TEST_F(PromptTexts, ReplaceTextListsWhatIsThereThenWhatComes) {
  const QLocale uk(QLocale::English, QLocale::UnitedKingdom);
  TReplaceQuestion extract{TReplaceKind::ExtractTarget,
                           {"/out/a.txt", 3, kNewYear, ""},
                           {"a.txt", 1234, kNewYear + 3661, ""}};
  EXPECT_EQ(ReplaceText(extract, uk),
            "Replace the file\n   /out/a.txt\n   Size: 3\n   Modified: 01/01/2023 00:00\n\n"
            "with this file?\n   a.txt\n   Size: 1234\n   Modified: 01/01/2023 01:01:01 UTC");
  TReplaceQuestion add{TReplaceKind::ArchiveEntry,
                       {"docs/a.txt", 3, kNewYear, "A"},
                       {"/home/me/docs/a.txt", -1, -1, "RA"}};
  EXPECT_EQ(ReplaceText(add, uk),
            "Replace the file\n   docs/a.txt\n   Size: 3\n   Modified: 01/01/23 00:00\n"
            "   Attributes: A\n\nwith this file?\n   /home/me/docs/a.txt\n   Size: \n"
            "   Modified: \n   Attributes: RA");
  // The locale's own separators in the adding pattern.
  EXPECT_TRUE(ReplaceText(add, QLocale(QLocale::German, QLocale::Germany))
                  .contains(QStringLiteral("Modified: 01.01.23 00:00")));
}

TEST_F(PromptTexts, SizesAreGroupedByThousands) {
  const std::pair<int64_t, const char*> rows[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {-1, "not available"}};
  for (const auto& [bytes, text] : rows) EXPECT_EQ(GroupedSize(bytes), text) << bytes;
}

TEST_F(PromptTexts, BoxTexts) {
  const std::pair<QString, const char*> rows[] = {
      {DiskSpaceText({"/media/disk", 1457664, -1, 20000}),
       "Drive: /media/disk\nSpace needed: 20,000\nFree space: not available\n"
       "Disk size: 1,457,664\n\nPlease make room on the disk, then choose OK to go on, or "
       "Cancel to stop."},
      {DiskTooSmallText(), "The disk is too small to hold a part of this archive.\n\n"},
      {DiskRequestText(TDiskRequest::First, ""),
       "Please insert the first disk of the multi-volume set."},
      {DiskRequestText(TDiskRequest::Next, "PKBACK# 003"),
       "Please insert the disk labelled PKBACK# 003"},
      {VolumePrompt(3), "Where is volume 3"},
      {ReadOnlyText("/a.zip"), "/a.zip is read-only.\n\nDo you want to write to it anyway?"},
      {CorruptHeaderText(),
       "The archive's central directory is missing or damaged.\n"
       "Do you want to try to read the archive anyway?"},
      {OutputExistsText("a.gz"), "The file \"a.gz\" already exists. Do you want to replace it?"},
      {NestedTarText("a.tar"),
       "The file \"a.tar\" holds a TAR archive. Do you want to extract the files in it too?"},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(text, expected);
  EXPECT_TRUE(LimitedUserText("/srv").startsWith(
      "/srv\nYou do not have permissions to write to this directory.\n\n"));
}

}  // namespace
}  // namespace vk::app
