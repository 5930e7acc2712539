#include <gtest/gtest.h>

#include <ctime>

#include "clockcalc.h"

using namespace srvsetup;

namespace {

constexpr ZoneRules kUtc{0, false, -3600, {}, {}};
constexpr ZoneRules kOneHourEast{-3600, false, -3600, {}, {}};
// "TZ" with a daylight name: the runtime's built-in rule.
constexpr ZoneRules kEst5Edt{18000, true, -3600, {}, {}};
constexpr ZoneRules kCet1Cest{-3600, true, -3600, {}, {}};
// System zones, as the platform's zone records give their change dates.
constexpr ZoneRules kBerlin{-3600, true, -3600, {0, 3, 0, 5, 2, 0}, {0, 10, 0, 5, 3, 0}};
constexpr ZoneRules kSydney{-36000, true, -3600, {0, 10, 0, 1, 2, 0}, {0, 4, 0, 1, 3, 0}};

struct Case {
  const char* zone_name;
  const ZoneRules* zone;
  LocalTime local;
  std::int32_t value;
};

void expect_cases(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    const LocalTime& t = c->local;
    EXPECT_EQ(c->value, clock_value(t, *c->zone))
        << c->zone_name << " " << t.year << "-" << t.month << "-" << t.day << " " << t.hour << ":" << t.minute
        << ":" << t.second << "." << t.milliseconds;
  }
}

TEST(ClockValue, EdgesAtUtcAndOneHourEast) {
  const Case cases[] = {
      {"UTC", &kUtc, {1970, 1, 1, 0, 0, 0, 0}, 0},
      {"UTC", &kUtc, {2038, 1, 19, 3, 14, 7, 0}, 2147483647},
      {"UTC", &kUtc, {2038, 1, 19, 3, 14, 8, 0}, -2147483647 - 1},
      {"UTC", &kUtc, {2038, 12, 31, 23, 59, 59, 999}, -2117514497},
      {"UTC", &kUtc, {1969, 12, 31, 23, 59, 59, 999}, -1},
      {"UTC", &kUtc, {2039, 1, 1, 0, 0, 0, 0}, -1},
      {"UTC", &kUtc, {2020, 7, 1, 12, 0, 0, 0}, 1593604800},
      {"UTC", &kUtc, {2020, 7, 1, 12, 0, 0, 999}, 1593604800},
      {"UTC", &kUtc, {2000, 2, 29, 0, 0, 0, 0}, 951782400},
      {"east", &kOneHourEast, {1970, 1, 1, 0, 0, 0, 0}, -3600},
      {"east", &kOneHourEast, {1970, 1, 1, 0, 59, 59, 0}, -1},
      {"east", &kOneHourEast, {1970, 1, 1, 1, 0, 0, 0}, 0},
      {"east", &kOneHourEast, {2038, 1, 19, 4, 14, 7, 0}, 2147483647},
      {"east", &kOneHourEast, {2038, 1, 19, 4, 14, 8, 0}, -2147483647 - 1},
      {"east", &kOneHourEast, {1969, 12, 31, 23, 59, 59, 0}, -1},
      {"east", &kOneHourEast, {2039, 1, 1, 0, 0, 0, 0}, -1},
      {"east", &kOneHourEast, {2020, 7, 1, 12, 0, 0, 999}, 1593601200},
  };
  expect_cases(std::begin(cases), std::end(cases));
}

TEST(ClockValue, MillisecondsAreDroppedNotRounded) {
  for (const ZoneRules* zone : {&kUtc, &kOneHourEast, &kEst5Edt}) {
    for (int ms : {1, 500, 999})
      EXPECT_EQ(clock_value({2020, 7, 1, 12, 0, 0, 0}, *zone), clock_value({2020, 7, 1, 12, 0, 0, ms}, *zone)) << ms;
  }
}

TEST(ClockValue, FarYearsAndImpossibleDatesGiveMinusOne) {
  const LocalTime bad[] = {
      {0, 1, 1, 0, 0, 0, 0},       {1601, 1, 1, 0, 0, 0, 0},    {30827, 12, 31, 0, 0, 0, 0},
      {65535, 1, 1, 0, 0, 0, 0},   {2021, 2, 29, 0, 0, 0, 0},   {2020, 13, 1, 0, 0, 0, 0},
      {2020, 0, 1, 0, 0, 0, 0},    {2020, 4, 31, 0, 0, 0, 0},   {2020, 1, 0, 0, 0, 0, 0},
      {2020, 1, 1, 24, 0, 0, 0},   {2020, 1, 1, 0, 60, 0, 0},   {2020, 1, 1, 0, 0, 60, 0},
  };
  for (const LocalTime& t : bad) EXPECT_EQ(-1, clock_value(t, kUtc)) << t.year << "-" << t.month << "-" << t.day;
}

