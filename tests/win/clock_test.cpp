// UNow and UNow1 through the built DLL. Fixed local times are fed by pointing
// the DLL's GetLocalTime import at a stand-in; the zone comes from "TZ" as
// clock.cmake sets it for each run. The zone is read once per process, so
// the tests that depend on being first run alone, as disabled tests that
// clock.cmake enables one at a time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "harness.h"

namespace {

SYSTEMTIME fake_now;
void WINAPI FakeGetLocalTime(LPSYSTEMTIME out) { *out = fake_now; }

SYSTEMTIME local_time(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  t.wMilliseconds = static_cast<WORD>(ms);
  return t;
}

std::string describe(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

struct ClockTexts {
  std::string hex;
  std::string dec;
};

// Both exports, each into a buffer of exactly its documented size with a
// marker behind it: nothing may be written past the terminator.
ClockTexts read_clock(const harness::Dll& srv) {
  char hex[9 + 1];
  char dec[12 + 1];
  std::memset(hex, '#', sizeof hex);
  std::memset(dec, '#', sizeof dec);
  EXPECT_EQ(1, srv("UNow", hex));
  EXPECT_EQ(1, srv("UNow1", dec));
  const std::size_t hex_len = strnlen(hex, sizeof hex);
  const std::size_t dec_len = strnlen(dec, sizeof dec);
  EXPECT_LT(hex_len, 9u);
  EXPECT_LT(dec_len, 12u);
  if (hex_len + 1 < sizeof hex) EXPECT_EQ('#', hex[hex_len + 1]) << "UNow wrote past its text";
  if (dec_len + 1 < sizeof dec) EXPECT_EQ('#', dec[dec_len + 1]) << "UNow1 wrote past its text";
  return {std::string(hex, hex_len), std::string(dec, dec_len)};
}

ClockTexts read_clock_at(const harness::Dll& srv, const SYSTEMTIME& t) {
  fake_now = t;
  return read_clock(srv);
}

bool tz_is(const char* zone) {
  const char* tz = std::getenv("TZ");
  return tz != nullptr && std::strcmp(tz, zone) == 0;
}

// In the runtime's copy of the environment and in the process's own.
void set_tz(const char* zone) {
  const std::string setting = std::string("TZ=") + zone;
  _putenv(setting.c_str());
  SetEnvironmentVariableA("TZ", zone);
}

long long epoch_seconds_now() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<long long>((ticks - 116444736000000000ULL) / 10000000ULL);
}

// The real clock, in whatever zone the run sets: the value is the epoch
// second whatever the zone. Reads within one second give the same text.
TEST(ClockLive, GivesTheCurrentEpochSecond) {
  harness::Dll srv("srvsetup.dll");
  ASSERT_TRUE(srv.module());
  bool within_one_second = false;
  for (int attempt = 0; attempt < 5 && !within_one_second; ++attempt) {
    const long long before = epoch_seconds_now();
    const ClockTexts first = read_clock(srv);
    const ClockTexts second = read_clock(srv);
    const long long after = epoch_seconds_now();
    const long long value = std::strtoll(first.dec.c_str(), nullptr, 10);
    EXPECT_LE(before - 1, value) << first.dec;
    EXPECT_LE(value, after + 1) << first.dec;
    if (before != after) continue;
    within_one_second = true;
    EXPECT_EQ(before, value);
    EXPECT_EQ(static_cast<unsigned long>(value), std::strtoul(first.hex.c_str(), nullptr, 16)) << first.hex;
    EXPECT_EQ(first.hex, second.hex);
    EXPECT_EQ(first.dec, second.dec);
  }
  EXPECT_TRUE(within_one_second);
}

struct FixedCase {
  SYSTEMTIME local;
  const char* hex;
  const char* dec;
};

void expect_fixed(const std::vector<FixedCase>& cases) {
  harness::Dll srv("srvsetup.dll");
  ASSERT_TRUE(srv.module());
  harness::ImportPatch patch(srv.module(), "KERNEL32.dll", "GetLocalTime", reinterpret_cast<const void*>(&FakeGetLocalTime));
  ASSERT_TRUE(patch.ok());
  for (const FixedCase& c : cases) {
    const ClockTexts texts = read_clock_at(srv, c.local);
    EXPECT_EQ(c.hex, texts.hex) << describe(c.local);
    EXPECT_EQ(c.dec, texts.dec) << describe(c.local);
  }
}

TEST(ClockFixed, Utc) {
  if (!tz_is("UTC")) GTEST_SKIP() << "runs with TZ=UTC";
  expect_fixed({
      {local_time(1970, 1, 1, 0, 0, 0), "0", "0"},
      {local_time(2038, 1, 19, 3, 14, 7), "7FFFFFFF", "2147483647"},
      {local_time(2038, 1, 19, 3, 14, 8), "80000000", "-2147483648"},
      {local_time(2038, 12, 31, 23, 59, 59, 999), "81C94AFF", "-2117514497"},
      {local_time(1969, 12, 31, 23, 59, 59, 999), "FFFFFFFF", "-1"},
      {local_time(2039, 1, 1, 0, 0, 0), "FFFFFFFF", "-1"},
      {local_time(2020, 7, 1, 12, 0, 0, 0), "5EFC7AC0", "1593604800"},
      {local_time(2020, 7, 1, 12, 0, 0, 999), "5EFC7AC0", "1593604800"},
  });
}

TEST(ClockFixed, OneHourEast) {
  if (!tz_is("CET-1")) GTEST_SKIP() << "runs with TZ=CET-1";
  expect_fixed({
      {local_time(1970, 1, 1, 0, 0, 0), "FFFFF1F0", "-3600"},
      {local_time(1970, 1, 1, 0, 59, 59), "FFFFFFFF", "-1"},
      {local_time(1970, 1, 1, 1, 0, 0), "0", "0"},
      {local_time(2038, 1, 19, 4, 14, 7), "7FFFFFFF", "2147483647"},
      {local_time(2038, 1, 19, 4, 14, 8), "80000000", "-2147483648"},
      {local_time(1969, 12, 31, 23, 59, 59), "FFFFFFFF", "-1"},
      {local_time(2039, 1, 1, 0, 0, 0), "FFFFFFFF", "-1"},
      {local_time(2020, 7, 1, 12, 0, 0, 0), "5EFC6CB0", "1593601200"},
      {local_time(2020, 7, 1, 12, 0, 0, 999), "5EFC6CB0", "1593601200"},
  });
}

// The runtime's own conversion, where it gives one, is the reference:
// every ten minutes of days with and around daylight-saving changes, and
// moments spread over the whole range.
std::vector<SYSTEMTIME> runtime_probe_times() {
  std::vector<SYSTEMTIME> times;
  const int days[][3] = {
      {2006, 4, 2},   {2006, 10, 29}, {2007, 3, 11}, {2007, 11, 4}, {2021, 3, 14}, {2021, 11, 7},
      {2021, 3, 28},  {2021, 10, 31}, {2021, 4, 4},  {2021, 10, 3}, {2020, 12, 31}, {2021, 1, 1},
      {1970, 1, 1},   {1970, 1, 2},   {2038, 1, 19}, {2038, 3, 14}, {2038, 12, 31}, {2000, 2, 29},
  };
  for (const auto& d : days) {
    for (int minute = 0; minute < 24 * 60; minute += 10)
      times.push_back(local_time(d[0], d[1], d[2], minute / 60, minute % 60, 0));
    for (int hour = 0; hour < 24; ++hour) times.push_back(local_time(d[0], d[1], d[2], hour, 59, 59, 999));
  }
  std::mt19937 rng(20380119);
  for (int i = 0; i < 2000; ++i) {
    const int year = 1970 + static_cast<int>(rng() % 69);
    const int month = 1 + static_cast<int>(rng() % 12);
    const int day = 1 + static_cast<int>(rng() % 28);
    times.push_back(local_time(year, month, day, static_cast<int>(rng() % 24), static_cast<int>(rng() % 60),
                               static_cast<int>(rng() % 60), static_cast<int>(rng() % 1000)));
  }
  return times;
}

void expect_runtime_values() {
  harness::Dll srv("srvsetup.dll");
  ASSERT_TRUE(srv.module());
  harness::ImportPatch patch(srv.module(), "KERNEL32.dll", "GetLocalTime", reinterpret_cast<const void*>(&FakeGetLocalTime));
  ASSERT_TRUE(patch.ok());
  int compared = 0;
  for (const SYSTEMTIME& t : runtime_probe_times()) {
    const std::string dec = read_clock_at(srv, t).dec;
    std::tm tm{};
    tm.tm_year = t.wYear - 1900;
    tm.tm_mon = t.wMonth - 1;
    tm.tm_mday = t.wDay;
    tm.tm_hour = t.wHour;
    tm.tm_min = t.wMinute;
    tm.tm_sec = t.wSecond;
    tm.tm_isdst = -1;
    const __time64_t reference = _mktime64(&tm);
    if (reference < 0) continue;  // before the epoch the runtime has no value
    ++compared;
    EXPECT_EQ(std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(reference))), dec) << describe(t);
  }
  EXPECT_GT(compared, 4000);
}

