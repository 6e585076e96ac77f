#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cerrno>
#include <regex>
#include <string>

#include "engine/streams/TempStreams.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel {
namespace {

using test::ReadFileText;
using test::TestFolder;
using test::WriteFileText;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode;
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::unique_ptr<TTempFileStream> TempWith(const std::string& folder, const std::string& text) {
  auto t = TTempFileStream::Create(folder);
  EXPECT_NE(t, nullptr);
  if (t) {
    EXPECT_TRUE(t->WriteFully(text.data(), int64_t(text.size())));
  }
  return t;
}

// Makes every write beyond `limit` bytes of a file fail with EFBIG: a disk that fills up
// half-way through a commit, which works even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_;
};

// A folder on another file system than the tests' scratch folders, for the copying commit;
// empty when there is none.
std::string OtherFileSystem() {
  struct stat work, shm;
  if (::stat(VK_TEST_WORK_DIR, &work) != 0 || ::stat("/dev/shm", &shm) != 0 ||
      work.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
    return {};
  }
  return "/dev/shm";
}

TEST(StreamsTemp, TemporaryFileIsPrivateUniqueAndDroppedUnlessCommitted) {
  TestFolder dir;
  std::string first, second;
  {
    auto a = TTempFileStream::Create(dir.Path() + "/");
    auto b = TTempFileStream::Create(dir.Path());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    first = a->FileName();
    second = b->FileName();
    EXPECT_NE(first, second);
    EXPECT_TRUE(
        first.starts_with(dir.Path() + "/") &&
        std::regex_match(first.substr(dir.Path().size() + 1), std::regex("\\$\\$_[^/]{6}\\.tmp")))
        << first;
    EXPECT_EQ(ModeOf(first) & 07777, 0600u);
    EXPECT_TRUE(a->WriteFully("data", 4));
  }
  EXPECT_FALSE(Exists(first));
  EXPECT_FALSE(Exists(second));

  errno = 0;
  EXPECT_EQ(TTempFileStream::Create(dir / "missing"), nullptr);
  EXPECT_EQ(errno, ENOENT);
}

