// Output folders kept open from one entry to the next, and what that must not change.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "engine/extract/SafeFiles.h"
#include "tests/engine/extract/TestReader.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// The inode a descriptor and a path name, for telling that they are the same folder.
ino_t InodeOf(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}
ino_t InodeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(ExtractFolderCache, EachAnswerIsTheFolderAskedForAndLinksAreNoWayThrough) {
  TestFolder scratch;
  fs::create_directories(scratch / "elsewhere");
  fs::create_directories(scratch / "root/a");
  fs::create_symlink(scratch / "elsewhere", scratch / "root/a/link");
  TFolderCache cache;
  const std::string root = scratch / "root";
  // Deeper, back up, sideways, the root itself, and through a link below a kept folder.
  for (const std::string rel : {"a/b/c", "a/b/c", "a/b", "a/x/y", "", "a//b/", "a/link/z"}) {
    const int fd = cache.Open(root, rel);
    if (rel == "a/link/z") {
      EXPECT_EQ(fd, -1);
      EXPECT_TRUE(errno == ELOOP || errno == ENOTDIR) << errno;
      continue;
    }
    ASSERT_GE(fd, 0) << rel;
    EXPECT_EQ(InodeOf(fd), InodeOf(fs::path(root + "/" + rel).lexically_normal().string())) << rel;
  }
  EXPECT_TRUE(fs::is_empty(scratch / "elsewhere"));
  // A new root is walked afresh.
  fs::create_directories(scratch / "root2");
  EXPECT_EQ(InodeOf(cache.Open(scratch / "root2", "")), InodeOf(scratch / "root2"));
}

TEST(ExtractFolderCache, FilesInOneFolderGetTheirOwnModes) {
  mode_t saved = umask(022);
  // 0644 is what a new file gets here: some need no change, the others do.
  const std::vector<std::pair<std::string, mode_t>> cases = {
      {"d/a", 0644}, {"d/b", 0600}, {"d/c", 0755}, {"d/e", 0644}, {"f/g", 0640}, {"f/h", 0644}};
  TestFolder scratch;
  TestReader reader;
  for (const auto& [name, mode] : cases) {
    TUnEntry& e = reader.Add(name, "x");
    e.HostSystem = 3;
    e.ExternalAttr = uint32_t(0100000 | mode) << 16;
  }
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");
  EXPECT_EQ(reader.Extract(), int(cases.size()));
  umask(saved);
  for (const auto& [name, mode] : cases) {
    struct stat st {};
    ASSERT_EQ(::stat((scratch / "out/" + name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 07777, mode) << name;
  }
}

TEST(ExtractFolderCache, AFolderRemovedDuringTheOperationIsMadeAgain) {
  TestFolder scratch;
  TestReader reader;
  reader.Add("d/a", "1");
  reader.Add("d/b", "2");
  reader.Add("d/c", "3");
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");
  reader.OnBegin = [&](TZipCommon&, const WideString& name, int, bool&) {
    if (name == "d/b") fs::remove_all(scratch / "out/d");
  };
  EXPECT_EQ(reader.Extract(), 3);
  EXPECT_TRUE(reader.Codes().empty());
  EXPECT_FALSE(fs::exists(scratch / "out/d/a"));
  EXPECT_EQ(ReadFileText(scratch / "out/d/b"), "2");
  EXPECT_EQ(ReadFileText(scratch / "out/d/c"), "3");
}

}  // namespace
}  // namespace qel::test
