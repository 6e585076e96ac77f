// The archive test window, offscreen, over archives made by the zip tool.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/AppSettings.h"
#include "app/gui/TestWindow.h"
#include "engine/base/Bytes.h"
#include "engine/base/ZipCommon.h"
#include "tests/app/gui/ReportDump.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipDamage.h"

namespace vk::gui {
namespace {

using qel::test::RunToolOk;
using qel::test::TestFolder;

const std::string kRule(60, '=');

class TestWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = std::make_unique<app::TAppSettings>(QString::fromStdString(dir_ / "Settings.ini"));
    app::UseAppSettings(settings_.get());
  }
  void TearDown() override { app::UseAppSettings(nullptr); }

  // a.txt, docs/ and docs/b.txt, deflated.
  std::string MakeZip() {
    qel::test::WriteFileText(dir_ / "a.txt", std::string(3000, 'a') + "tail of a");
    std::filesystem::create_directory(dir_ / "docs");
    qel::test::WriteFileText(dir_ / "docs/b.txt", "the b file, short");
    RunToolOk({"zip", "-q", "-r", "-X", "t.zip", "a.txt", "docs"}, dir_.Path());
    return dir_ / "t.zip";
  }

  // Shows the window, which starts the test, and waits for its end.
  void RunWindow(TfrmTest& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Finished(); }, 60000));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.findChild<QPushButton*>("bbClose")->isHidden());
    EXPECT_TRUE(window.findChild<QPushButton*>("bbCancel")->isHidden());
  }

  TestFolder dir_;
  std::unique_ptr<app::TAppSettings> settings_;
};

TEST_F(TestWindowTest, ListsEveryFileAndCountsThem) {
  VK_REQUIRE_TOOL("zip");
  const std::string zip = MakeZip();
  const qel::test::Bytes whole = qel::test::ReadFileBytes(zip);
  // A byte of a.txt's deflated data flipped: the entry fails, the other one still passes.
  qel::test::Bytes damaged = whole;
  const size_t local = qel::test::LocalHeaderOf(damaged, "a.txt");
  const size_t data = local + qel::zip::kLocalHeaderSize + 5 + qel::GetU16(&damaged[local + 28]);
  damaged[data + 4] ^= 0x55;

  const std::string head = "Testing Archive: " + zip + "||";
  const struct {
    const char* what;
    qel::test::Bytes bytes;
    int ok, failed;
    std::vector<std::string> lines;
  } cases[] = {
      {"intact",
       whole,
       2,
       0,
       {head, kRule + "||", "Testing: a.txt|OK|", "Testing: docs/b.txt|OK|", kRule + "||",
        "Tested 2 files. -> 2 OK : 0 Failed||#0000ff"}},
      {"damaged data",
       damaged,
       1,
       1,
       {head, kRule + "||", "Testing: a.txt|Failed|#ff0000", "Testing: docs/b.txt|OK|",
        kRule + "||", "Tested 2 files. -> 1 OK : 1 Failed||#0000ff"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qel::test::WriteFileBytes(zip, c.bytes);
    std::vector<int> errors;
    TfrmTest window(QString::fromStdString(zip), qel::atZip, [&](qel::TZipCommon& tester) {
      tester.OnError = [&](qel::TZipCommon&, const qel::WideString&, const qel::WideString&,
                           const qel::WideString&, int code) { errors.push_back(code); };
    });
    RunWindow(window);
    EXPECT_EQ(Dump(window.Lines()), c.lines);
    EXPECT_EQ(window.OkCount(), c.ok);
    EXPECT_EQ(window.FailedCount(), c.failed);
    // The owner's handlers hear about the damage.
    EXPECT_EQ(errors.empty(), c.failed == 0);
  }
}

TEST_F(TestWindowTest, CancelEndsTheTestAndKeepsTheWindowOpen) {
  VK_REQUIRE_TOOL("zip");
  const std::string zip = MakeZip();
  TfrmTest* shown = nullptr;
  TfrmTest window(QString::fromStdString(zip), qel::atZip, [&](qel::TZipCommon& tester) {
    tester.OnBegin = [&](qel::TZipCommon&, const qel::WideString&, int, bool&) {
      shown->findChild<QPushButton*>("bbCancel")->click();
    };
  });
  shown = &window;
  RunWindow(window);
  const std::vector<std::string> lines = Dump(window.Lines());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "--->>> Operation Aborted! <<<---||#ff0000");
  EXPECT_EQ(window.OkCount(), 0);
}

TEST_F(TestWindowTest, AnArchiveTheEngineCannotTestGetsANoteAndNoSummary) {
  const std::string text = dir_ / "notes.txt";
  qel::test::WriteFileText(text, "not an archive");
  TfrmTest window(QString::fromStdString(text), qel::atNA);
  RunWindow(window);
  EXPECT_EQ(Dump(window.Lines()),
            (std::vector<std::string>{"Testing Archive: " + text + "||", kRule + "||",
                                      "Invalid or unsupported archive type for this operation||"}));
}

// Thousands of entries: the lines go into the list in a few batches, not one layout each.
TEST_F(TestWindowTest, ManyEntriesAreListedInBatches) {
  VK_REQUIRE_TOOL("zip");
  std::filesystem::create_directory(dir_ / "many");
  for (int i = 0; i < 3000; ++i)
    qel::test::WriteFileText(dir_ / ("many/f" + std::to_string(i)), "x");
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "-D", "many.zip", "many"}, dir_.Path()));
  TfrmTest window(QString::fromStdString(dir_ / "many.zip"), qel::atZip);
  int appends = 0;
  QObject::connect(window.findChild<QTreeWidget*>("lvTest")->model(),
                   &QAbstractItemModel::rowsInserted, [&appends] { ++appends; });
  RunWindow(window);
  EXPECT_EQ(window.OkCount(), 3000);
  EXPECT_EQ(window.Lines().back().Text, "Tested 3000 files. -> 3000 OK : 0 Failed");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return appends > 0 && window.findChild<QTreeWidget*>("lvTest")->topLevelItemCount() == 3004;
      },
      5000));
  EXPECT_LE(appends, 5);
}

}  // namespace
}  // namespace vk::gui
