// What the service exports ask of the manager, and how they answer when it
// refuses: the DLL's own service imports are redirected, either to recorders
// that pass every call on to the real manager, or to calls that fail the way
// a caller without rights would see. Wine runs every test as an
// administrator, so refusals can't be made any other way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services_support.h"

namespace {

using svctest::deleted;
using svctest::elapsed_ms;
using svctest::gone;
using svctest::start_running;
using svctest::state;

constexpr char kAdvapi[] = "ADVAPI32.dll";

// What the DLL asked for in one call.
struct Asked {
  std::vector<DWORD> manager_access;
  std::vector<DWORD> service_access;  // opened or created
  bool local_active_database = true;
  int opened = 0;
  int closed = 0;
  // The settings handed to CreateServiceA.
  DWORD type = 0, start = 0, error_control = 0;
  std::string path;
  bool no_group = false, no_tag = false, no_account = false, no_password = false;
  bool empty_dependency_list = false;
};
Asked g_asked;

SC_HANDLE WINAPI record_open_manager(LPCSTR machine, LPCSTR database, DWORD access) {
  g_asked.manager_access.push_back(access);
  g_asked.local_active_database &= machine == nullptr && database == nullptr;
  const SC_HANDLE handle = OpenSCManagerA(machine, database, access);
  if (handle) ++g_asked.opened;
  return handle;
}

SC_HANDLE WINAPI record_open_service(SC_HANDLE manager, LPCSTR name, DWORD access) {
  g_asked.service_access.push_back(access);
  const SC_HANDLE handle = OpenServiceA(manager, name, access);
  if (handle) ++g_asked.opened;
  return handle;
}

SC_HANDLE WINAPI record_create_service(SC_HANDLE manager, LPCSTR name, LPCSTR display, DWORD access, DWORD type,
                                       DWORD start, DWORD error_control, LPCSTR path, LPCSTR group, LPDWORD tag,
                                       LPCSTR dependencies, LPCSTR account, LPCSTR password) {
  g_asked.service_access.push_back(access);
  g_asked.type = type;
  g_asked.start = start;
  g_asked.error_control = error_control;
  g_asked.path = path;
  g_asked.no_group = group == nullptr;
  g_asked.no_tag = tag == nullptr;
  g_asked.no_account = account == nullptr;
  g_asked.no_password = password == nullptr;
  // The list is read up to its second zero; a lone "" would run on into
  // whatever follows it.
  g_asked.empty_dependency_list = dependencies && dependencies[0] == '\0' && dependencies[1] == '\0';
  const SC_HANDLE handle = CreateServiceA(manager, name, display, access, type, start, error_control, path, group,
                                          tag, dependencies, account, password);
  if (handle) ++g_asked.opened;
  return handle;
}

BOOL WINAPI record_close(SC_HANDLE handle) {
  ++g_asked.closed;
  return CloseServiceHandle(handle);
}

SC_HANDLE WINAPI refuse_manager(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

BOOL WINAPI refuse_status(SC_HANDLE, LPSERVICE_STATUS) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

BOOL WINAPI refuse_delete(SC_HANDLE) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

template <typename F>
const void* replacement(F* function) {
  return reinterpret_cast<const void*>(function);
}

using ServiceCalls = svctest::ServiceTest;

TEST_F(ServiceCalls, AskTheTablesAccessAndCloseEveryHandle) {
  enum class Target { New, Stopped, Running, Missing };
  struct Case {
    const char* export_name;
    Target target;
    int result;
    DWORD manager_access, service_access;
  };
  constexpr DWORD kReadExecute = GENERIC_READ | GENERIC_EXECUTE;
  constexpr Case kCases[] = {
      {"InstallService", Target::New, 1, SC_MANAGER_CREATE_SERVICE, SERVICE_ALL_ACCESS},
      {"RemoveService", Target::Stopped, 1, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS},
      {"LaunchService", Target::Stopped, 1, SC_MANAGER_ALL_ACCESS, kReadExecute},
      {"ShutService", Target::Running, 1, SC_MANAGER_ALL_ACCESS, GENERIC_EXECUTE},
      {"RunningService", Target::Running, 1, SC_MANAGER_ALL_ACCESS, kReadExecute},
      {"RemoveService", Target::Missing, 1, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS},
      {"LaunchService", Target::Missing, 0, SC_MANAGER_ALL_ACCESS, kReadExecute},
      {"ShutService", Target::Missing, 0, SC_MANAGER_ALL_ACCESS, GENERIC_EXECUTE},
      {"RunningService", Target::Missing, 0, SC_MANAGER_ALL_ACCESS, kReadExecute},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.export_name) + " on a " +
                 (c.target == Target::Missing ? "missing" : c.target == Target::Running ? "running" : "stopped") +
                 " service");
    const std::string name = new_name();
    if (c.target == Target::Stopped || c.target == Target::Running) ASSERT_EQ(1, install(name, "quick"));
    if (c.target == Target::Running) ASSERT_TRUE(start_running(name));

    g_asked = Asked{};
    {
      const harness::ImportPatch manager(srv.module(), kAdvapi, "OpenSCManagerA", replacement(record_open_manager));
      const harness::ImportPatch service(srv.module(), kAdvapi, "OpenServiceA", replacement(record_open_service));
      const harness::ImportPatch create(srv.module(), kAdvapi, "CreateServiceA", replacement(record_create_service));
      const harness::ImportPatch close(srv.module(), kAdvapi, "CloseServiceHandle", replacement(record_close));
      ASSERT_TRUE(manager.ok() && service.ok() && create.ok() && close.ok());
      if (c.target == Target::New)
        EXPECT_EQ(c.result, srv(c.export_name, name.c_str(), display_name(name).c_str(),
                                svctest::program("quick").c_str()));
      else
        EXPECT_EQ(c.result, srv(c.export_name, name.c_str()));
    }
    EXPECT_EQ(std::vector<DWORD>{c.manager_access}, g_asked.manager_access);
    EXPECT_EQ(std::vector<DWORD>{c.service_access}, g_asked.service_access);
    EXPECT_TRUE(g_asked.local_active_database);
    EXPECT_EQ(c.target == Target::Missing ? 1 : 2, g_asked.opened);
    EXPECT_EQ(g_asked.opened, g_asked.closed) << "handles left open";
  }
}

