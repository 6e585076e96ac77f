#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"
#include "engine/streams/ReadAheadWindow.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel {
namespace {

// Counts the reads that reach the stream.
class CountingStream : public TMemoryStream32 {
 public:
  using TMemoryStream32::TMemoryStream32;
  int64_t Read(void* buffer, int64_t count) override {
    ++Reads;
    return TMemoryStream32::Read(buffer, count);
  }
  int Reads = 0;
};

TEST(StreamsReadAhead, ReadsAreServedFromOneWindowAndCheckedAgainstTheFile) {
  std::vector<uint8_t> bytes(100);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i);
  CountingStream file(bytes);
  TReadAheadWindow window(16);
  window.Use(&file, 100);
  struct Case {
    int64_t pos, count;
    bool ok;
    int reads;  // reads of the stream so far
  };
  const std::vector<Case> cases = {
      {0, 4, true, 1},   {4, 12, true, 1},   // inside the first window
      {14, 4, true, 2},  {10, 2, true, 3},   // across its end, then behind it
      {20, 40, true, 4}, {95, 5, true, 5},   // larger than the window; the file's end
      {96, 5, false, 5}, {-1, 1, false, 5},  // past the end; before the start
      {100, 0, true, 5}, {101, 0, false, 5},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> got(size_t(std::max<int64_t>(c.count, 0)));
    EXPECT_EQ(window.ReadAt(c.pos, got.data(), c.count), c.ok) << c.pos << "+" << c.count;
    if (c.ok && !got.empty()) {
      EXPECT_EQ(std::memcmp(got.data(), bytes.data() + c.pos, got.size()), 0) << c.pos;
    }
    EXPECT_EQ(file.Reads, c.reads) << c.pos << "+" << c.count;
  }
  // A new file forgets the old one's bytes.
  CountingStream other(std::vector<uint8_t>(100, 0xEE));
  window.Use(&other, 100);
  uint8_t b = 0;
  EXPECT_TRUE(window.ReadAt(0, &b, 1));
  EXPECT_EQ(b, 0xEE);
}

TEST(StreamsReadAhead, OnlyAFileOpenForReadingKeepsItsSize) {
  test::TestFolder dir;
  test::WriteFileText(dir / "a", "1234");
  auto reader = TFileStream32::Open(dir / "a", fmOpenRead);
  auto writer = TFileStream32::Open(dir / "a", fmOpenReadWrite);
  ASSERT_TRUE(reader && writer);
  ASSERT_TRUE(writer->SetPosition(4) && writer->WriteFully("5678", 4));
  EXPECT_EQ(writer->Size(), 8);
  EXPECT_EQ(reader->Size(), 4);  // as opened
  ASSERT_TRUE(writer->SetSize(2));
  EXPECT_EQ(writer->Size(), 2);
}

}  // namespace
}  // namespace qel
