// The system probes against the real Wine system of the test prefix.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstdlib>
#include <string>

#include "harness.h"

namespace {

const char* const kLibraries[] = {"srvsetup.dll", "clisetup.dll"};

TEST(IsNT, OneOnNtAndZeroWhenThisProgramIsToldItRunsOnWindows95) {
  harness::Dll srv("srvsetup.dll");
  EXPECT_EQ(1, srv("IsNT"));

  // Wine's per-program version setting is taken up when a process starts, so
  // a second run of this program makes the Windows 95 check.
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string exe = std::string(path).substr(std::string(path).find_last_of('\\') + 1);
  const std::string key = "Software\\Wine\\AppDefaults\\" + exe;
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           &k, nullptr));
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win95"), 6);
  RegCloseKey(k);

  std::string command = std::string("\"") + path + "\" --gtest_filter=IsNTOn95.*";
  SetEnvironmentVariableA("SETUPKIT_WIN95_RUN", "1");
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  DWORD code = 99;
  if (started) {
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  SetEnvironmentVariableA("SETUPKIT_WIN95_RUN", nullptr);
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  ASSERT_TRUE(started);
  EXPECT_EQ(0u, code) << "the Windows 95 run failed";
}

TEST(IsNTOn95, GivesZero) {
  if (!std::getenv("SETUPKIT_WIN95_RUN")) GTEST_SKIP() << "runs inside the Windows 95 check only";
  OSVERSIONINFOA info{sizeof info};
  GetVersionExA(&info);
  ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), info.dwPlatformId) << "Wine's setting not taken up";
  harness::Dll srv("srvsetup.dll");
  EXPECT_EQ(0, srv("IsNT"));
}

// A key that exists but refuses opening: owner SYSTEM and an empty DACL.
// The refusal lasts until the Wine server restarts.
std::string make_refused_key() {
  const std::string path = "SOFTWARE\\setupkit-test\\" + harness::unique_name("refused");
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr))
    return "";
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ACL acl;
  InitializeAcl(&acl, sizeof acl, ACL_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
  BYTE system_sid[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof system_sid;
  CreateWellKnownSid(WinLocalSystemSid, nullptr, system_sid, &sid_size);
  SetSecurityDescriptorOwner(&sd, system_sid, FALSE);
  const LONG rc = RegSetKeySecurity(k, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &sd);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS ? path : "";
}

TEST(KeyExist, OpensOrNotBelowLocalMachine) {
  const std::string refused = make_refused_key();
  ASSERT_FALSE(refused.empty());
  HKEY probe = nullptr;
  ASSERT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, refused.c_str(), &probe)) << "fixture must refuse";

  struct Case {
    const char* path;
    int result;
  } cases[] = {
      {"SOFTWARE", 1},
      {"SOFTWARE\\Microsoft", 1},
      {"", 1},  // HKEY_LOCAL_MACHINE itself
      {"SOFTWARE\\setupkit-no-such-key", 0},
      {refused.c_str(), 0},
  };
  for (const char* file : kLibraries) {
    harness::Dll dll(file);
    for (const auto& c : cases) EXPECT_EQ(c.result, dll("KeyExist", c.path)) << file << " '" << c.path << "'";
  }
}

TEST(DriveOk, FixedDrivesOnlyByTheFirstCharacter) {
  harness::Dll srv("srvsetup.dll");
  // The prefix maps R: as a CD-ROM; Q: is left unmapped.
  ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA("R:\\"));
  ASSERT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("Q:\\"));
  struct Case {
    const char* drive;
    int result;
  } cases[] = {
      {"C", 1}, {"c:", 1}, {"c:\\data", 1}, {"C:\\no\\such\\dir", 1}, {"R", 0}, {"r:\\", 0}, {"Q", 0}, {"?", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, srv("DriveOk", c.drive)) << c.drive;
  EXPECT_EQ(GetDriveTypeA("") == DRIVE_FIXED ? 1 : 0, srv("DriveOk", ""));
}

TEST(Icmp, LoadsAndLeavesTheLibraryUnloaded) {
  ASSERT_EQ(nullptr, GetModuleHandleA("icmp.dll")) << "nothing in the test loads it";
  for (const char* file : kLibraries) {
    harness::Dll dll(file);
    EXPECT_EQ(1, dll("icmp")) << file;
    EXPECT_EQ(nullptr, GetModuleHandleA("icmp.dll")) << file;
    EXPECT_EQ(1, dll("icmp")) << file;
  }
}

// Run by ctest a second time with the ICMP library disabled for the process.
TEST(IcmpDisabled, GivesZeroWhenTheLibraryCannotLoad) {
  const char* overrides = std::getenv("SETUPKIT_DLLOVERRIDES");
  if (!overrides || std::string(overrides).find("icmp=") == std::string::npos)
    GTEST_SKIP() << "runs only with the ICMP override";
  for (const char* file : kLibraries) {
    harness::Dll dll(file);
    EXPECT_EQ(0, dll("icmp")) << file;
    EXPECT_EQ(nullptr, GetModuleHandleA("icmp.dll")) << file;
  }
}

}  // namespace
