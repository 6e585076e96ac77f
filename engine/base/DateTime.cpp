#include "engine/base/DateTime.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace qel {
namespace {

struct DosFields {
  int year, month, day, hour, minute, second;
};

DosFields Split(uint32_t dos) {
  uint32_t d = dos >> 16, t = dos & 0xFFFF;
  return {int(1980 + (d >> 9)), int((d >> 5) & 15), int(d & 31),
          int(t >> 11),         int((t >> 5) & 63), int(2 * (t & 31))};
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days from 30 December 1899 (TDateTime's day 0) to the given civil date.
int64_t DaysFromCivil(int y, int m, int d) {
  // Howard Hinnant's algorithm, shifted from the Unix epoch to TDateTime's.
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;
}

void CivilFromDays(int64_t days, int& y, int& m, int& d) {
  int64_t z = days - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

uint32_t PackDos(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
  if (year > 2107) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
  return (uint32_t(year - 1980) << 25) | (uint32_t(month) << 21) | (uint32_t(day) << 16) |
         (uint32_t(hour) << 11) | (uint32_t(minute) << 5) | uint32_t(second / 2);
}

// mktime looks at the zone file again on every call (unless TZ is set), a system call each
// time; the dates of one archive mostly share few hours, and an hour shares its offset from
// UTC. So the offset mktime found is kept for the date's day and hour and reused once
// localtime_r (which does not look again) maps the result back to the same fields; around
// a change of offset it does not, and mktime decides as before.
int64_t LocalToUnix(uint32_t dos, const DosFields& f) {
  struct TCache {
    bool valid = false;
    uint32_t hour = 0;  // the date and hour bits of the DOS value
    bool zoneSet = false;
    std::string zone;  // TZ as it was: a change of it is a new zone
    int64_t offset = 0;
  };
  thread_local TCache cache;
  const char* tz = std::getenv("TZ");
  const int64_t naive = (DaysFromCivil(f.year, f.month, f.day) - 25569) * 86400 + f.hour * 3600 +
                        f.minute * 60 + f.second;
  if (cache.valid && cache.hour == dos >> 11 && cache.zoneSet == (tz != nullptr) &&
      (!tz || cache.zone == tz)) {
    const std::time_t t = std::time_t(naive - cache.offset);
    std::tm tm{};
    if (localtime_r(&t, &tm) && tm.tm_year == f.year - 1900 && tm.tm_mon == f.month - 1 &&
        tm.tm_mday == f.day && tm.tm_hour == f.hour && tm.tm_min == f.minute &&
        tm.tm_sec == f.second)
      return int64_t(t);
  }
  std::tm tm{};
  tm.tm_year = f.year - 1900;
  tm.tm_mon = f.month - 1;
  tm.tm_mday = f.day;
  tm.tm_hour = f.hour;
  tm.tm_min = f.minute;
  tm.tm_sec = f.second;
  tm.tm_isdst = -1;
  const int64_t t = int64_t(std::mktime(&tm));
  cache.valid = true;
  cache.hour = dos >> 11;
  cache.zoneSet = tz != nullptr;
  cache.zone = tz ? tz : "";
  cache.offset = naive - t;
  return t;
}

}  // namespace

bool IsValidDosDateTime(uint32_t dos) {
  DosFields f = Split(dos);
  return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= DaysInMonth(f.year, f.month) &&
         f.hour < 24 && f.minute < 60 && f.second < 60;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  return double(DaysFromCivil(year, month, day)) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

void DecodeDateTime(TDateTime t, int& year, int& month, int& day, int& hour, int& minute,
                    int& second) {
  // Round to the nearest second first so that 23:59:59.9999 does not read as 23:59:59
  // of the wrong day after the split.
  int64_t total = std::llround(t * 86400.0);
  int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  int64_t secs = total - days * 86400;
  CivilFromDays(days, year, month, day);
  hour = int(secs / 3600);
  minute = int(secs / 60 % 60);
  second = int(secs % 60);
}

TDateTime DosDateTimeToDateTime(uint32_t dos) {
  if (dos < kDosDateFallback || !IsValidDosDateTime(dos)) dos = kDosDateFallback;
  DosFields f = Split(dos);
  return EncodeDateTime(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

uint32_t DateTimeToDosDateTime(TDateTime t) {
  int y, mo, d, h, mi, s;
  DecodeDateTime(t, y, mo, d, h, mi, s);
  return PackDos(y, mo, d, h, mi, s);
}

int64_t DosDateTimeToUnix(uint32_t dos) {
  if (dos < kDosDateFallback || !IsValidDosDateTime(dos)) dos = kDosDateFallback;
  return LocalToUnix(dos, Split(dos));
}

uint32_t UnixToDosDateTime(int64_t seconds) {
  std::time_t t = std::time_t(seconds);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return kDosDateFallback;
  return PackDos(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

TDateTime UnixToDateTime(int64_t seconds) {
  if (seconds == 0) return DosDateTimeToDateTime(kDosDateFallback);
  std::time_t t = std::time_t(std::llabs(seconds));
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return DosDateTimeToDateTime(kDosDateFallback);
  return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec);
}

int64_t DateTimeToUnix(TDateTime t) {
  std::tm tm{};
  DecodeDateTime(t, tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_isdst = -1;
  return int64_t(std::mktime(&tm));
}

namespace {
constexpr int64_t kFileTimeEpochDelta = 11644473600;  // seconds from 1601 to 1970
constexpr uint64_t kTicksPerSecond = 10000000;
}  // namespace

int64_t FileTimeToUnix(uint64_t ticks) { return int64_t(ticks / kTicksPerSecond) - kFileTimeEpochDelta; }

uint64_t UnixToFileTime(int64_t seconds) {
  return seconds < -kFileTimeEpochDelta ? 0 : uint64_t(seconds + kFileTimeEpochDelta) * kTicksPerSecond;
}

}  // namespace qel
