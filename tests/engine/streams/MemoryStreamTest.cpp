#include <gtest/gtest.h>

#include <string>

#include "engine/streams/MainCommentStream.h"
#include "engine/streams/MemoryStream32.h"

namespace qel {
namespace {

TEST(StreamsMemory, GrowsLikeAFile) {
  TMemoryStream32 s;
  char buf[16];
  EXPECT_EQ(s.Read(buf, 4), 0);
  EXPECT_EQ(s.Write("abc", 3), 3);
  EXPECT_EQ(s.Seek(6, TSeekOrigin::soBeginning), 6);
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(s.Read(buf, 4), 0);
  EXPECT_EQ(s.Write("z", 1), 1);  // the gap is zero-filled
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Data()), size_t(s.Size())),
            std::string("abc\0\0\0z", 7));

  EXPECT_EQ(s.Seek(-1, TSeekOrigin::soBeginning), -1);
  EXPECT_EQ(s.Position(), 7);
  EXPECT_EQ(s.Seek(INT64_MAX, TSeekOrigin::soCurrent), -1);
  EXPECT_EQ(s.Seek(-2, TSeekOrigin::soEnd), 5);
  EXPECT_EQ(s.Read(buf, 16), 2);

  ASSERT_TRUE(s.SetSize(2));
  EXPECT_EQ(s.Position(), 7);
  EXPECT_EQ(s.Read(buf, 16), 0);
  EXPECT_FALSE(s.SetSize(-1));
  EXPECT_EQ(s.ReadAt(0, buf, 16), 2);
  EXPECT_EQ(std::string(buf, 2), "ab");

  ASSERT_TRUE(s.SetPosition(INT64_MAX - 1));
  EXPECT_EQ(s.Write("xy", 2), 0);  // the end would not fit in a position
  EXPECT_EQ(s.Size(), 2);
}

TEST(StreamsMemory, CommentStreamForgetsItsPositionWhenCleared) {
  TMainCommentStream c;
  EXPECT_EQ(c.CommentPosition, -1);
  c.WriteFully("note", 4);
  c.CommentPosition = 1234;
  TMemoryStream32& base = c;
  base.Clear();
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.Position(), 0);
  EXPECT_EQ(c.CommentPosition, -1);
}

}  // namespace
}  // namespace qel