// "TZ" with a daylight name: the runtime's built-in change dates.
TEST(ClockRuntime, MatchesTheRuntimeUnderTz) {
  if (!tz_is("EST5EDT") && !tz_is("CET-1CEST")) GTEST_SKIP() << "runs with TZ=EST5EDT or CET-1CEST";
  expect_runtime_values();
}

// No "TZ" in the process: the runtime takes the system's zone, its change
// dates included. The run sets a named zone for Wine's own clock, which the
// test then takes out of the process's environment before the first call.
TEST(ClockRuntime, DISABLED_MatchesTheRuntimeInTheSystemZone) {
  _putenv("TZ=");
  SetEnvironmentVariableA("TZ", nullptr);
  TIME_ZONE_INFORMATION zone;
  ASSERT_NE(TIME_ZONE_ID_INVALID, GetTimeZoneInformation(&zone));
  ASSERT_NE(0, zone.DaylightDate.wMonth) << "the run should give Wine a zone with daylight saving";
  expect_runtime_values();
}

// The first call whose year is in range reads the zone; later changes of
// "TZ" are not seen, not even once the runtime itself has taken them in.
TEST(ClockOnce, DISABLED_ZoneIsReadByTheFirstCallInRange) {
  ASSERT_TRUE(tz_is("UTC"));
  harness::Dll srv("srvsetup.dll");
  ASSERT_TRUE(srv.module());
  harness::ImportPatch patch(srv.module(), "KERNEL32.dll", "GetLocalTime", reinterpret_cast<const void*>(&FakeGetLocalTime));
  ASSERT_TRUE(patch.ok());

  EXPECT_EQ("-1", read_clock_at(srv, local_time(1969, 6, 1, 12, 0, 0)).dec);
  set_tz("CET-1");
  const SYSTEMTIME summer = local_time(2020, 7, 1, 12, 0, 0);
  EXPECT_EQ("1593601200", read_clock_at(srv, summer).dec) << "the out-of-range call must not fix the zone";

  set_tz("JST-9");
  _tzset();
  ASSERT_EQ(-9 * 3600L, _timezone) << "the runtime itself sees the new zone";
  EXPECT_EQ("1593601200", read_clock_at(srv, summer).dec);
  EXPECT_EQ("5EFC6CB0", read_clock_at(srv, summer).hex);
}

