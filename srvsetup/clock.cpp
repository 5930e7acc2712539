#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <ctime>

#include "clockcalc.h"
#include "exports.h"

namespace {

srvsetup::DstChange ToDstChange(const SYSTEMTIME& date) {
  return {date.wYear, date.wMonth, date.wDayOfWeek, date.wDay, date.wHour, date.wMinute};
}

// What the C runtime makes of "TZ" or, without it, of the system's zone. The
// runtime keeps its own copy of the system's change dates, so they are read
// here the same way it reads them.
srvsetup::ZoneRules ReadZoneRules() {
  _tzset();
  srvsetup::ZoneRules zone{};
  zone.offset = _timezone;
  zone.daylight = _daylight != 0;
  zone.dst_bias = _dstbias;
  const char* tz = std::getenv("TZ");
  TIME_ZONE_INFORMATION system_zone{};
  if ((tz == nullptr || *tz == '\0') && GetTimeZoneInformation(&system_zone) != TIME_ZONE_ID_INVALID) {
    zone.dst_start = ToDstChange(system_zone.DaylightDate);
    zone.dst_end = ToDstChange(system_zone.StandardDate);
  }
  return zone;
}

// The zone is read by the first conversion and kept for the life of the
// process, so a later change of "TZ" is not seen. Threads that come while the
// first one reads wait for it rather than read a half-filled record.
srvsetup::ZoneRules zone_rules;
std::atomic<int> zone_state{0};  // 0 unread, 1 being read, 2 ready

const srvsetup::ZoneRules& GetZoneRules() {
  int expected = 0;
  if (zone_state.compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
    zone_rules = ReadZoneRules();
    zone_state.store(2, std::memory_order_release);
  } else {
    while (zone_state.load(std::memory_order_acquire) != 2) Sleep(0);
  }
  return zone_rules;
}

std::int32_t ReadClockValue() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const srvsetup::LocalTime local{now.wYear, now.wMonth,  now.wDay,         now.wHour,
                                  now.wMinute, now.wSecond, now.wMilliseconds};
  // Out-of-range years never reach the zone, so they don't fix it either.
  if (!srvsetup::in_clock_years(local.year)) return -1;
  return srvsetup::clock_value(local, GetZoneRules());
}

}  // namespace

extern "C" int __stdcall UNow(char* out) {
  wsprintfA(out, "%lX", static_cast<unsigned long>(static_cast<std::uint32_t>(ReadClockValue())));
  return 1;
}

extern "C" int __stdcall UNow1(char* out) {
  wsprintfA(out, "%d", static_cast<int>(ReadClockValue()));
  return 1;
}
