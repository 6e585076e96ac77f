// One decoder for member after member, as a ZIP reader uses it.
#include <gtest/gtest.h>

#include "tests/codecs/inflate/CraftedStreams.h"
#include "tests/codecs/inflate/InflateHelpers.h"

namespace qel::test {
namespace {

TEST(InflateMemberReuse, EachMemberDecodesAsWithAFreshDecoder) {
  // 'A', then a match two bytes back: only one byte has been decoded in this member, however
  // much the decoder's buffer holds from the member before.
  BitWriter tooFar;
  tooFar.Put(1, 1);
  tooFar.Put(1, 2);
  PutFixed(tooFar, 'A');
  PutFixed(tooFar, 257);  // length 3
  tooFar.PutCode(1, 5);   // distance 2
  tooFar.AlignToByte();
  struct Case {
    Bytes stream;
    DeflateVariant variant;
  };
  const std::vector<Case> cases = {
      {ZlibDeflate(MakeSample(Sample::Text, 300000), 6), DeflateVariant::Deflate},
      {tooFar.Data(), DeflateVariant::Deflate},
      {ZlibDeflate(MakeSample(Sample::Random, 20000), 6), DeflateVariant::Deflate64},
      {ZlibDeflate(MakeSample(Sample::Binary, 5000), 1), DeflateVariant::Deflate},
      {Bytes{0x03}, DeflateVariant::Deflate},  // cut short
  };
  TMemberInflater inflater;
  for (size_t i = 0; i < cases.size(); ++i) {
    const Decoded fresh = InflateAll(cases[i].stream, 1 << 20, cases[i].variant);
    const Decoded reused = InflateAll(cases[i].stream, 32768, cases[i].variant, &inflater);
    EXPECT_EQ(reused.status, fresh.status) << i;
    EXPECT_EQ(reused.data, fresh.data) << i;
  }
  EXPECT_EQ(InflateAll(tooFar.Data(), 32768, DeflateVariant::Deflate, &inflater).status,
            InflateStatus::BadDistance);
}

}  // namespace
}  // namespace qel::test