// Every day of the range against the host's own UTC conversion, and the
// offset of a zone without daylight saving applied to each.
TEST(ClockValue, EveryDayOfTheRangeMatchesTimegm) {
  for (std::int64_t day = 0; day < 25202; ++day) {  // 1970-01-01 .. 2038-12-31
    const std::time_t noon = static_cast<std::time_t>(day * 86400 + 12 * 3600 + 34 * 60 + 56);
    std::tm tm{};
    gmtime_r(&noon, &tm);
    const LocalTime local{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
    const auto expected = static_cast<std::int32_t>(static_cast<std::uint32_t>(timegm(&tm)));
    ASSERT_EQ(expected, clock_value(local, kUtc)) << "day " << day;
    ASSERT_EQ(static_cast<std::int32_t>(static_cast<std::uint32_t>(expected) - 3600u), clock_value(local, kOneHourEast))
        << "day " << day;
  }
}

// Values measured from the C runtime's own conversion (_mktime64 with the
// daylight flag left to it) under Wine for the same zones.
TEST(ClockValue, DaylightSavingAsTheRuntimeDecides) {
  const Case cases[] = {
      // Summer and winter.
      {"EST5EDT", &kEst5Edt, {2020, 7, 1, 12, 0, 0, 0}, 1593619200},
      {"EST5EDT", &kEst5Edt, {2020, 1, 15, 12, 0, 0, 0}, 1579107600},
      {"CET-1CEST", &kCet1Cest, {2020, 7, 1, 12, 0, 0, 0}, 1593597600},
      {"CET-1CEST", &kCet1Cest, {2020, 1, 15, 12, 0, 0, 0}, 1579086000},
      {"Berlin", &kBerlin, {2020, 7, 1, 12, 0, 0, 0}, 1593597600},
      {"Berlin", &kBerlin, {2020, 1, 15, 12, 0, 0, 0}, 1579086000},
      {"Sydney", &kSydney, {2020, 1, 15, 12, 0, 0, 0}, 1579050000},
      {"Sydney", &kSydney, {2020, 7, 1, 12, 0, 0, 0}, 1593568800},
      // The built-in rule from 2007: second Sunday of March, first of November;
      // the hour that repeats counts as standard time.
      {"EST5EDT", &kEst5Edt, {2007, 3, 11, 1, 59, 59, 0}, 1173596399},
      {"EST5EDT", &kEst5Edt, {2007, 3, 11, 2, 0, 0, 0}, 1173592800},
      {"EST5EDT", &kEst5Edt, {2007, 3, 11, 2, 30, 0, 0}, 1173594600},
      {"EST5EDT", &kEst5Edt, {2007, 3, 11, 3, 0, 0, 0}, 1173596400},
      {"EST5EDT", &kEst5Edt, {2007, 11, 4, 0, 59, 59, 0}, 1194152399},
      {"EST5EDT", &kEst5Edt, {2007, 11, 4, 1, 0, 0, 0}, 1194156000},
      {"EST5EDT", &kEst5Edt, {2007, 11, 4, 1, 59, 59, 0}, 1194159599},
      {"EST5EDT", &kEst5Edt, {2007, 11, 4, 2, 0, 0, 0}, 1194159600},
      // Before 2007: first Sunday of April, last of October.
      {"EST5EDT", &kEst5Edt, {2006, 4, 2, 1, 59, 59, 0}, 1143961199},
      {"EST5EDT", &kEst5Edt, {2006, 4, 2, 2, 0, 0, 0}, 1143957600},
      {"EST5EDT", &kEst5Edt, {2006, 10, 29, 0, 59, 59, 0}, 1162097999},
      {"EST5EDT", &kEst5Edt, {2006, 10, 29, 1, 0, 0, 0}, 1162101600},
      {"EST5EDT", &kEst5Edt, {2021, 4, 4, 2, 0, 0, 0}, 1617516000},
      {"EST5EDT", &kEst5Edt, {2020, 12, 31, 23, 30, 0, 0}, 1609475400},
      // A European "TZ" still changes on the American dates.
      {"CET-1CEST", &kCet1Cest, {2007, 3, 11, 1, 59, 59, 0}, 1173574799},
      {"CET-1CEST", &kCet1Cest, {2007, 3, 11, 2, 0, 0, 0}, 1173571200},
      {"CET-1CEST", &kCet1Cest, {2007, 11, 4, 0, 59, 59, 0}, 1194130799},
      {"CET-1CEST", &kCet1Cest, {2007, 11, 4, 1, 0, 0, 0}, 1194134400},
      // A system zone's record: last Sunday of March 02:00, of October 03:00.
      {"Berlin", &kBerlin, {2021, 3, 28, 1, 59, 59, 0}, 1616893199},
      {"Berlin", &kBerlin, {2021, 3, 28, 2, 0, 0, 0}, 1616889600},
      {"Berlin", &kBerlin, {2021, 3, 28, 3, 0, 0, 0}, 1616893200},
      {"Berlin", &kBerlin, {2021, 10, 31, 1, 59, 59, 0}, 1635638399},
      {"Berlin", &kBerlin, {2021, 10, 31, 2, 0, 0, 0}, 1635642000},
      {"Berlin", &kBerlin, {2021, 4, 4, 2, 0, 0, 0}, 1617494400},
      // South of the equator the summer spans the new year.
      {"Sydney", &kSydney, {2021, 4, 4, 1, 59, 59, 0}, 1617461999},
      {"Sydney", &kSydney, {2021, 4, 4, 2, 0, 0, 0}, 1617465600},
      {"Sydney", &kSydney, {2021, 10, 3, 1, 59, 59, 0}, 1633190399},
      {"Sydney", &kSydney, {2021, 10, 3, 2, 0, 0, 0}, 1633186800},
      {"Sydney", &kSydney, {2020, 12, 31, 23, 30, 0, 0}, 1609417800},
      {"Sydney", &kSydney, {2021, 1, 1, 0, 0, 0, 0}, 1609419600},
      {"Sydney", &kSydney, {2038, 1, 19, 3, 14, 7, 0}, 2147444047},
  };
  expect_cases(std::begin(cases), std::end(cases));
}

}  // namespace
