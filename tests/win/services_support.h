// Test services through the platform's own service calls: install
// preconditions, read back what the DLL did, and clean up.
//
// Every service a test program makes is named after the program (its stem),
// and every one is stopped and deleted through the manager when its test
// ends, and again before and after the whole run: Wine starts auto-start
// services whenever the prefix boots, and a service whose process was
// killed stays "running" for good, so nothing may be left behind.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "harness.h"

namespace svctest {

constexpr DWORD kNoService = 0;  // what state() gives when the service can't be opened

// "<full path of testservice.exe> <mode>", the service's program as the
// manager will run it.
std::string program(const char* mode);

// The current state by QueryServiceStatus, or kNoService.
DWORD state(const std::string& name);
bool wait_for_state(const std::string& name, DWORD wanted, DWORD timeout_ms = 10000);

// Gone: no service bears the name. Deleted: gone, or marked for deletion
// and only waiting for its process to stop.
bool gone(const std::string& name);
bool deleted(const std::string& name);

// The stored configuration by QueryServiceConfigA.
struct Config {
  bool found = false;
  DWORD type = 0, start = 0, error_control = 0, tag = 0;
  std::string path, group, account, display;
  std::vector<std::string> dependencies;
};
Config config(const std::string& name);

// Starts the service by StartServiceA and waits until it runs.
bool start_running(const std::string& name);

// Releases, stops and deletes the service, and waits until it is gone.
void remove_for_good(const std::string& name);

// Milliseconds a call takes.
template <typename F>
long long elapsed_ms(F&& f) {
  const auto begin = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin).count();
}

// Names every service of this program and removes them all in TearDown.
class ServiceTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // A new unique name, starting with the program's stem, with "suffix"
  // appended; removed in TearDown.
  std::string new_name(const char* suffix = "");
  static std::string display_name(const std::string& name) { return "Setupkit test " + name; }

  // InstallService through the DLL with the program of this mode.
  int install(const std::string& name, const char* mode);

  harness::Dll srv{"srvsetup.dll"};

 private:
  std::vector<std::string> names_;
};

}  // namespace svctest
