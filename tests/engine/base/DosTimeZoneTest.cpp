// DOS date-times read as local time in a zone with summer time, one after another as an
// archive's entries come: the offset kept from one call to the next must change nothing.
#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "engine/base/DateTime.h"
#include "tests/support/EnvVar.h"

namespace qel {
namespace {

TEST(DosTimeZone, RunsInOneHourAndOffsetChangesMatchMktime) {
  std::optional<test::TEnvVar> zone(std::in_place, "TZ", "Europe/Berlin");
  // Within one hour, across the spring change (02:00 to 03:00 does not exist) and the
  // autumn one, and back to an hour seen before. {month, day, hour, minute}, 2021.
  const int cases[][4] = {{3, 28, 1, 0},  {3, 28, 1, 59},  {3, 28, 3, 0},  {3, 28, 3, 30},
                          {3, 28, 2, 30}, {3, 28, 2, 0},   {3, 28, 2, 59}, {10, 31, 1, 58},
                          {10, 31, 3, 2}, {10, 31, 3, 59}, {3, 28, 1, 30}};
  for (const auto& c : cases) {
    std::tm tm{};
    tm.tm_year = 121;
    tm.tm_mon = c[0] - 1;
    tm.tm_mday = c[1];
    tm.tm_hour = c[2];
    tm.tm_min = c[3];
    tm.tm_isdst = -1;
    const uint32_t dos = 41u << 25 | uint32_t(c[0]) << 21 | uint32_t(c[1]) << 16 |
                         uint32_t(c[2]) << 11 | uint32_t(c[3]) << 5;
    EXPECT_EQ(DosDateTimeToUnix(dos), int64_t(std::mktime(&tm)))
        << c[0] << "-" << c[1] << " " << c[2] << ":" << c[3];
  }
  // Another zone is not answered from the last one's offset.
  const uint32_t noon = 40u << 25 | 5u << 21 | 17u << 16 | 12u << 11;  // 2020-05-17
  zone.emplace("TZ", "UTC");
  EXPECT_EQ(DosDateTimeToUnix(noon), 1589716800);
  zone.emplace("TZ", "Asia/Tokyo");
  EXPECT_EQ(DosDateTimeToUnix(noon), 1589716800 - 9 * 3600);
}

}  // namespace
}  // namespace qel
