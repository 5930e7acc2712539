#include "clockcalc.h"

namespace srvsetup {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

constexpr bool is_leap(std::int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int month_length(std::int64_t year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && is_leap(year) ? 1 : 0);
}

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
constexpr std::int64_t days_from_civil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = floor_div(year, 400);
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

struct Fields {
  std::int64_t year;
  int month, day, hour, minute, second;
  int weekday;  // 0 = Sunday
};

Fields fields_of(std::int64_t seconds) {
  const std::int64_t days = floor_div(seconds, kSecondsPerDay);
  const std::int64_t in_day = seconds - days * kSecondsPerDay;
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = floor_div(shifted, 146097);
  const std::int64_t day_of_era = shifted - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t month_index = (5 * day_of_year + 2) / 153;  // from March
  Fields f{};
  f.day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  f.month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  f.year = year_of_era + era * 400 + (f.month <= 2 ? 1 : 0);
  f.hour = static_cast<int>(in_day / 3600);
  f.minute = static_cast<int>(in_day / 60 % 60);
  f.second = static_cast<int>(in_day % 60);
  f.weekday = static_cast<int>(days + 4 - floor_div(days + 4, 7) * 7);  // 1970-01-01 was a Thursday
  return f;
}

// Seconds from a change of the same month to the moment, as the platform's
// zone code measures it: negative before, zero or more from the change on.
// A month before or after the change's gives -1 or 1.
std::int64_t since_change(const Fields& f, const DstChange& change) {
  if (f.month != change.month) return f.month < change.month ? -1 : 1;
  std::int64_t day = change.day;
  if (change.year == 0) {
    const std::int64_t first = (6 + std::int64_t{change.weekday} - f.weekday + f.day) % 7 + 1;
    day = first + 7 * (std::int64_t{change.day} - 1);
    if (day > month_length(f.year, f.month)) day -= 7;
  }
  const std::int64_t limit = ((day * 24 + change.hour) * 60 + change.minute) * 60;
  return ((std::int64_t{f.day} * 24 + f.hour) * 60 + f.minute) * 60 + f.second - limit;
}

// The runtime hands the local fields to the platform as if they were UTC in a
// zone with no offset whose daylight shift is its own bias, and counts the
// time as daylight-saving when the platform shifts it. So the end of DST is
// tested one shift later than the start, and a change whose shift crosses
// into another year falls on the year's side.
bool in_daylight_time(std::int64_t local_seconds, const ZoneRules& zone) {
  if (!zone.daylight) return false;
  const std::int64_t shift_minutes = zone.dst_bias / 60;
  if (shift_minutes == 0) return false;

  const Fields now = fields_of(local_seconds);
  DstChange start = zone.dst_start;
  DstChange end = zone.dst_end;
  if (start.month == 0) {
    start = now.year >= 2007 ? DstChange{0, 3, 0, 2, 2, 0} : DstChange{0, 4, 0, 1, 2, 0};
    end = now.year >= 2007 ? DstChange{0, 11, 0, 1, 2, 0} : DstChange{0, 10, 0, 5, 2, 0};
  }
  // A zone record the platform rejects never shifts.
  if (end.month == 0) return false;
  if (end.year == 0 && (end.day < 1 || end.day > 5 || start.day < 1 || start.day > 5)) return false;

  const Fields later = fields_of(local_seconds - shift_minutes * 60);
  const bool before_end = later.year == now.year ? since_change(later, end) < 0 : later.year < now.year;
  const bool after_start = since_change(now, start) >= 0;
  if (start.month < end.month) return before_end && after_start;
  return before_end || after_start;  // south of the equator DST spans the new year
}

bool is_calendar_time(const LocalTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= month_length(t.year, t.month) &&
         t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

}  // namespace

std::int32_t clock_value(const LocalTime& local, const ZoneRules& zone) {
  if (!in_clock_years(local.year) || !is_calendar_time(local)) return -1;
  const std::int64_t local_seconds = days_from_civil(local.year, local.month, local.day) * kSecondsPerDay +
                                     local.hour * 3600 + local.minute * 60 + local.second;
  std::int64_t utc = local_seconds + zone.offset;
  if (in_daylight_time(local_seconds, zone)) utc += zone.dst_bias;
  // Past 2038-01-19 03:14:07 UTC the value wraps, as a 32-bit count does.
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(utc));
}

}  // namespace srvsetup
