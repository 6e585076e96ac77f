// Stored names by mode, and the writer's archive name and default extension.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/compress/StoredNames.h"
#include "formats/zip/ZipWriter.h"

namespace qel {
namespace {

using enum TStoredDirNames;

TEST(StoredNames, EveryMode) {
  TStoredNameBase base;
  base.Folder = "/home/u/src/";
  base.DefaultDir = "/home/u/";
  struct Case {
    TStoredDirNames mode;
    std::string path, stored;
  };
  const std::vector<Case> cases = {
      {sdNone, "/home/u/src/a/b.txt", "b.txt"},
      {sdNone, "/home/u/src/a/", "a/"},
      {sdAbsolute, "/home/u/src/a/b.txt", "/home/u/src/a/b.txt"},
      {sdAbsoluteNoDrv, "/home/u/src/a/b.txt", "/home/u/src/a/b.txt"},
      {sdAbsoluteNoRoot, "/home/u/src/a/b.txt", "home/u/src/a/b.txt"},
      {sdAbsoluteNoRoot, "/home/u/./src/../b.txt", "home/u/b.txt"},
      {sdRelative, "/home/u/src/a/b.txt", "a/b.txt"},
      {sdRelative, "/home/u/src/a/", "a/"},
      // Outside the folder: what follows the ".." that leads out, never absolute.
      {sdRelative, "/elsewhere/b.txt", "elsewhere/b.txt"},
      // Linux names are case-sensitive, and a folder is a whole component.
      {sdRelative, "/home/U/src/b.txt", "U/src/b.txt"},
      {sdRelative, "/home/u/src2/b.txt", "src2/b.txt"},
      {sdRelativeStoreStart, "/home/u/src/a/b.txt", "src/a/b.txt"},
      {sdExplorer_UserDefineDefaultDir, "/home/u/src/a/b.txt", "src/a/b.txt"},
      {sdExplorer_UserDefineDefaultDir, "/home/u/../r/o2/o4.txt", "r/o2/o4.txt"},
      {sdExplorer_Auto, "/opt/x/yyyy/c.txt", "opt/x/yyyy/c.txt"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StoredName(c.path, base, c.mode), c.stored) << int(c.mode) << " " << c.path;

  EXPECT_EQ(CommonSpecFolder({"/a/b/c/*.txt", "/a/b/d/*", "/a/bx/e"}), "/a/");
  EXPECT_EQ(CommonSpecFolder({"/a/b/*.txt", "/a/b/*.c"}), "/a/b/");
  EXPECT_EQ(CommonSpecFolder({"*.txt"}), "");
}

TEST(StoredNames, ArchiveNameFollowsDefaultExt) {
  TZip zip;
  zip.SetArchiveFile("/tmp/backup");
  EXPECT_EQ(zip.ArchiveFile(), "/tmp/backup.zip");
  zip.SetDefaultExt("JARX");  // a dot added, four characters kept, lower-cased
  EXPECT_EQ(zip.DefaultExt(), ".jar");
  EXPECT_EQ(zip.ArchiveFile(), "/tmp/backup.jar");
  zip.SetDefaultExt("");
  EXPECT_EQ(zip.DefaultExt(), ".zip");
  EXPECT_EQ(zip.ArchiveFile(), "/tmp/backup.zip");
  zip.SetArchiveFile("/tmp/data.bin");
  zip.SetDefaultExt(".cab");  // another extension than the default one stays
  EXPECT_EQ(zip.ArchiveFile(), "/tmp/data.bin");
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_FALSE(zip.SetCompressMethod(TCompressMethod::cmLzx));
  TJar jar;
  EXPECT_FALSE(jar.SetCompressMethod(TCompressMethod::cmBz2));
  EXPECT_EQ(jar.DefaultExt(), ".jar");
}

}  // namespace
}  // namespace qel
