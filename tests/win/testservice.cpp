// A real service for the service-control tests. The word after the program
// path chooses how it answers a stop request:
//   quick      stops at once
//   slow       reports stop-pending for about 2.5 s, then stops
//   deaf       accepts the request and goes on running
//   stuck      reports stop-pending for a minute, far past any wait of the
//              code under test, then stops
//   slowstart  reports start-pending for about 3 s before running, then
//              behaves as quick
// In every mode the service stops as soon as the event named by
// release_event_name() is set: that is how the tests' teardown ends the
// services that won't stop on request, since a killed service stays
// "running" in the manager's books.
#include <windows.h>

#include <cstring>
#include <string>

#include "testservice.h"

namespace {

enum class Mode { Quick, Slow, Deaf, Stuck, SlowStart };

Mode g_mode = Mode::Quick;
SERVICE_STATUS_HANDLE g_status_handle = nullptr;
SERVICE_STATUS g_status{};
HANDLE g_stop_requested = nullptr;
HANDLE g_release = nullptr;
CRITICAL_SECTION g_lock;

Mode parse_mode(const char* word) {
  if (std::strcmp(word, "slow") == 0) return Mode::Slow;
  if (std::strcmp(word, "deaf") == 0) return Mode::Deaf;
  if (std::strcmp(word, "stuck") == 0) return Mode::Stuck;
  if (std::strcmp(word, "slowstart") == 0) return Mode::SlowStart;
  return Mode::Quick;
}

// Nothing may follow the stopped report: a stop request racing with the
// release would otherwise revive the service in the manager's eyes and keep
// its process from ending.
void report(DWORD state, DWORD wait_hint) {
  EnterCriticalSection(&g_lock);
  if (g_status.dwCurrentState == SERVICE_STOPPED) {
    LeaveCriticalSection(&g_lock);
    return;
  }
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  g_status.dwWin32ExitCode = NO_ERROR;
  g_status.dwCheckPoint = (state == SERVICE_RUNNING || state == SERVICE_STOPPED) ? 0 : g_status.dwCheckPoint + 1;
  g_status.dwWaitHint = wait_hint;
  SetServiceStatus(g_status_handle, &g_status);
  LeaveCriticalSection(&g_lock);
}

DWORD WINAPI on_control(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      if (g_mode == Mode::Deaf) return NO_ERROR;
      // Reported here rather than by the main thread, so the state the
      // manager hands back for the request is already the pending one.
      report(SERVICE_STOP_PENDING, 5000);
      SetEvent(g_stop_requested);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

// Waits for the time, or less if released; true if released.
bool released_within(DWORD ms) { return WaitForSingleObject(g_release, ms) == WAIT_OBJECT_0; }

void WINAPI service_main(DWORD, char** argv) {
  g_status_handle = RegisterServiceCtrlHandlerExA(argv[0], on_control, nullptr);
  if (!g_status_handle) return;
  g_release = CreateEventA(nullptr, TRUE, FALSE, testservice::release_event_name(argv[0]).c_str());
  g_stop_requested = CreateEventA(nullptr, TRUE, FALSE, nullptr);

  if (g_mode == Mode::SlowStart) {
    report(SERVICE_START_PENDING, 5000);
    released_within(3000);
  }
  report(SERVICE_RUNNING, 0);

  const HANDLE either[] = {g_stop_requested, g_release};
  const DWORD woke = WaitForMultipleObjects(2, either, FALSE, INFINITE);
  if (woke == WAIT_OBJECT_0) {
    if (g_mode == Mode::Slow) released_within(2500);
    if (g_mode == Mode::Stuck) released_within(60000);
  }
  report(SERVICE_STOPPED, 0);
}

}  // namespace

int main(int argc, char** argv) {
  InitializeCriticalSection(&g_lock);
  g_mode = parse_mode(argc > 1 ? argv[1] : "quick");
  // Own-process services ignore the name in the table; the manager passes
  // the real one to service_main.
  char no_name[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{no_name, service_main}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
