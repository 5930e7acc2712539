// Every export that opens something, run 1000 times over its success and its
// failure paths: the process's handle count, and the balance of local
// allocations and built SIDs, must come back to where they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "harness.h"

namespace {

// Every path of the exports is the same on every call, so a leak grows by
// the same amount each round. Under software emulation (the test VM sets
// SETUPKIT_LEAK_ROUNDS) a thousand rounds of the service calls take longer
// than a whole test run may; fewer still show a leak of one handle per call.
int rounds() {
  const char* text = std::getenv("SETUPKIT_LEAK_ROUNDS");
  const int n = text ? std::atoi(text) : 0;
  return n > 0 ? n : 1000;
}

// Counts the DLL's own LocalAlloc/LocalFree and AllocateAndInitializeSid/
// FreeSid calls through its import slots.
LONG g_live_local = 0;
LONG g_live_sids = 0;

HLOCAL WINAPI counting_local_alloc(UINT flags, SIZE_T bytes) {
  HLOCAL p = LocalAlloc(flags, bytes);
  if (p) InterlockedIncrement(&g_live_local);
  return p;
}
HLOCAL WINAPI counting_local_free(HLOCAL p) {
  if (p) InterlockedDecrement(&g_live_local);
  return LocalFree(p);
}
BOOL WINAPI counting_allocate_sid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD a0, DWORD a1, DWORD a2,
                                  DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7, PSID* sid) {
  const BOOL ok = AllocateAndInitializeSid(authority, count, a0, a1, a2, a3, a4, a5, a6, a7, sid);
  if (ok) InterlockedIncrement(&g_live_sids);
  return ok;
}
PVOID WINAPI counting_free_sid(PSID sid) {
  InterlockedDecrement(&g_live_sids);
  return FreeSid(sid);
}

DWORD handle_count() {
  DWORD n = 0;
  GetProcessHandleCount(GetCurrentProcess(), &n);
  return n;
}

class Leaks : public testing::Test {
 protected:
  void SetUp() override {
    g_live_local = g_live_sids = 0;
  }
  // Runs `body` rounds() times after one warm-up round (first calls may load
  // system libraries that stay loaded) and compares the counts.
  template <typename F>
  void expect_no_leak(const char* what, F body) {
    body();
    const DWORD before = handle_count();
    const int open_before = harness::open_handles();
    const SIZE_T heap_before = harness::heap_in_use();
    const LONG local_before = g_live_local, sids_before = g_live_sids;
    for (int i = 0, n = rounds(); i < n; ++i) body();
    EXPECT_EQ(before, handle_count()) << what << ": handles";
    EXPECT_EQ(open_before, harness::open_handles()) << what << ": open handles";
    EXPECT_EQ(heap_before, harness::heap_in_use()) << what << ": heap bytes in use";
    EXPECT_EQ(local_before, g_live_local) << what << ": local allocations";
    EXPECT_EQ(sids_before, g_live_sids) << what << ": SIDs";
  }
  harness::Dll srv{"srvsetup.dll"};
  harness::Dll cli{"clisetup.dll"};
};

// Keys of a stand-in web service, created for the test and removed after it.
class WebServiceKeys {
 public:
  WebServiceKeys() {
    had_w3svc_ = exists(kW3svc);
    had_inetmgr_ = exists(kInetMgr);
    set(kW3svc, nullptr, nullptr);
    set(kInetMgr, "InstalledBy", "setupkit-leak-test");
    set("SOFTWARE\\Microsoft\\setupkit-leak-test", "InstallPath", "C:\\inetpub");
    set(kParams, "Filter DLLs", "C:\\a\\x.dll,C:\\w\\sitefilt.dll");
    set(kParams, "AnonymousUserName", "SYSTEM");
    set(kRoots, nullptr, nullptr);
  }
  ~WebServiceKeys() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\setupkit-leak-test");
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
      RegDeleteValueA(k, "Filter DLLs");
      RegDeleteValueA(k, "AnonymousUserName");
      RegCloseKey(k);
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRoots, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
      RegDeleteValueA(k, "setupkit-leak-root");
      RegCloseKey(k);
    }
    // Keys this test made are taken away again, so the prefix looks as before.
    if (!had_w3svc_) RegDeleteTreeA(HKEY_LOCAL_MACHINE, kW3svc);
    if (!had_inetmgr_) RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInetMgr);
  }
  static constexpr const char* kW3svc = "SYSTEM\\CurrentControlSet\\Services\\W3SVC";
  static constexpr const char* kInetMgr = "SOFTWARE\\Microsoft\\INetMgr";
  static constexpr const char* kParams = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters";
  static constexpr const char* kRoots = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";

 private:
  static bool exists(const char* path) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  bool had_w3svc_ = false;
  bool had_inetmgr_ = false;
  static void set(const char* path, const char* name, const char* text) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)) return;
    if (name) RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    RegCloseKey(k);
  }
};

