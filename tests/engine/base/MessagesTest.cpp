#include "engine/base/Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace qel {
namespace {

// Every message number the engine publishes. Applications translate by number, so a
// number that cannot be found (a slip in the table's order breaks the binary search) or
// one too many is a fault.
constexpr int kNumbers[] = {
    25101, 25102, 25103, 25104, 25106, 25107, 25108, 25110, 25112, 25113, 25114, 25115,
    25116, 25120, 25121, 25122, 25123, 25134, 25135, 25136, 25137, 25140, 25142, 25144,
    25145, 25146, 25150, 25151, 25152, 25153, 25154, 25155, 25156, 25157, 25158, 25159,
    25160, 25170, 25171, 25172, 25173, 25176, 25177, 25178, 25179, 25180, 25190, 25191,
    25192, 25193, 25194, 25210, 25212, 25215, 25216, 25217, 25218, 25219, 25230, 25231,
    25232, 25233, 25234, 25235, 25236, 25237, 25238, 25239, 25244, 25245, 25246, 25247,
    25248, 25250, 25251, 25252, 25257, 25258, 25260, 25263, 25264, 25269, 25270, 25275,
    25276, 25277, 25278, 25279, 25280, 25281, 25282, 25286, 25287, 25290, 25293, 25294,
    25295, 25296, 25297, 25298, 25299, 25303, 25305, 25310, 25324, 25325, 25326, 25327,
    25328, 25329, 25350, 25355, 25360, 25361, 25362, 25363, 25364, 25365, 25366, 25501, 25502,
    25503, 25504, 25505, 25506, 25600, 25601, 25602, 25717, 25722, 25725, 25728, 25729};

TEST(Messages, EveryNumberAndNoOther) {
  ASSERT_TRUE(std::is_sorted(std::begin(kNumbers), std::end(kNumbers)));
  for (int code = 25000; code <= 26000; ++code) {
    bool known = std::binary_search(std::begin(kNumbers), std::end(kNumbers), code);
    EXPECT_EQ(!MessageText(code).empty(), known) << code;
  }
  EXPECT_EQ(MessageText(0), "");
  EXPECT_EQ(MessageText(-1), "");
}

TEST(Messages, WordingIsKeptExactly) {
  EXPECT_EQ(MessageText(25239), "Inconsistant local header");
  EXPECT_EQ(MessageText(25298), "Size to small");
  EXPECT_EQ(MessageText(25287), "Open paran, but no close paran");
  EXPECT_EQ(MessageText(25173), MessageText(25179));
  EXPECT_EQ(MessageText(msg::UserCanceled), "User canceled");
}

}  // namespace
}  // namespace qel
