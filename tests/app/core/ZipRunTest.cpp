// TZipRun with a launcher that only watches: the entry lands in a private folder of its own
// and is handed over as the run's settings say.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#include "app/core/ZipRun.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

using qel::test::WriteFileText;

class ZipRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string src = folder_ / "src";
    std::filesystem::create_directories(src + "/docs");
    std::filesystem::create_directories(folder_ / "tmp");
    WriteFileText(src + "/a.txt", "root a");
    WriteFileText(src + "/docs/a.txt", "docs a");
    WriteFileText(src + "/docs/readme.txt", "read me");
  }
  bool MakeZip() {
    return qel::test::RunToolOk({"zip", "-q", "-r", folder_ / "t.zip", "."}, folder_ / "src");
  }
  TZipRun Run(const std::string& entry) {
    TZipRun run;
    run.ArchiveFile = folder_ / "t.zip";
    run.ArcType = qel::atZip;
    run.TempDir = folder_ / "tmp";
    run.FileSpec = {entry};
    run.Launcher = [this](const TLaunch& launch, QString& error) {
      launches_.push_back(launch);
      error = failure_;
      return failure_.isEmpty();
    };
    return run;
  }
  static QString Read(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }

  qel::test::TestFolder folder_;
  std::vector<TLaunch> launches_;
  QString failure_;
};

TEST_F(ZipRunTest, TheEntryLandsInAPrivateFolderAndGoesToTheDesktopsProgram) {
  VK_REQUIRE_TOOL("zip");
  ASSERT_TRUE(MakeZip());
  TZipRun run = Run("docs/readme.txt");
  QString before;
  run.OnBeforeExecute = [&before](TZipRun&, const QString& file, bool&) { before = file; };
  ASSERT_TRUE(run.Run());
  const QFileInfo folder(run.ExtractFolder().chopped(1));
  EXPECT_EQ(folder.absolutePath(), QString::fromStdString(folder_ / "tmp"));
  EXPECT_TRUE(folder.fileName().startsWith("$$_"));
  struct stat st {};
  ASSERT_EQ(::stat(folder.filePath().toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(run.ExtractedFile(), run.ExtractFolder() + "docs/readme.txt");
  EXPECT_EQ(before, run.ExtractedFile());
  EXPECT_EQ(Read(run.ExtractedFile()), "read me");
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].File, run.ExtractedFile());
  EXPECT_TRUE(launches_[0].Program.isEmpty());
  EXPECT_TRUE(launches_[0].Wait);
  // Every run has a folder of its own.
  TZipRun again = Run("docs/readme.txt");
  ASSERT_TRUE(again.Run());
  EXPECT_NE(again.ExtractFolder(), run.ExtractFolder());
}

TEST_F(ZipRunTest, ARootEntryIsNotTakenFromASubfolder) {
  VK_REQUIRE_TOOL("zip");
  ASSERT_TRUE(MakeZip());
  TZipRun run = Run("a.txt");
  ASSERT_TRUE(run.Run());
  EXPECT_EQ(run.ExtractedFile(), run.ExtractFolder() + "a.txt");
  EXPECT_EQ(Read(run.ExtractedFile()), "root a");
  EXPECT_FALSE(QFileInfo::exists(run.ExtractFolder() + "docs"));
}

TEST_F(ZipRunTest, AViewerProgramGetsTheFileAndMayNotBeWaitedFor) {
  VK_REQUIRE_TOOL("zip");
  ASSERT_TRUE(MakeZip());
  TZipRun run = Run("docs/a.txt");
  run.OpenMethod = TOpenMethod::omOpenWithFile;
  run.CommandLineParams = "/usr/bin/viewer";
  run.ExecutionMethod = TExecutionMethod::emExecuteNoWait;
  ASSERT_TRUE(run.Run());
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].Program, "/usr/bin/viewer");
  EXPECT_EQ(launches_[0].Arguments, QStringList({run.ExtractedFile()}));
  EXPECT_FALSE(launches_[0].Wait);
}

TEST_F(ZipRunTest, NothingIsHandedOverWhenStoppedMissingOrUnreadable) {
  VK_REQUIRE_TOOL("zip");
  ASSERT_TRUE(MakeZip());
  TZipRun vetoed = Run("a.txt");
  vetoed.OnBeforeExecute = [](TZipRun&, const QString&, bool& go) { go = false; };
  EXPECT_FALSE(vetoed.Run());
  EXPECT_FALSE(Run("missing.txt").Run());
  TZipRun noReader = Run("a.txt");
  noReader.ArcType = qel::atNA;
  EXPECT_FALSE(noReader.Run());
  EXPECT_TRUE(launches_.empty());
  failure_ = "No such program";
  TZipRun failing = Run("a.txt");
  EXPECT_FALSE(failing.Run());
  EXPECT_EQ(failing.LaunchError(), failure_);
}

}  // namespace
}  // namespace vk::app