// The counter itself must see a handle left open, or the checks below prove
// nothing.
TEST(OpenHandles, SeesAKeyLeftOpen) {
  const int before = harness::open_handles();
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &k));
  EXPECT_EQ(before + 1, harness::open_handles());
  RegCloseKey(k);
  EXPECT_EQ(before, harness::open_handles());
}

TEST_F(Leaks, ProbesAndDigest) {
  for (harness::Dll* dll : {&srv, &cli}) {
    expect_no_leak("KeyExist", [&] {
      dll->call("KeyExist", {harness::word("SOFTWARE")});
      dll->call("KeyExist", {harness::word("SOFTWARE\\setupkit-no-such-key")});
    });
    expect_no_leak("icmp", [&] { dll->call("icmp", {}); });
  }
  expect_no_leak("IsNT/DriveOk", [&] {
    srv("IsNT");
    srv("DriveOk", "C");
  });
}

TEST_F(Leaks, WebServerAndVirtualRoots) {
  WebServiceKeys keys;
  char out[2048];
  expect_no_leak("GetIISDir", [&] { srv("GetIISDir", out); });
  expect_no_leak("IISAddFilter", [&] { srv("IISAddFilter", "D:\\w\\sitefilt.dll"); });
  expect_no_leak("GetFilterDir", [&] { srv("GetFilterDir", out); });
  expect_no_leak("IISInstallVirtualDir", [&] { srv("IISInstallVirtualDir", "setupkit-leak-root", "C:\\r", 1); });
  expect_no_leak("IISVirtToReal", [&] {
    lstrcpyA(out, "setupkit-leak-root");
    srv("IISVirtToReal", out);
    lstrcpyA(out, "setupkit-no-such-root");
    srv("IISVirtToReal", out);
  });
}

TEST_F(Leaks, Security) {
  WebServiceKeys keys;
  harness::ImportPatch alloc(srv.module(), "KERNEL32.dll", "LocalAlloc", reinterpret_cast<const void*>(&counting_local_alloc));
  harness::ImportPatch local_free(srv.module(), "KERNEL32.dll", "LocalFree", reinterpret_cast<const void*>(&counting_local_free));
  harness::ImportPatch sid(srv.module(), "ADVAPI32.dll", "AllocateAndInitializeSid",
                           reinterpret_cast<const void*>(&counting_allocate_sid));
  harness::ImportPatch freesid(srv.module(), "ADVAPI32.dll", "FreeSid", reinterpret_cast<const void*>(&counting_free_sid));
  ASSERT_TRUE(alloc.ok() && local_free.ok() && sid.ok() && freesid.ok()) << "the counters must sit in the DLL's imports";

  const std::string dir = harness::program_dir() + "\\" + harness::unique_name("leakdir");
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  const std::string missing = dir + "\\missing";
  expect_no_leak("RunningAsAdministrator", [&] { srv("RunningAsAdministrator"); });
  expect_no_leak("ClearAccessRights", [&] {
    srv("ClearAccessRights", dir.c_str());
    srv("ClearAccessRights", missing.c_str());
  });
  expect_no_leak("NTSetDirAccess", [&] {
    srv("NTSetDirAccess", dir.c_str(), 1, 0, 0, 0, 0, 1, 1);
    srv("NTSetDirAccess", missing.c_str(), 1, 1, 1, 1, 0, 1, 1);
  });
  RemoveDirectoryA(dir.c_str());
}

TEST_F(Leaks, Services) {
  const std::string name = harness::unique_name("setupkit_leak_svc");
  const std::string program = "\"" + harness::program_dir() + "\\no-such-service.exe\"";
  expect_no_leak("InstallService/RemoveService", [&] {
    srv("InstallService", name.c_str(), name.c_str(), program.c_str());
    srv("RunningService", name.c_str());
    srv("ShutService", name.c_str());
    srv("RemoveService", name.c_str());
  });
  expect_no_leak("service calls on a missing name", [&] {
    srv("LaunchService", name.c_str());
    srv("RunningService", name.c_str());
    srv("ShutService", name.c_str());
    srv("RemoveService", name.c_str());
  });
}

TEST_F(Leaks, Clock) {
  char out[16];
  expect_no_leak("UNow/UNow1", [&] {
    srv("UNow", out);
    srv("UNow1", out);
  });
}

}  // namespace
