// The clock value: a local wall-clock date and time turned into seconds since
// 1970-01-01 00:00:00 UTC under the C runtime's local-time rules, kept to 32
// signed bits. Platform-free: the zone is handed in, read once by the caller.
#pragma once

#include <cstdint>

namespace srvsetup {

// The local calendar fields as the platform's clock gives them.
struct LocalTime {
  int year;
  int month;  // 1-12
  int day;    // 1-31
  int hour;
  int minute;
  int second;
  int milliseconds;
};

// A daylight-saving change in the form of the platform's zone record: with
// `year` 0, `day` counts the `weekday`s of the month (1-5, 5 = the last one);
// otherwise `day` is a fixed day of the month. The time is local wall time.
struct DstChange {
  int year;
  int month;    // 1-12; 0 = none given
  int weekday;  // 0 = Sunday
  int day;
  int hour;
  int minute;
};

// The zone as the runtime holds it after reading "TZ" or the system's zone.
struct ZoneRules {
  std::int32_t offset;    // seconds from local standard time to UTC (east is negative)
  bool daylight;          // the zone observes daylight-saving time at all
  std::int32_t dst_bias;  // seconds added to the offset while it is in effect
  // With no start month the runtime's built-in rule applies: from the second
  // Sunday of March to the first Sunday of November at 02:00 from 2007 on,
  // from the first Sunday of April to the last Sunday of October before.
  DstChange dst_start;
  DstChange dst_end;
};

// The local years that have a clock value; any other gives -1.
constexpr bool in_clock_years(int year) { return year >= 1970 && year <= 2038; }

// Seconds since the epoch, milliseconds dropped, low 32 bits as a signed
// number; -1 for a local year outside 1970 to 2038 or a date the calendar
// doesn't have.
std::int32_t clock_value(const LocalTime& local, const ZoneRules& zone);

}  // namespace srvsetup
