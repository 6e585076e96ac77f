#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "engine/streams/FileStream32.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel {
namespace {

using test::ReadFileText;
using test::TestFolder;
using test::WriteFileText;

// Opens and expects failure with `err`.
void ExpectOpenFails(const std::string& path, uint16_t mode, int err) {
  errno = 0;
  EXPECT_EQ(TFileStream32::Open(path, mode), nullptr) << path;
  EXPECT_EQ(errno, err) << path;
}

TEST(StreamsFile, OpenFailuresAreAnsweredNotThrown) {
  TestFolder dir;
  ExpectOpenFails(dir / "missing", fmOpenRead, ENOENT);
  ExpectOpenFails("", fmOpenRead, ENOENT);
  ExpectOpenFails(dir.Path(), fmOpenRead, EISDIR);
  ExpectOpenFails(dir.Path(), fmCreate, EISDIR);
  ExpectOpenFails(dir / "no/such/folder", fmCreate, ENOENT);
  WriteFileText(dir / "a", "x");
  ExpectOpenFails(dir / "a", 0x0003, EINVAL);

  // A FIFO would block a reader for ever; it is refused without waiting for a writer.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  ExpectOpenFails(dir / "fifo", fmOpenRead, EINVAL);
  ExpectOpenFails(dir / "fifo", fmCreate, EINVAL);
}

TEST(StreamsFile, CreateReplacesContentButNeverWritesThroughALink) {
  TestFolder dir;
  WriteFileText(dir / "a", "old content");
  {
    auto s = TFileStream32::Open(dir / "a", fmCreate);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Size(), 0);
    EXPECT_TRUE(s->WriteFully("new", 3));
    EXPECT_EQ(s->FileName(), dir / "a");
    EXPECT_NE(::fcntl(s->Handle(), F_GETFD) & FD_CLOEXEC, 0);
  }
  EXPECT_EQ(ReadFileText(dir / "a"), "new");

  ASSERT_EQ(::symlink("a", (dir / "link").c_str()), 0);
  ExpectOpenFails(dir / "link", fmCreate, ELOOP);
  EXPECT_EQ(ReadFileText(dir / "a"), "new");
  // Reading follows the link: an archive may well be reached through one.
  EXPECT_NE(TFileStream32::Open(dir / "link", fmOpenRead), nullptr);
}

TEST(StreamsFile, ModesGiveTheirAccessAndIgnoreShareBits) {
  TestFolder dir;
  WriteFileText(dir / "a", "abc");
  auto reader = TFileStream32::Open(dir / "a", fmOpenRead | 0x0040);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Write("z", 1), 0);

  auto writer = TFileStream32::Open(dir / "a", fmOpenWrite | 0x0020);
  ASSERT_NE(writer, nullptr);
  char c;
  EXPECT_EQ(writer->Read(&c, 1), 0);
  EXPECT_EQ(writer->Write("z", 1), 1);

  auto both = TFileStream32::Open(dir / "a", fmOpenReadWrite);
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(both->Read(&c, 1), 1);
  EXPECT_EQ(c, 'z');
  EXPECT_EQ(both->Write("y", 1), 1);
  EXPECT_EQ(ReadFileText(dir / "a"), "zyc");
}

TEST(StreamsFile, ReadsAtAndAfterTheEndMoveNothing) {
  TestFolder dir;
  WriteFileText(dir / "a", "abc");
  auto s = TFileStream32::Open(dir / "a", fmOpenRead);
  ASSERT_NE(s, nullptr);
  char buf[8];
  EXPECT_EQ(s->Read(buf, 8), 3);
  EXPECT_EQ(s->Read(buf, 8), 0);
  EXPECT_EQ(s->Seek(100, TSeekOrigin::soBeginning), 100);
  EXPECT_EQ(s->Read(buf, 8), 0);
  EXPECT_EQ(s->Seek(-1, TSeekOrigin::soBeginning), -1);
  EXPECT_EQ(s->Seek(-2, TSeekOrigin::soEnd), 1);
  EXPECT_EQ(s->Read(buf, 8), 2);
  EXPECT_FALSE(s->ReadExactAt(2, buf, 2));
  EXPECT_TRUE(s->ReadExactAt(1, buf, 2));
  EXPECT_EQ(std::string(buf, 2), "bc");
  EXPECT_EQ(s->Read(buf, 0), 0);
  EXPECT_EQ(s->Read(buf, -5), 0);
}

TEST(StreamsFile, PositionsBeyondFourGiBOnASparseFile) {
  TestFolder dir;
  constexpr int64_t k4G = int64_t(4) << 30;
  constexpr int64_t k5G = int64_t(5) << 30;
  auto s = TFileStream32::Open(dir / "big", fmCreate);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->SetSize(k5G));
  EXPECT_EQ(s->Size(), k5G);
  EXPECT_EQ(s->Seek(0, TSeekOrigin::soEnd), k5G);

  ASSERT_TRUE(s->SetPosition(k5G - 4));
  EXPECT_EQ(s->Write("tail", 4), 4);
  EXPECT_EQ(s->Position(), k5G);
  ASSERT_TRUE(s->SetPosition(k4G + 7));
  EXPECT_EQ(s->Write("mid", 3), 3);
  EXPECT_EQ(s->Size(), k5G);

  char buf[8] = {};
  EXPECT_TRUE(s->ReadExactAt(k5G - 4, buf, 4));
  EXPECT_EQ(std::string(buf, 4), "tail");
  EXPECT_TRUE(s->ReadExactAt(k4G + 6, buf, 5));
  EXPECT_EQ(std::string(buf, 5), std::string("\0mid\0", 5));
  // The 32-bit wrap of the position would land here.
  EXPECT_TRUE(s->ReadExactAt(7, buf, 3));
  EXPECT_EQ(std::string(buf, 3), std::string(3, '\0'));
  EXPECT_EQ(s->ReadAt(k5G - 2, buf, 8), 2);

  ASSERT_TRUE(s->SetPosition(k5G + 10));
  EXPECT_EQ(s->Write("x", 1), 1);
  EXPECT_EQ(s->Size(), k5G + 11);
}

TEST(StreamsFile, ProgressHookCountsReadsUnlessSuspended) {
  TestFolder dir;
  WriteFileText(dir / "a", std::string(100, 'x'));
  auto s = TFileStream32::Open(dir / "a", fmOpenReadWrite);
  ASSERT_NE(s, nullptr);
  int64_t remaining = 100;
  int calls = 0;
  s->Progress.Attach(&remaining, [&] { ++calls; });
  char buf[64];

  EXPECT_EQ(s->Read(buf, 30), 30);
  EXPECT_EQ(remaining, 70);
  EXPECT_EQ(calls, 1);
  {
    TProgressSuspend outer(s->Progress);
    {
      TProgressSuspend inner(s->Progress);
      EXPECT_EQ(s->Read(buf, 10), 10);
    }
    EXPECT_EQ(s->Read(buf, 10), 10);
  }
  EXPECT_EQ(remaining, 70);
  EXPECT_EQ(calls, 1);

  EXPECT_EQ(s->Read(buf, 64), 50);
  EXPECT_EQ(s->Read(buf, 64), 0);  // the end counts nothing and calls nothing
  EXPECT_EQ(remaining, 20);
  EXPECT_EQ(calls, 2);

  EXPECT_EQ(s->Write("abc", 3), 3);  // writes are not the source of an operation
  s->Progress.Detach();
  ASSERT_TRUE(s->SetPosition(0));
  EXPECT_EQ(s->Read(buf, 10), 10);
  EXPECT_EQ(remaining, 20);
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace qel
