// The repair dialog, offscreen, over archives made by the zip tool and then damaged.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "app/gui/RepairDialog.h"
#include "tests/app/gui/ReportDump.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipDamage.h"

namespace vk::gui {
namespace {

using qel::test::RunToolOk;
using qel::test::TestFolder;

const std::string kRule(25, '=');

TEST(RepairDialogTest, FixedNameReplacesOnlyTheExtension) {
  const struct {
    const char *broken, *fixed;
  } cases[] = {{"/d/a.b.zip", "/d/a.b_VorelFixed.zip"},
               {"/d.x/a", "/d.x/a_VorelFixed.zip"},
               {"a.zip", "a_VorelFixed.zip"}};
  for (const auto& c : cases) EXPECT_EQ(TfrmRepair::FixedName(c.broken), c.fixed) << c.broken;
}

TEST(RepairDialogTest, RescuesTheIntactEntriesAndReportsEachOne) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  TestFolder dir;
  qel::test::WriteFileText(dir / "a.txt", std::string(3000, 'a'));
  std::filesystem::create_directory(dir / "docs");
  qel::test::WriteFileText(dir / "docs/b.txt", std::string(2000, 'b') + "end of b");
  RunToolOk({"zip", "-q", "-r", "-X", "made.zip", "a.txt", "docs"}, dir.Path());
  const qel::test::Bytes whole = qel::test::ReadFileBytes(dir / "made.zip");
  const std::string broken = dir / "broken.zip", fixed = dir / "broken_VorelFixed.zip";

  const struct {
    void (*damage)(qel::test::Bytes&);
    std::vector<std::string> found;  // the lines between the rules
    std::string summary;
  } cases[] = {
      {qel::test::ZeroCentralDirectory,
       {"a.txt|OK|", "docs/b.txt|OK|"},
       "2 out of 2 files were OK||#0000ff"},
      {qel::test::TruncateInLastEntry,
       {"a.txt|OK|", "docs/b.txt|Corrupted|#ff0000"},
       "1 out of 2 files were OK||#0000ff"},
  };
  TfrmRepair dialog;
  auto* name = dialog.findChild<QLineEdit*>("edArcName");
  auto* repair = dialog.findChild<QPushButton*>("bbRepair");
  name->setText(QString::fromStdString(dir / "missing.zip"));
  EXPECT_FALSE(repair->isEnabled());
  for (const auto& c : cases) {
    qel::test::Bytes bytes = whole;
    c.damage(bytes);
    qel::test::WriteFileBytes(broken, bytes);
    name->setText(QString::fromStdString(broken));
    ASSERT_TRUE(repair->isEnabled());
    repair->click();

    std::vector<std::string> lines = {"Broken File: " + broken + "||",
                                      "Fixed File: " + fixed + "||", kRule + "||"};
    lines.insert(lines.end(), c.found.begin(), c.found.end());
    lines.insert(lines.end(), {kRule + "||", c.summary});
    EXPECT_EQ(Dump(dialog.Lines()), lines);
    RunToolOk({"unzip", "-tq", fixed});
  }
}

TEST(RepairDialogTest, AFailedRepairEndsWithTheReasonNotASummary) {
  TestFolder dir;
  // The output name is taken by a folder, so the rescued archive cannot be created.
  qel::test::WriteFileText(dir / "x.zip", "PK\x03\x04 not much of an archive");
  std::filesystem::create_directory(dir / "x_VorelFixed.zip");
  TfrmRepair dialog;
  dialog.findChild<QLineEdit*>("edArcName")->setText(QString::fromStdString(dir / "x.zip"));
  dialog.Repair();
  const std::vector<TReportLine> lines = dialog.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().Colour, QColor(Qt::red));
  EXPECT_FALSE(lines.back().Text.contains("files were OK"));
}

}  // namespace
}  // namespace vk::gui