struct FirstCall {
  const harness::Dll* srv;
  HANDLE start;
  std::string dec;
};

DWORD WINAPI CallClockAtStart(void* arg) {
  auto* call = static_cast<FirstCall*>(arg);
  WaitForSingleObject(call->start, INFINITE);
  call->dec = read_clock(*call->srv).dec;
  return 0;
}

// First calls from several threads at once all see the whole zone.
TEST(ClockOnce, DISABLED_ConcurrentFirstCallsAgree) {
  ASSERT_TRUE(tz_is("CET-1"));
  harness::Dll srv("srvsetup.dll");
  ASSERT_TRUE(srv.module());
  harness::ImportPatch patch(srv.module(), "KERNEL32.dll", "GetLocalTime", reinterpret_cast<const void*>(&FakeGetLocalTime));
  ASSERT_TRUE(patch.ok());
  fake_now = local_time(2020, 7, 1, 12, 0, 0);

  constexpr int kThreads = 8;
  const HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(nullptr, start);
  FirstCall calls[kThreads];
  HANDLE threads[kThreads];
  for (int i = 0; i < kThreads; ++i) {
    calls[i] = {&srv, start, ""};
    threads[i] = CreateThread(nullptr, 0, &CallClockAtStart, &calls[i], 0, nullptr);
    ASSERT_NE(nullptr, threads[i]);
  }
  SetEvent(start);
  WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
  for (HANDLE t : threads) CloseHandle(t);
  CloseHandle(start);
  for (const FirstCall& call : calls) EXPECT_EQ("1593601200", call.dec);
}

}  // namespace