// What a killed process left goes when the next temporary archive is made; what is young,
// locked by a live writer, or not ours by name stays.
TEST(StreamsTemp, StaleTemporaryFilesAreRemovedWhenUnlockedAndOld) {
  TestFolder dir;
  const time_t old = ::time(nullptr) - 3600;
  const utimbuf oldTimes{old, old};
  for (const char* name : {"$$_stale1.tmp", "$$_held01.tmp", "$$_young1.tmp", "other.tmp"}) {
    WriteFileText(dir / name, "x");
    if (std::string(name) != "$$_young1.tmp") ::utime((dir / name).c_str(), &oldTimes);
  }
  const int held = ::open((dir / "$$_held01.tmp").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  ASSERT_NE(TTempFileStream::Create(dir.Path()), nullptr);
  ::close(held);
  EXPECT_FALSE(Exists(dir / "$$_stale1.tmp"));
  for (const char* name : {"$$_held01.tmp", "$$_young1.tmp", "other.tmp"})
    EXPECT_TRUE(Exists(dir / name)) << name;
}

TEST(StreamsTemp, CommitReplacesTheTargetAndKeepsItsMode) {
  TestFolder dir;
  WriteFileText(dir / "a.zip", "old archive");
  ASSERT_EQ(::chmod((dir / "a.zip").c_str(), 0640), 0);
  auto t = TempWith(dir.Path(), "new archive");
  ASSERT_NE(t, nullptr);
  std::string tempName = t->FileName();

  ASSERT_TRUE(t->Commit(dir / "a.zip")) << t->CommitError();
  EXPECT_EQ(t->CommitError(), 0);
  EXPECT_EQ(ReadFileText(dir / "a.zip"), "new archive");
  EXPECT_EQ(ModeOf(dir / "a.zip") & 07777, 0640u);
  EXPECT_FALSE(Exists(tempName));

  EXPECT_FALSE(t->Commit(dir / "b.zip"));  // a committed stream is closed
  EXPECT_EQ(t->CommitError(), EBADF);
  t.reset();
  EXPECT_EQ(ReadFileText(dir / "a.zip"), "new archive");
  EXPECT_EQ(dir.Count(), 1u);
}

TEST(StreamsTemp, CommitKeepsTheOwnerAndSetIdBits) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
  TestFolder dir;
  WriteFileText(dir / "a.zip", "old");
  ASSERT_EQ(::chown((dir / "a.zip").c_str(), 4321, 4322), 0);
  ASSERT_EQ(::chmod((dir / "a.zip").c_str(), 04750), 0);
  auto t = TempWith(dir.Path(), "new");
  ASSERT_NE(t, nullptr);
  ASSERT_TRUE(t->Commit(dir / "a.zip")) << t->CommitError();
  struct stat st {};
  ASSERT_EQ(::stat((dir / "a.zip").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
  EXPECT_EQ(st.st_mode & 07777, 04750u);  // set after the owner, which would clear it
}

TEST(StreamsTemp, NewTargetGetsTheModeOfAnyNewFile) {
  TestFolder dir;
  mode_t saved = ::umask(027);
  auto t = TempWith(dir.Path(), "archive");
  ASSERT_NE(t, nullptr);
  bool ok = t->Commit(dir / "new.zip");
  ::umask(saved);
  ASSERT_TRUE(ok) << t->CommitError();
  EXPECT_EQ(ReadFileText(dir / "new.zip"), "archive");
  EXPECT_EQ(ModeOf(dir / "new.zip") & 07777, 0640u);
}

TEST(StreamsTemp, SymlinkedTargetIsReplacedWhereItPointsAndStaysALink) {
  TestFolder dir;
  ASSERT_EQ(::mkdir((dir / "store").c_str(), 0755), 0);
  WriteFileText(dir / "store/real.zip", "old");
  ASSERT_EQ(::chmod((dir / "store/real.zip").c_str(), 0604), 0);
  ASSERT_EQ(::symlink("store/real.zip", (dir / "link.zip").c_str()), 0);

  auto t = TempWith(dir.Path(), "new");
  ASSERT_NE(t, nullptr);
  ASSERT_TRUE(t->Commit(dir / "link.zip")) << t->CommitError();
  EXPECT_TRUE(S_ISLNK(ModeOf(dir / "link.zip")));
  EXPECT_EQ(ReadFileText(dir / "store/real.zip"), "new");
  EXPECT_EQ(ModeOf(dir / "store/real.zip") & 07777, 0604u);

  // A link to nothing is neither followed nor replaced.
  ASSERT_EQ(::symlink("nowhere.zip", (dir / "dangling.zip").c_str()), 0);
  auto u = TempWith(dir.Path(), "other");
  ASSERT_NE(u, nullptr);
  EXPECT_FALSE(u->Commit(dir / "dangling.zip"));
  EXPECT_EQ(u->CommitError(), ENOENT);
  EXPECT_TRUE(S_ISLNK(ModeOf(dir / "dangling.zip")));
  EXPECT_FALSE(Exists(dir / "nowhere.zip"));
}

TEST(StreamsTemp, FailedCommitKeepsTargetAndTemporaryFile) {
  TestFolder dir;
  ASSERT_EQ(::mkdir((dir / "folder.zip").c_str(), 0755), 0);
  WriteFileText(dir / "folder.zip/inside", "keep");
  auto t = TempWith(dir.Path(), "new");
  ASSERT_NE(t, nullptr);

  EXPECT_FALSE(t->Commit(dir / "folder.zip"));
  EXPECT_EQ(t->CommitError(), EISDIR);
  EXPECT_EQ(ReadFileText(dir / "folder.zip/inside"), "keep");
  EXPECT_FALSE(t->Commit(dir / "missing/a.zip"));
  EXPECT_EQ(t->CommitError(), ENOENT);
  EXPECT_FALSE(t->Commit(""));
  EXPECT_TRUE(Exists(t->FileName()));

  // The temporary archive is still whole, so the commit can be made elsewhere.
  ASSERT_TRUE(t->Commit(dir / "b.zip")) << t->CommitError();
  EXPECT_EQ(ReadFileText(dir / "b.zip"), "new");
}

TEST(StreamsTemp, DiskFullDuringTheCopyLeavesTheOriginalByteIdentical) {
  TestFolder dir;
  const std::string original("original\0bytes", 14);
  WriteFileText(dir / "a.zip", original);
  const std::string big(200000, 'n');

  TTempMemStream mem;
  ASSERT_TRUE(mem.WriteFully(big.data(), int64_t(big.size())));
  bool ok;
  {
    FileSizeLimit limit(65536);
    ok = mem.Commit(dir / "a.zip");
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(mem.CommitError(), EFBIG);
  EXPECT_EQ(ReadFileText(dir / "a.zip"), original);
  EXPECT_EQ(dir.Count(), 1u);  // the half-written sibling is gone
}

TEST(StreamsTemp, DiskFullDuringACopyAcrossFileSystemsLeavesTheOriginalByteIdentical) {
  const std::string other = OtherFileSystem();
  if (other.empty()) GTEST_SKIP() << "no second file system for the copying commit";
  TestFolder dir;
  TestFolder tempDir("temp", other);
  const std::string original("original\0bytes", 14);
  WriteFileText(dir / "a.zip", original);
  const std::string big(200000, 'n');
  auto t = TempWith(tempDir.Path(), big);
  bool ok;
  ASSERT_NE(t, nullptr);
  {
    FileSizeLimit limit(65536);
    ok = t->Commit(dir / "a.zip");
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(t->CommitError(), EFBIG);
  EXPECT_EQ(ReadFileText(dir / "a.zip"), original);
  EXPECT_EQ(dir.Count(), 1u);
  EXPECT_EQ(ReadFileText(t->FileName()), big);
}

TEST(StreamsTemp, CommitAcrossFileSystemsCopiesBesideTheTarget) {
  std::string other = OtherFileSystem();
  if (other.empty()) GTEST_SKIP() << "no second file system for the copying commit";
  TestFolder dir;
  TestFolder tempDir("temp", other);
  WriteFileText(dir / "a.zip", "old");
  ASSERT_EQ(::chmod((dir / "a.zip").c_str(), 0604), 0);
  std::string big(3 * 1024 * 1024 + 17, 'x');
  big[12345] = 'y';
  auto t = TempWith(tempDir.Path(), big);
  ASSERT_NE(t, nullptr);
  int64_t lastDone = 0, total = 0;
  int calls = 0;
  t->OnCopyProgress = [&](int64_t done, int64_t all) {
    EXPECT_GT(done, lastDone);
    lastDone = done;
    total = all;
    ++calls;
  };

  ASSERT_TRUE(t->Commit(dir / "a.zip")) << t->CommitError();
  EXPECT_EQ(ReadFileText(dir / "a.zip"), big);
  EXPECT_EQ(ModeOf(dir / "a.zip") & 07777, 0604u);
  EXPECT_EQ(dir.Count(), 1u);
  EXPECT_EQ(tempDir.Count(), 0u);
  EXPECT_EQ(lastDone, int64_t(big.size()));
  EXPECT_EQ(total, int64_t(big.size()));
  EXPECT_EQ(calls, 4);
}

TEST(StreamsTemp, MemoryArchiveCommitsThroughAFileBesideTheTarget) {
  TestFolder dir;
  WriteFileText(dir / "a.zip", "old");
  ASSERT_EQ(::chmod((dir / "a.zip").c_str(), 0600), 0);
  TTempMemStream mem;
  ASSERT_TRUE(mem.WriteFully("in memory", 9));
  ASSERT_TRUE(mem.Commit(dir / "a.zip")) << mem.CommitError();
  EXPECT_EQ(ReadFileText(dir / "a.zip"), "in memory");
  EXPECT_EQ(ModeOf(dir / "a.zip") & 07777, 0600u);
  EXPECT_EQ(dir.Count(), 1u);

  TTempMemStream empty;
  ASSERT_TRUE(empty.Commit(dir / "empty.zip")) << empty.CommitError();
  EXPECT_EQ(ReadFileText(dir / "empty.zip"), "");
}

}  // namespace
}  // namespace qel
