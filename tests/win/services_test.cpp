// InstallService, LaunchService, ShutService, RunningService and
// RemoveService through the built DLL against Wine's real service control
// manager, with the test service as the managed program. Every outcome is
// confirmed with the platform's own queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services_support.h"

namespace {

using svctest::config;
using svctest::deleted;
using svctest::elapsed_ms;
using svctest::gone;
using svctest::program;
using svctest::start_running;
using svctest::state;
using svctest::wait_for_state;

using Services = svctest::ServiceTest;

TEST_F(Services, InstallStoresExactlyTheGivenProgramAndFixedSettings) {
  // The program path goes in as given: neither quoted nor unquoted.
  const std::string quoted = "\"" + harness::program_dir() + "\\testservice.exe\" quick";
  for (const std::string& path : {program("quick"), quoted}) {
    SCOPED_TRACE(path);
    const std::string name = new_name();
    ASSERT_EQ(1, srv("InstallService", name.c_str(), display_name(name).c_str(), path.c_str()));
    const auto stored = config(name);
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), stored.type);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), stored.start);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), stored.error_control);
    EXPECT_EQ(path, stored.path);
    EXPECT_EQ("", stored.group);
    EXPECT_EQ(0u, stored.tag);
    EXPECT_TRUE(stored.dependencies.empty());
    EXPECT_EQ("LocalSystem", stored.account);
    EXPECT_EQ(display_name(name), stored.display);
    // Installed, not started.
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state(name));
  }
}

TEST_F(Services, InstallOverAnExistingNameGivesZeroAndLeavesTheFirst) {
  const std::string name = new_name();
  ASSERT_EQ(1, install(name, "quick"));
  EXPECT_EQ(0, srv("InstallService", name.c_str(), "Setupkit test other display", program("deaf").c_str()));
  const auto stored = config(name);
  EXPECT_EQ(program("quick"), stored.path);
  EXPECT_EQ(display_name(name), stored.display);
}

TEST_F(Services, LaunchStartsAStoppedServiceAndRefusesARunningOne) {
  const std::string name = new_name();
  ASSERT_EQ(1, install(name, "quick"));
  EXPECT_EQ(1, srv("LaunchService", name.c_str()));
  EXPECT_TRUE(wait_for_state(name, SERVICE_RUNNING));
  EXPECT_EQ(0, srv("LaunchService", name.c_str()));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), state(name));
}

TEST_F(Services, ShutStopsARunningServiceAndRefusesAStoppedOne) {
  const std::string name = new_name();
  ASSERT_EQ(1, install(name, "quick"));
  ASSERT_TRUE(start_running(name));
  EXPECT_EQ(1, srv("ShutService", name.c_str()));
  EXPECT_TRUE(wait_for_state(name, SERVICE_STOPPED));
  EXPECT_EQ(0, srv("ShutService", name.c_str()));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state(name));
}

// Each pending state is confirmed before and after the call, so the answer
// was given while the service was in it.
TEST_F(Services, RunningIsTrueInEveryStateButStopped) {
  const std::string starting = new_name();
  const std::string stopping = new_name();
  ASSERT_EQ(1, install(starting, "slowstart"));
  ASSERT_EQ(1, install(stopping, "slow"));

  EXPECT_EQ(0, srv("RunningService", stopping.c_str())) << "stopped";

  ASSERT_TRUE(start_running(stopping));
  EXPECT_EQ(1, srv("RunningService", stopping.c_str())) << "running";

  ASSERT_EQ(1, srv("ShutService", stopping.c_str()));
  ASSERT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), state(stopping));
  EXPECT_EQ(1, srv("RunningService", stopping.c_str())) << "stop pending";
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), state(stopping));

  ASSERT_EQ(1, srv("LaunchService", starting.c_str()));
  ASSERT_TRUE(wait_for_state(starting, SERVICE_START_PENDING));
  EXPECT_EQ(1, srv("RunningService", starting.c_str())) << "start pending";
  EXPECT_EQ(static_cast<DWORD>(SERVICE_START_PENDING), state(starting));

  ASSERT_TRUE(wait_for_state(stopping, SERVICE_STOPPED));
  EXPECT_EQ(0, srv("RunningService", stopping.c_str())) << "stopped again";
}

