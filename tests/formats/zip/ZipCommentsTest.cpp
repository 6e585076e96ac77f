// Enciphered headers and comment editing: what the writer does beyond compressing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/list/Quell.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipTail.h"
#include "formats/zip/ZipWriter.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// Writes in/a.txt and in/b.txt into a.zip.
void MakeArchive(const TestFolder& dir, bool encipherHeaders) {
  fs::create_directories(dir / "in");
  WriteFileText(dir / "in/a.txt", "first\n");
  WriteFileText(dir / "in/b.txt", std::string(5000, 'b'));
  TZip zip;
  zip.SetArchiveFile(dir / "a.zip");
  zip.SetTempDir(dir.Path());
  zip.EncryptHeaders = encipherHeaders;
  zip.FileSpec = {dir / "in/*"};
  zip.StoredDirNames = TStoredDirNames::sdNone;
  ASSERT_EQ(zip.Compress(), 2);
}

TEST(ZipWriterHeaders, EncipheredHeadersReadBackWithTheSeed) {
  TestFolder dir;
  MakeArchive(dir, true);
  const Bytes zip = ReadFileBytes(dir / "a.zip");
  // No plain record signature is left; the names are not in clear either.
  const std::string text(zip.begin(), zip.end());
  EXPECT_EQ(text.find("PK\x03\x04"), std::string::npos);
  EXPECT_EQ(text.find("a.txt"), std::string::npos);

  TUnZip reader;
  int passed = 0;
  reader.OnEnd = [&](TZipCommon&, const WideString&, bool pass) { passed += pass; };
  reader.SetArchiveFile(dir / "a.zip");
  reader.SetExtractDir(dir / "out");
  EXPECT_EQ(reader.Extract(), 2);
  EXPECT_EQ(passed, 2);
  EXPECT_EQ(ReadFileBytes(dir / "out/b.txt"), ReadFileBytes(dir / "in/b.txt"));
}

TEST(ZipWriterComments, ArchiveCommentAloneKeepsEveryByteBeforeTheEndRecord) {
  TestFolder dir;
  MakeArchive(dir, false);
  const Bytes before = ReadFileBytes(dir / "a.zip");
  TZip zip;
  zip.SetArchiveFile(dir / "a.zip");
  ASSERT_EQ(zip.BeginCommentEdit(), 2);
  zip.ArchiveComment = std::string(70000, 'c');  // more than the field holds: cut
  zip.ArchiveCommentChanged = true;
  ASSERT_TRUE(zip.EndCommentEdit(true));
  const Bytes after = ReadFileBytes(dir / "a.zip");
  ASSERT_EQ(after.size(), before.size() + 65535);
  EXPECT_TRUE(std::equal(before.begin(), before.end() - 22, after.begin()));
  if (RequireTool("unzip")) {
    EXPECT_TRUE(RunToolOk({"unzip", "-tq", dir / "a.zip"}));
  }

  TQuell quell;
  quell.SetArchiveFile(dir / "a.zip");
  EXPECT_EQ(zip::ZipTail(quell).Comment, std::string(65535, 'c'));
}

TEST(ZipWriterComments, EntryCommentsRewriteOnlyTheDirectory) {
  TestFolder dir;
  MakeArchive(dir, false);
  const Bytes before = ReadFileBytes(dir / "a.zip");
  TZip zip;
  zip.SetArchiveFile(dir / "a.zip");
  const int64_t directory = [&] {
    TQuell q;
    q.SetArchiveFile(dir / "a.zip");
    return q.HeaderOffset();
  }();
  ASSERT_EQ(zip.BeginCommentEdit(), 2);
  WideString name;
  std::string comment;
  ASSERT_TRUE(zip.GetEntryComment(1, name, comment));
  EXPECT_EQ(name, "b.txt");
  EXPECT_TRUE(comment.empty());
  ASSERT_TRUE(zip.SetEntryComment(1, "about b"));
  EXPECT_TRUE(zip.CommentsChanged());
  ASSERT_TRUE(zip.EndCommentEdit(true));
  const Bytes after = ReadFileBytes(dir / "a.zip");
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + directory, after.begin()));
  if (RequireTool("unzip")) {
    EXPECT_TRUE(RunToolOk({"unzip", "-tq", dir / "a.zip"}));
  }

  ASSERT_EQ(zip.BeginCommentEdit(), 2);
  ASSERT_TRUE(zip.GetEntryComment(1, name, comment));
  EXPECT_EQ(comment, "about b");
  // Nothing changed: nothing is written.
  EXPECT_TRUE(zip.EndCommentEdit(true));
  EXPECT_EQ(ReadFileBytes(dir / "a.zip"), after);
}

}  // namespace
}  // namespace qel::test
