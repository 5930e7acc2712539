// Stand-in for the example product's service: it reports running until the
// service manager asks it to stop. The demo installs and removes it through
// the kit.
#include <windows.h>

#include "handles.h"

namespace {

SERVICE_STATUS_HANDLE status_handle = nullptr;
setupcore::Handle stop_requested;

void Report(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 2000;
  SetServiceStatus(status_handle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control != SERVICE_CONTROL_STOP) return ERROR_CALL_NOT_IMPLEMENTED;
  Report(SERVICE_STOP_PENDING);
  SetEvent(stop_requested.get());
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, char**) {
  status_handle = RegisterServiceCtrlHandlerExA("", Control, nullptr);
  if (!status_handle) return;
  stop_requested.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!stop_requested) {
    Report(SERVICE_STOPPED);
    return;
  }
  Report(SERVICE_RUNNING);
  WaitForSingleObject(stop_requested.get(), INFINITE);
  Report(SERVICE_STOPPED);
}

}  // namespace

int main() {
  // An own-process service: the dispatcher ignores the name.
  char name[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