// Names that bear no service, whether never made or refused at creation:
// every export gives its failure result and nothing else changes. The
// neighbour is a running service whose display name one of them tried to
// take; its display name is no service name either.
TEST_F(Services, NamesWithoutAServiceChangeNothing) {
  const std::string neighbour = new_name();
  ASSERT_EQ(1, install(neighbour, "quick"));
  ASSERT_TRUE(start_running(neighbour));

  const std::string display_taken = new_name();
  EXPECT_EQ(0, srv("InstallService", display_taken.c_str(), display_name(neighbour).c_str(),
                   program("quick").c_str()));
  for (const char* invalid : {"", "setupkit\\with backslash", "setupkit/with slash"})
    EXPECT_EQ(0, srv("InstallService", invalid, "Setupkit test invalid", program("quick").c_str())) << invalid;

  EXPECT_TRUE(gone(display_taken));

  for (const std::string& name : {new_name(), display_taken, display_name(neighbour), std::string(),
                                  std::string("setupkit\\with backslash")}) {
    SCOPED_TRACE("[" + name + "]");
    EXPECT_EQ(0, srv("LaunchService", name.c_str()));
    EXPECT_EQ(0, srv("ShutService", name.c_str()));
    EXPECT_EQ(0, srv("RunningService", name.c_str()));
    const auto took = elapsed_ms([&] { EXPECT_EQ(1, srv("RemoveService", name.c_str())); });
    EXPECT_LT(took, 1000);
  }
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), state(neighbour));
  EXPECT_EQ(display_name(neighbour), config(neighbour).display);
}

TEST_F(Services, NamesWithSpacesGoThroughTheWholeCycle) {
  for (const char* suffix : {" with inner spaces", " trailing space "}) {
    const std::string name = new_name(suffix);
    SCOPED_TRACE("[" + name + "]");
    ASSERT_EQ(1, install(name, "quick"));
    EXPECT_EQ(program("quick"), config(name).path);
    EXPECT_EQ(1, srv("LaunchService", name.c_str()));
    EXPECT_TRUE(wait_for_state(name, SERVICE_RUNNING));
    EXPECT_EQ(1, srv("RunningService", name.c_str()));
    EXPECT_EQ(1, srv("ShutService", name.c_str()));
    EXPECT_TRUE(wait_for_state(name, SERVICE_STOPPED));
    EXPECT_EQ(0, srv("RunningService", name.c_str()));
    EXPECT_EQ(1, srv("RemoveService", name.c_str()));
    EXPECT_TRUE(gone(name));
  }
}

// The stop is asked; the first look comes after one step of 1000 ms, and the
// removal keeps looking each step while the service says it is stopping.
TEST_F(Services, RemoveWaitsOnlyWhileTheServiceIsStopping) {
  struct Case {
    const char* what;
    const char* mode;
    bool started;
    long long at_least_ms, below_ms;
    bool gone_at_once;  // else still running, so only marked for deletion
  };
  constexpr Case kCases[] = {
      {"stopped: the stop is refused, no wait", "quick", false, 0, 1000, true},
      {"stops at once: one step", "quick", true, 950, 2000, true},
      {"stopping for 2.5 s: three steps", "slow", true, 2900, 5000, true},
      {"ignores the stop: one step", "deaf", true, 950, 2000, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::string name = new_name();
    ASSERT_EQ(1, install(name, c.mode));
    if (c.started) ASSERT_TRUE(start_running(name));
    const auto took = elapsed_ms([&] { EXPECT_EQ(1, srv("RemoveService", name.c_str())); });
    EXPECT_GE(took, c.at_least_ms);
    EXPECT_LT(took, c.below_ms);
    if (c.gone_at_once)
      EXPECT_TRUE(gone(name));
    else
      EXPECT_TRUE(deleted(name));
  }
}

}  // namespace
