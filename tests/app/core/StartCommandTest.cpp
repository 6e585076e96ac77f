// The start-up command line: every switch with its parameters, the shell integration's
// escapes, and the hand-over between two starts.
#include <gtest/gtest.h>

#include <QDir>

#include "app/core/StartCommand.h"

namespace vk::app {
namespace {

using S = TStartSwitch;

TEST(StartCommand, EverySwitchAndItsParameters) {
  struct Case {
    QStringList params;
    S expected;
    bool hidden;
    QString target;
    QStringList files;
    QString archive;
  } cases[] = {
      {{}, S::None, false, {}, {}, {}},
      {{"/ur"}, S::UnregisterAssociations, true, {}, {}, {}},
      {{"-SA"}, S::SelectLanguage, true, {}, {}, {}},
      {{"/s", "my>set.zip"}, S::MakeSelfExtractor, true, {}, {}, "my set.zip"},
      {{"/e", "out>dir", "a.zip;b.zip|c.zip"},
       S::ExtractWithDialog,
       true,
       "out dir",
       {"a.zip", "b.zip", "c.zip"},
       {}},
      // Each parameter is an item of its own, as a shell or a desktop hands files over.
      {{"-eh", "/tmp", "one", "two.zip"}, S::ExtractHere, true, "/tmp", {"one", "two.zip"}, {}},
      {{"/ad", "f1", "my>f2;f3"}, S::AddDirectly, true, {}, {"f1", "my f2", "f3"}, {}},
      {{"/EF", "/tmp", "a;;b"}, S::ExtractToFolders, true, "/tmp", {"a", "", "b"}, {}},
      {{"/t", "x>y.zip"}, S::Test, true, {}, {}, "x y.zip"},
      {{"/cv", "a.arj|b.lzh"}, S::Convert, true, {}, {"a.arj", "b.lzh"}, {}},
      {{"/af"}, S::AddFromListFile, true, {}, {}, {}},
      {{"/adf"}, S::AddFromListFileDirectly, true, {}, {}, {}},
      {{"/a", "f1;f2"}, S::Add, true, {}, {"f1", "f2"}, {}},
      {{"/ad", "f1"}, S::AddDirectly, true, {}, {"f1"}, {}},
      {{"/x"}, S::OpenArchive, false, {}, {}, {}},  // unknown switches are archive names
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params.join(' ').toStdString());
    TStartCommand cmd = ParseCommandLine(c.params, false);
    EXPECT_EQ(cmd.Switch, c.expected);
    EXPECT_EQ(cmd.Hidden, c.hidden);
    EXPECT_EQ(cmd.ExtractTarget, c.target);
    EXPECT_EQ(cmd.CommandFileList, c.files);
    EXPECT_EQ(cmd.Archive, c.archive);
  }
}

TEST(StartCommand, ArchivesToOpen) {
  TStartCommand plain = ParseCommandLine({" my>archive.zip "}, false);
  EXPECT_EQ(plain.Switch, S::OpenArchive);
  EXPECT_FALSE(plain.Hidden);
  EXPECT_EQ(plain.StartupArchive, "my archive.zip");
  EXPECT_EQ(ParseCommandLine({"-ow", "setup>x.exe"}, false).StartupArchive, "setup x.exe");

  // With DCExtract on, a plain name extracts beside the archive without the window.
  TStartCommand dc = ParseCommandLine({"/data/a.zip"}, true);
  EXPECT_EQ(dc.Switch, S::DoubleClickExtract);
  EXPECT_TRUE(dc.Hidden);
  EXPECT_EQ(dc.ExtractTarget, "/data");
  EXPECT_EQ(dc.CommandFileList, QStringList{"/data/a.zip"});
}

TEST(StartCommand, HandOverBetweenStarts) {
  EXPECT_EQ(HandOverCommandLine({"/home/me/My Files/a.zip"}), "\"/home/me/My Files/a.zip\"");
  EXPECT_EQ(HandOverCommandLine({"/e", "out", "b c.zip"}), "/e out \"b c.zip\"");
  EXPECT_EQ(HandOverCommandLine({}), "");
  // Long command lines are carried whole.
  const QString longName = QString(600, 'n') + ".zip";
  EXPECT_EQ(HandOverCommandLine({longName}), longName);

  EXPECT_EQ(ReceivedArchiveName(" \"/a b/c.zip\" ", "/else"), "/a b/c.zip");
  EXPECT_EQ(ReceivedArchiveName("sub/c.zip", "/home/me"), "/home/me/sub/c.zip");
  EXPECT_EQ(ReceivedArchiveName("", "/home/me"), "");
}

}  // namespace
}  // namespace vk::app
