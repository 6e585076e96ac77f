// Listing sets spanned over removable disks: detection on any disk of the set, then the
// central directory read from the last disk through the disk questions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/list/Quell.h"
#include "tests/support/SpannedSet.h"

namespace qel {
namespace {

class ListerSpannedTest : public test::SpannedSetTest {
 protected:
  void SetUp() override {
    SpannedSetTest::SetUp();
    if (IsSkipped()) return;
    quell.Drives = &drives;
    quell.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                           int code) { errors.push_back(code); };
    quell.OnRead = [this](TZipCommon&, int64_t, int) {
      names.push_back(quell.Entry().FileName);
      volumes.push_back(quell.Entry().VolumeName);
    };
    quell.SetArchiveFile(archive);
  }

  TQuell quell;
  std::vector<std::string> names, volumes;
  std::vector<int> errors;
};

TEST_F(ListerSpannedTest, ListsFromTheLastDiskWithEachEntrysDisk) {
  EXPECT_EQ(quell.ArcType(), atZipDS);
  AnswerByInserting(quell);
  EXPECT_TRUE(quell.Activate());
  EXPECT_EQ(asked, std::vector<std::string>{"last"});
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "r.bin", "b.txt"}));
  ASSERT_EQ(volumes.size(), 3u);
  EXPECT_EQ(volumes[0], "PKBACK# 001");
  EXPECT_EQ(volumes[2], "PKBACK# " + std::string(disks < 10 ? "00" : "0") + std::to_string(disks));
  EXPECT_TRUE(errors.empty());
}

TEST_F(ListerSpannedTest, WrongDiskIsAskedAgainAndCancelListsNothing) {
  // First answer: the same (first) disk again, which holds no end record; then cancel.
  int answers = 0;
  quell.OnGetZipLastDisk = [&](TZipCommon&, bool& cancel) {
    cancel = ++answers > 1;
    Insert(1);
  };
  quell.Activate();
  EXPECT_EQ(answers, 2);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(errors, std::vector<int>{25361});
}

TEST_F(ListerSpannedTest, MissingLastDiskEventIsReported) {
  quell.Activate();
  EXPECT_TRUE(names.empty());
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), 25281);
}

}  // namespace
}  // namespace qel
