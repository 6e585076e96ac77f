#include "engine/base/DateTime.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/support/EnvVar.h"

namespace qel {
namespace {

// DOS date-time from its fields (seconds are stored halved).
constexpr uint32_t Dos(int y, int mo, int d, int h, int mi, int s) {
  return uint32_t(y - 1980) << 25 | uint32_t(mo) << 21 | uint32_t(d) << 16 | uint32_t(h) << 11 |
         uint32_t(mi) << 5 | uint32_t(s / 2);
}

constexpr uint32_t kLeapDay = 0x585D6DBD;  // 2024-02-29 13:45:58
constexpr int64_t kLeapDayUnix = 1709214358;
constexpr int64_t kFallbackUnix = 315532860;  // 1980-01-01 00:01:00 UTC
constexpr uint32_t kDosMin = 0x00210000;      // 1980-01-01 00:00:00
constexpr uint32_t kDosMax = 0xFF9FBF7D;      // 2107-12-31 23:59:58

// The DOS and Unix conversions go through local time; the suite pins it to UTC.
class DateTime : public ::testing::Test {
 protected:
  test::TEnvVar zone_{"TZ", "UTC"};
};

void ExpectFields(TDateTime t, int y, int mo, int d, int h, int mi, int s) {
  int Y, MO, D, H, MI, S;
  DecodeDateTime(t, Y, MO, D, H, MI, S);
  EXPECT_EQ(Y, y);
  EXPECT_EQ(MO, mo);
  EXPECT_EQ(D, d);
  EXPECT_EQ(H, h);
  EXPECT_EQ(MI, mi);
  EXPECT_EQ(S, s);
}

TEST_F(DateTime, DosRoundTrips) {
  static_assert(Dos(2024, 2, 29, 13, 45, 58) == kLeapDay);
  EXPECT_EQ(DosDateTimeToUnix(kLeapDay), kLeapDayUnix);
  EXPECT_EQ(UnixToDosDateTime(kLeapDayUnix), kLeapDay);
  ExpectFields(DosDateTimeToDateTime(kLeapDay), 2024, 2, 29, 13, 45, 58);
  for (uint32_t dos : {kLeapDay, kDosDateFallback, kDosMax, Dos(2000, 2, 29, 0, 0, 0),
                       Dos(1999, 12, 31, 23, 59, 58), Dos(2038, 1, 19, 3, 14, 6)}) {
    EXPECT_TRUE(IsValidDosDateTime(dos)) << std::hex << dos;
    EXPECT_EQ(UnixToDosDateTime(DosDateTimeToUnix(dos)), dos) << std::hex << dos;
    EXPECT_EQ(DateTimeToDosDateTime(DosDateTimeToDateTime(dos)), dos) << std::hex << dos;
  }
  // Two-second resolution: an odd second is dropped, not rounded up into the next minute.
  EXPECT_EQ(UnixToDosDateTime(kLeapDayUnix + 1), kLeapDay);
}

TEST_F(DateTime, InvalidValuesGiveTheFallback) {
  const TDateTime fallback = EncodeDateTime(1980, 1, 1, 0, 1, 0);
  for (uint32_t dos :
       {0u, Dos(2001, 0, 10, 12, 0, 0), Dos(2001, 13, 10, 12, 0, 0), Dos(2001, 5, 0, 12, 0, 0),
        Dos(2004, 2, 30, 12, 0, 0), Dos(2001, 2, 29, 12, 0, 0), Dos(2100, 2, 29, 12, 0, 0),
        Dos(2001, 4, 31, 12, 0, 0), Dos(2001, 5, 10, 12, 0, 0) | 30u, Dos(2001, 5, 10, 24, 0, 0),
        Dos(2001, 5, 10, 12, 60, 0), 0xFFFFFFFFu}) {
    SCOPED_TRACE(::testing::Message() << std::hex << dos);
    EXPECT_FALSE(IsValidDosDateTime(dos));
    EXPECT_EQ(DosDateTimeToDateTime(dos), fallback);
    EXPECT_EQ(DosDateTimeToUnix(dos), kFallbackUnix);
  }
  // Valid, but below the fallback: clamped up to it.
  for (uint32_t dos : {kDosMin, Dos(1980, 1, 1, 0, 0, 58)}) {
    EXPECT_TRUE(IsValidDosDateTime(dos));
    EXPECT_EQ(DosDateTimeToDateTime(dos), fallback) << std::hex << dos;
    EXPECT_EQ(DosDateTimeToUnix(dos), kFallbackUnix) << std::hex << dos;
  }
  EXPECT_EQ(DosDateTimeToUnix(kDosDateFallback + 1), kFallbackUnix + 2);
}

TEST_F(DateTime, WritingClampsToTheDosRange) {
  EXPECT_EQ(UnixToDosDateTime(0), kDosMin);
  EXPECT_EQ(UnixToDosDateTime(-1), kDosMin);
  EXPECT_EQ(UnixToDosDateTime(315532799), kDosMin);  // 1979-12-31 23:59:59
  EXPECT_EQ(UnixToDosDateTime(315532800), kDosMin);
  EXPECT_EQ(UnixToDosDateTime(4354819199), kDosMax);  // 2107-12-31 23:59:59
  EXPECT_EQ(UnixToDosDateTime(4354819200), kDosMax);  // 2108-01-01
  EXPECT_EQ(UnixToDosDateTime(int64_t(1) << 40), kDosMax);
  EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(1979, 6, 1, 12, 0, 0)), kDosMin);
  EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(2200, 1, 1, 0, 0, 0)), kDosMax);
}

TEST_F(DateTime, DateTimeEncodeDecode) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
  ExpectFields(0.0, 1899, 12, 30, 0, 0, 0);
  EXPECT_EQ(EncodeDateTime(2000, 1, 1, 0, 0, 0), 36526.0);
  EXPECT_EQ(EncodeDateTime(2024, 2, 29, 12, 0, 0), 45351.5);
  ExpectFields(EncodeDateTime(1900, 3, 1, 0, 0, 0), 1900, 3, 1, 0, 0, 0);
  // The last second of a day stays on that day.
  ExpectFields(EncodeDateTime(2023, 12, 31, 23, 59, 59), 2023, 12, 31, 23, 59, 59);
  ExpectFields(EncodeDateTime(2024, 2, 28, 23, 59, 59), 2024, 2, 28, 23, 59, 59);
  for (int y : {1601, 1899, 1980, 2024, 2107, 9999}) {
    for (int mo : {1, 2, 12}) {
      TDateTime t = EncodeDateTime(y, mo, 28, 23, 59, 59);
      ExpectFields(t, y, mo, 28, 23, 59, 59);
      // Negative Unix seconds read as their absolute value, so only later dates go round.
      if (y >= 1970) {
        EXPECT_EQ(UnixToDateTime(DateTimeToUnix(t)), t) << y;
      }
    }
  }
}

TEST_F(DateTime, UnixSeconds) {
  EXPECT_EQ(UnixToDateTime(0), EncodeDateTime(1980, 1, 1, 0, 1, 0));
  EXPECT_EQ(UnixToDateTime(kLeapDayUnix), EncodeDateTime(2024, 2, 29, 13, 45, 58));
  EXPECT_EQ(UnixToDateTime(-kLeapDayUnix), UnixToDateTime(kLeapDayUnix));
  EXPECT_EQ(UnixToDateTime(-86400), EncodeDateTime(1970, 1, 2, 0, 0, 0));
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(2024, 2, 29, 13, 45, 58)), kLeapDayUnix);
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(1970, 1, 1, 0, 0, 0)), 0);
}

}  // namespace
}  // namespace qel
