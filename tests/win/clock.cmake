# UNow and UNow1 through srvsetup.dll. One program, run once per zone; the
# zone is read once per process, so each run that needs to make the first
# call gets a process of its own.
add_wine_test(clock_test SOURCES clock_test.cpp
  ARGS --gtest_filter=ClockLive.*:ClockFixed.Utc
  ENV TZ=UTC)
add_wine_test(clock_east_test PROGRAM clock_test
  ARGS --gtest_filter=ClockLive.*:ClockFixed.OneHourEast
  ENV TZ=CET-1)
add_wine_test(clock_tz_rules_test PROGRAM clock_test
  ARGS --gtest_filter=ClockRuntime.MatchesTheRuntimeUnderTz
  ENV TZ=EST5EDT)
add_wine_test(clock_tz_rules_cest_test PROGRAM clock_test
  ARGS --gtest_filter=ClockRuntime.MatchesTheRuntimeUnderTz
  ENV TZ=CET-1CEST)
add_wine_test(clock_system_zone_test PROGRAM clock_test
  ARGS --gtest_filter=ClockRuntime.DISABLED_MatchesTheRuntimeInTheSystemZone --gtest_also_run_disabled_tests
  ENV TZ=Europe/Berlin)
add_wine_test(clock_read_once_test PROGRAM clock_test
  ARGS --gtest_filter=ClockOnce.DISABLED_ZoneIsReadByTheFirstCallInRange --gtest_also_run_disabled_tests
  ENV TZ=UTC)
add_wine_test(clock_first_calls_test PROGRAM clock_test
  ARGS --gtest_filter=ClockOnce.DISABLED_ConcurrentFirstCallsAgree --gtest_also_run_disabled_tests
  ENV TZ=CET-1)
