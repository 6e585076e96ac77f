// The scanner on real trees: what it takes, what it must never take, and in what order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/scan/FileScan.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel {
namespace {

using A = TqelFileAttribute;
using Names = std::vector<std::string>;

class FileScanTest : public ::testing::Test {
 protected:
  void Make(const Names& paths) {  // a name ending in "/" is a folder
    test::Tree tree;
    for (const std::string& p : paths) tree[p] = p;
    test::MakeTree(dir.Path(), tree);
  }
  // What the scan took, relative to the scratch folder; folder entries end with "/".
  Names Run(TqelFileScan& s) {
    if (s.FileSpec.empty()) s.FileSpec = {dir / "*"};
    s.OnError = [this](TqelFileScan&, const WideString& f, int code) {
      errors.push_back(f.substr(dir.Path().size() + 1) + " " + std::to_string(code));
    };
    s.Scan();
    Names out;
    for (const TFileObject& f : s.Files())
      out.push_back(f.FileName.substr(dir.Path().size() + 1) + (f.IsFolder ? "/" : ""));
    return out;
  }
  test::TestFolder dir;
  Names errors;
};

TEST_F(FileScanTest, NeverFollowsLinksToFoldersNorTakesSpecialFiles) {
  Make({"a.txt", ".h.txt", ".git/cfg", "sub/b.txt", "sub/.cache/c.txt"});
  ASSERT_EQ(symlink("..", (dir / "sub/loop").c_str()), 0);
  ASSERT_EQ(symlink("a.txt", (dir / "link.txt").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // reading it would block for ever
  struct {
    bool hiddenDirs;
    TqelFileAttributes ex;
    Names expected;
  } cases[] = {
      {false, {A::fsReparsePoints}, {".h.txt", "a.txt", "sub/b.txt"}},
      {true,
       {A::fsReparsePoints},
       {".h.txt", "a.txt", ".git/cfg", "sub/b.txt", "sub/.cache/c.txt"}},
      {false, {}, {".h.txt", "a.txt", "link.txt", "sub/b.txt"}},
  };
  for (const auto& c : cases) {
    TqelFileScan s;
    s.IncludeHiddenDirs = c.hiddenDirs;
    s.AttributesEx = c.ex;
    EXPECT_EQ(Run(s), c.expected) << c.hiddenDirs;
  }
  TqelFileScan s;
  s.AttributesEx = {};
  s.FileSpec = {dir / "link.txt"};
  Run(s);  // a link to a file stands for the file
  ASSERT_EQ(s.FilesCount(), 1);
  EXPECT_EQ(s.FilesSize(), 5);
  EXPECT_EQ(s.Files()[0].Attr, 0x420u);
  EXPECT_TRUE(errors.empty());
}

// A folder is empty when no file at all lies in it or below: one holding only files the
// masks leave out is not (adding one file must not bring its neighbours' folders along).
TEST_F(FileScanTest, EmptyFoldersAreListedWhenNoFileLiesBelow) {
  Make({"deep/x/f.txt", "e1/", "e2/e3/", "full/f.txt", "other/y.c"});
  TqelFileScan s;
  s.IncludeEmptyDirs = true;
  s.FileSpec = {dir / "*.txt"};
  EXPECT_EQ(Run(s), (Names{"deep/x/f.txt", "e1/", "e2/", "e2/e3/", "full/f.txt"}));
  EXPECT_EQ(s.FilesCount(), 2);
}

TEST_F(FileScanTest, GroupsFileSpecByFolderAndMovesRootDir) {
  Make({"sub1/a.txt", "sub1/n.md", "sub1/z.c", "sub1/deep/c.txt", "sub2/x.c", "sub2/b.txt"});
  std::string backslashed = dir / "sub1/*.MD";
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  TqelFileScan s;
  s.RootDir = dir.Path();
  s.FileSpec = {dir / "sub1/*.txt", dir / "sub2/*.c", "  ", backslashed, "b.txt"};
  Names roots;
  int finished = 0, lastCount = 0;
  s.OnRootDirChange = [&](TqelFileScan&, const WideString& d) { roots.push_back(d); };
  s.OnScanFile = [&](TqelFileScan&, const WideString&, int n, int64_t) { lastCount = n; };
  s.OnFinished = [&](TqelFileScan&, int n, int64_t) { finished += n == lastCount; };
  // "b.txt" has no folder: it is looked for where the previous group left RootDir.
  EXPECT_EQ(Run(s),
            (Names{"sub1/a.txt", "sub1/n.md", "sub1/deep/c.txt", "sub2/x.c", "sub2/b.txt"}));
  EXPECT_EQ(roots, (Names{dir / "sub1", dir / "sub2", dir / "sub2"}));
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(s.FileSpec.empty());
}

TEST_F(FileScanTest, AttributeFilter) {
  Make({"rw.txt", "ro.txt", ".h.txt"});
  chmod((dir / "ro.txt").c_str(), 0444);
  struct {
    TqelFileAttributes in, ex;
    Names expected;
  } cases[] = {
      {{A::fsReadOnly}, {}, {"ro.txt"}},
      {{A::fsHidden}, {}, {".h.txt"}},
      {TqelFileScan().Attributes, {A::fsReadOnly, A::fsHidden}, {"rw.txt"}},
  };
  for (const auto& c : cases) {
    TqelFileScan s;
    s.Attributes = c.in;
    s.AttributesEx = c.ex;
    EXPECT_EQ(Run(s), c.expected);
  }
}

TEST_F(FileScanTest, ExcludedFilesAreKnownByInodeWhateverTheSpelling) {
  Make({"a.txt", "arc.zip", "sub/"});
  ASSERT_EQ(link((dir / "arc.zip").c_str(), (dir / "hard.zip").c_str()), 0);
  ASSERT_EQ(symlink("arc.zip", (dir / "soft.zip").c_str()), 0);
  TqelFileScan s;
  s.AttributesEx = {};
  s.ExcludedFiles = {dir / "sub/../arc.zip", dir / "missing.tmp"};
  EXPECT_EQ(Run(s), Names{"a.txt"});
}

TEST_F(FileScanTest, DepthLimitAndCancel) {
  Make({"a/f1.txt", "a/b/f2.txt", "a/b/c/d/f3.txt"});
  TqelFileScan s;
  s.MaxDepth = 2;
  EXPECT_EQ(Run(s), (Names{"a/f1.txt", "a/b/f2.txt"}));
  EXPECT_EQ(errors, Names{"a/b/c " + std::to_string(msg::TooManyNestedDirs)});

  TqelFileScan c;
  c.Cancelled = [&] { return c.FilesCount() > 0; };
  int finished = 0;
  c.OnFinished = [&](TqelFileScan&, int, int64_t) { ++finished; };
  EXPECT_EQ(Run(c), Names{"a/f1.txt"});
  EXPECT_EQ(finished, 1);
}

}  // namespace
}  // namespace qel
