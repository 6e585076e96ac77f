// Date and time conversions shared by every format: DOS date-times (local time, date in
// the high 16 bits, two-second resolution), Unix seconds (UTC) and TDateTime.
#pragma once

#include <cstdint>
#include <ctime>

#include "engine/base/Types.h"

namespace qel {

// 1 January 1980, 00:01:00: what every unreadable or invalid DOS date-time stands for.
inline constexpr uint32_t kDosDateFallback = 0x00210020;

// True when the fields of `dos` form a real date and time (February 30 or second 60 do not).
bool IsValidDosDateTime(uint32_t dos);

// TDateTime from a DOS date-time; 0, invalid values and values below the fallback give
// the fallback.
TDateTime DosDateTimeToDateTime(uint32_t dos);
// DOS date-time from a TDateTime, clamped to the years 1980 to 2107.
uint32_t DateTimeToDosDateTime(TDateTime t);

// Unix seconds from a DOS date-time read as local time (invalid values use the fallback).
int64_t DosDateTimeToUnix(uint32_t dos);
// DOS date-time of Unix seconds in local time, clamped to 1980-01-01 00:00:00 and
// 2107-12-31 23:59:58, the range the format can hold.
uint32_t UnixToDosDateTime(int64_t seconds);
// Windows file times: 100-nanosecond intervals since 1601, UTC (0 for times before it).
int64_t FileTimeToUnix(uint64_t ticks);
uint64_t UnixToFileTime(int64_t seconds);

// Local TDateTime of Unix seconds; 0 gives 1 January 1980 00:01:00 and a negative value is
// taken by its absolute value, as the archive formats that store Unix times expect.
TDateTime UnixToDateTime(int64_t seconds);
// Unix seconds of a local TDateTime.
int64_t DateTimeToUnix(TDateTime t);

// TDateTime from calendar fields and back (no time zone involved).
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
void DecodeDateTime(TDateTime t, int& year, int& month, int& day, int& hour, int& minute,
                    int& second);

}  // namespace qel