TEST_F(ServiceCalls, InstallHandsOverTheFixedSettings) {
  const std::string name = new_name();
  g_asked = Asked{};
  {
    const harness::ImportPatch create(srv.module(), kAdvapi, "CreateServiceA", replacement(record_create_service));
    ASSERT_TRUE(create.ok());
    ASSERT_EQ(1, install(name, "quick"));
  }
  EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), g_asked.type);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), g_asked.start);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), g_asked.error_control);
  EXPECT_EQ(svctest::program("quick"), g_asked.path);
  EXPECT_TRUE(g_asked.no_group);
  EXPECT_TRUE(g_asked.no_tag);
  EXPECT_TRUE(g_asked.empty_dependency_list);
  EXPECT_TRUE(g_asked.no_account) << "LocalSystem is asked for by giving no account";
  EXPECT_TRUE(g_asked.no_password);
}

TEST_F(ServiceCalls, RefusedManagerChangesNothing) {
  const std::string running = new_name();
  const std::string stopped = new_name();
  const std::string fresh = new_name();
  ASSERT_EQ(1, install(running, "quick"));
  ASSERT_EQ(1, install(stopped, "quick"));
  ASSERT_TRUE(start_running(running));
  {
    const harness::ImportPatch refuse(srv.module(), kAdvapi, "OpenSCManagerA", replacement(refuse_manager));
    ASSERT_TRUE(refuse.ok());
    EXPECT_EQ(0, srv("InstallService", fresh.c_str(), display_name(fresh).c_str(), svctest::program("quick").c_str()));
    EXPECT_EQ(1, srv("RemoveService", running.c_str()));
    EXPECT_EQ(0, srv("LaunchService", stopped.c_str()));
    EXPECT_EQ(0, srv("ShutService", running.c_str()));
    EXPECT_EQ(0, srv("RunningService", running.c_str()));
  }
  EXPECT_TRUE(gone(fresh));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), state(running));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state(stopped));
}

// A status query that fails reads as "not running", and ends the removal's
// wait at once: the service below would otherwise keep it for three steps.
TEST_F(ServiceCalls, FailedStatusQueryEndsTheWait) {
  const std::string running = new_name();
  const std::string stopping = new_name();
  ASSERT_EQ(1, install(running, "quick"));
  ASSERT_EQ(1, install(stopping, "slow"));
  ASSERT_TRUE(start_running(running));
  ASSERT_TRUE(start_running(stopping));
  const harness::ImportPatch refuse(srv.module(), kAdvapi, "QueryServiceStatus", replacement(refuse_status));
  ASSERT_TRUE(refuse.ok());
  EXPECT_EQ(0, srv("RunningService", running.c_str()));
  const auto took = elapsed_ms([&] { EXPECT_EQ(1, srv("RemoveService", stopping.c_str())); });
  EXPECT_GE(took, 950);
  EXPECT_LT(took, 2000);
  EXPECT_TRUE(deleted(stopping));
}

TEST_F(ServiceCalls, RefusedDeletionStillGivesOne) {
  const std::string name = new_name();
  ASSERT_EQ(1, install(name, "quick"));
  {
    const harness::ImportPatch refuse(srv.module(), kAdvapi, "DeleteService", replacement(refuse_delete));
    ASSERT_TRUE(refuse.ok());
    EXPECT_EQ(1, srv("RemoveService", name.c_str()));
  }
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state(name));
}

}  // namespace
