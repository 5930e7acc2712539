// The clock value on arbitrary calendar fields and zone records: no overflow
// anywhere, -1 for whatever the calendar doesn't have, and otherwise the
// plain count of seconds, moved by the zone's offset and at most by its
// daylight bias.
#include <fuzzer/FuzzedDataProvider.h>

#include <cassert>
#include <cstdint>

#include "clockcalc.h"

using namespace srvsetup;

namespace {

// Mostly values near the sensible range, so valid dates and real-looking
// zones come up often; sometimes any int at all.
int field(FuzzedDataProvider& input, int low, int high) {
  return input.ConsumeBool() ? input.ConsumeIntegralInRange(low, high) : input.ConsumeIntegral<int>();
}

DstChange change(FuzzedDataProvider& input) {
  DstChange c{};
  c.year = input.ConsumeBool() ? 0 : field(input, 1970, 2038);
  c.month = field(input, 0, 13);
  c.weekday = field(input, -1, 7);
  c.day = field(input, 0, 32);
  c.hour = field(input, -1, 25);
  c.minute = field(input, -1, 60);
  return c;
}

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return days[month - 1] + (month == 2 && leap(year));
}

bool valid(const LocalTime& t) {
  return t.year >= 1970 && t.year <= 2038 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= days_in(t.year, t.month) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
         t.second >= 0 && t.second < 60;
}

// Seconds from the epoch to the fields read as UTC, counted day by day.
std::int64_t seconds_as_utc(const LocalTime& t) {
  std::int64_t days = 0;
  for (int y = 1970; y < t.year; ++y) days += leap(y) ? 366 : 365;
  for (int m = 1; m < t.month; ++m) days += days_in(t.year, m);
  days += t.day - 1;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::int32_t low_32_bits(std::int64_t n) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(n)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  FuzzedDataProvider input(data, size);
  LocalTime local{};
  local.year = field(input, 1965, 2045);
  local.month = field(input, -1, 13);
  local.day = field(input, -1, 32);
  local.hour = field(input, -1, 24);
  local.minute = field(input, -1, 60);
  local.second = field(input, -1, 60);
  local.milliseconds = field(input, -1, 1000);
  ZoneRules zone{};
  zone.offset = field(input, -50400, 50400);
  zone.daylight = input.ConsumeBool();
  zone.dst_bias = field(input, -7200, 7200);
  zone.dst_start = input.ConsumeBool() ? DstChange{} : change(input);
  zone.dst_end = change(input);

  const std::int32_t value = clock_value(local, zone);
  if (!valid(local)) {
    assert(value == -1);
    return 0;
  }
  LocalTime whole_seconds = local;
  whole_seconds.milliseconds = 0;
  assert(clock_value(whole_seconds, zone) == value);

  const std::int64_t standard = seconds_as_utc(local) + zone.offset;
  if (!zone.daylight) {
    assert(value == low_32_bits(standard));
  } else {
    assert(value == low_32_bits(standard) || value == low_32_bits(standard + zone.dst_bias));
  }
  return 0;
}
