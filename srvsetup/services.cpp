// Control of one NT service, named by the installation script, through the
// service control manager of the local machine. Each call opens what it
// needs and closes it again; nothing is kept between calls.
#include <windows.h>

#include "exports.h"
#include "handles.h"

using setupcore::ScHandle;

namespace {

constexpr DWORD kStopPollMs = 1000;
// A service that never finishes stopping must not hang the installer: after
// this many polls the removal goes on to the deletion regardless.
constexpr int kStopPollLimit = 30;

// No dependencies: an empty list still needs its closing second zero.
constexpr char kNoDependencies[] = "\0";

ScHandle OpenManager(DWORD access) {
  return ScHandle(OpenSCManagerA(nullptr, nullptr, access));
}

ScHandle OpenNamedService(const ScHandle& manager, const char* name, DWORD access) {
  return ScHandle(OpenServiceA(manager.get(), name, access));
}

// The first look comes a full step after the stop request: a service that
// stops promptly has done so by then and is not asked twice.
void WaitWhileStopping(const ScHandle& service) {
  SERVICE_STATUS status{};
  for (int poll = 0; poll < kStopPollLimit; ++poll) {
    Sleep(kStopPollMs);
    if (!QueryServiceStatus(service.get(), &status)) return;
    if (status.dwCurrentState != SERVICE_STOP_PENDING) return;
  }
}

}  // namespace

extern "C" int __stdcall InstallService(const char* name, const char* display_name, const char* program) {
  const ScHandle manager = OpenManager(SC_MANAGER_CREATE_SERVICE);
  if (!manager) return 0;
  const ScHandle service(CreateServiceA(manager.get(), name, display_name, SERVICE_ALL_ACCESS,
                                        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                        program, nullptr, nullptr, kNoDependencies, nullptr, nullptr));
  return service ? 1 : 0;
}

extern "C" int __stdcall RemoveService(const char* name) {
  const ScHandle manager = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) return 1;
  const ScHandle service = OpenNamedService(manager, name, SERVICE_ALL_ACCESS);
  if (!service) return 1;
  SERVICE_STATUS status{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) WaitWhileStopping(service);
  DeleteService(service.get());
  return 1;
}

extern "C" int __stdcall LaunchService(const char* name) {
  const ScHandle manager = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) return 0;
  const ScHandle service = OpenNamedService(manager, name, GENERIC_READ | GENERIC_EXECUTE);
  if (!service) return 0;
  return StartServiceA(service.get(), 0, nullptr) ? 1 : 0;
}

extern "C" int __stdcall ShutService(const char* name) {
  const ScHandle manager = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) return 0;
  const ScHandle service = OpenNamedService(manager, name, GENERIC_EXECUTE);
  if (!service) return 0;
  SERVICE_STATUS status{};
  return ControlService(service.get(), SERVICE_CONTROL_STOP, &status) ? 1 : 0;
}

extern "C" int __stdcall RunningService(const char* name) {
  const ScHandle manager = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) return 0;
  const ScHandle service = OpenNamedService(manager, name, GENERIC_READ | GENERIC_EXECUTE);
  if (!service) return 0;
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState != SERVICE_STOPPED ? 1 : 0;
}
