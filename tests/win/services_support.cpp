#include "services_support.h"

#include <cstring>

#include "handles.h"
#include "testservice.h"

namespace svctest {
namespace {

using setupcore::Handle;
using setupcore::ScHandle;

ScHandle open_manager() { return ScHandle(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }

ScHandle open_service(const std::string& name, DWORD access) {
  const ScHandle manager = open_manager();
  return ScHandle(manager ? OpenServiceA(manager.get(), name.c_str(), access) : nullptr);
}

// The program's own stem, from its file name, so that programs running side
// by side in one prefix never sweep away each other's services.
const std::string& stem() {
  static const std::string value = [] {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    file = file.substr(file.find_last_of("\\/") + 1);
    return "setupkit_" + file.substr(0, file.find('.'));
  }();
  return value;
}

// Names of every service whose name starts with the stem.
std::vector<std::string> leftovers() {
  std::vector<std::string> names;
  const ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return names;
  std::vector<char> buffer(64 * 1024);
  DWORD needed = 0, count = 0, resume = 0;
  for (;;) {
    const BOOL done = EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                                          reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()),
                                          static_cast<DWORD>(buffer.size()), &needed, &count, &resume);
    if (!done && GetLastError() != ERROR_MORE_DATA) break;
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
      if (_strnicmp(entries[i].lpServiceName, stem().c_str(), stem().size()) == 0)
        names.emplace_back(entries[i].lpServiceName);
    if (done) break;
    if (needed > buffer.size()) buffer.resize(needed);
  }
  return names;
}

void sweep() {
  for (const auto& name : leftovers()) remove_for_good(name);
}

class Sweep : public ::testing::Environment {
 public:
  // Whatever an earlier run that crashed left behind.
  void SetUp() override { sweep(); }
  void TearDown() override {
    sweep();
    EXPECT_TRUE(leftovers().empty()) << "services of " << stem() << " left in the prefix";
  }
};

const auto* const registered_sweep = ::testing::AddGlobalTestEnvironment(new Sweep);

}  // namespace

std::string program(const char* mode) { return harness::program_dir() + "\\testservice.exe " + mode; }

DWORD state(const std::string& name) {
  const ScHandle service = open_service(name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) return kNoService;
  return status.dwCurrentState;
}

bool wait_for_state(const std::string& name, DWORD wanted, DWORD timeout_ms) {
  for (DWORD waited = 0;; waited += 50) {
    if (state(name) == wanted) return true;
    if (waited >= timeout_ms) return false;
    Sleep(50);
  }
}

bool gone(const std::string& name) {
  const ScHandle manager = open_manager();
  const ScHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
  return !service && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
}

bool deleted(const std::string& name) {
  const ScHandle manager = open_manager();
  const ScHandle service(OpenServiceA(manager.get(), name.c_str(), DELETE));
  if (!service) return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
  return !DeleteService(service.get()) && GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
}

Config config(const std::string& name) {
  Config result;
  const ScHandle service = open_service(name, SERVICE_QUERY_CONFIG);
  if (!service) return result;
  std::vector<char> buffer(8 * 1024);
  DWORD needed = 0;
  auto* stored = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.get(), stored, static_cast<DWORD>(buffer.size()), &needed)) return result;
  auto text = [](const char* s) { return s ? std::string(s) : std::string("(null)"); };
  result.found = true;
  result.type = stored->dwServiceType;
  result.start = stored->dwStartType;
  result.error_control = stored->dwErrorControl;
  result.tag = stored->dwTagId;
  result.path = text(stored->lpBinaryPathName);
  result.group = text(stored->lpLoadOrderGroup);
  result.account = text(stored->lpServiceStartName);
  result.display = text(stored->lpDisplayName);
  for (const char* p = stored->lpDependencies; p && *p; p += std::strlen(p) + 1) result.dependencies.emplace_back(p);
  return result;
}

bool start_running(const std::string& name) {
  const ScHandle service = open_service(name, SERVICE_START);
  return service && StartServiceA(service.get(), 0, nullptr) && wait_for_state(name, SERVICE_RUNNING);
}

void remove_for_good(const std::string& name) {
  // The release ends the test service in every mode, the deaf and stuck ones
  // included; the stop request is only for a service that somehow missed it.
  // Held open until the service is gone, in case it has yet to open it.
  const Handle release(CreateEventA(nullptr, TRUE, TRUE, testservice::release_event_name(name).c_str()));
  SetEvent(release.get());
  {
    const ScHandle service = open_service(name, SERVICE_ALL_ACCESS);
    if (!service) return;
    if (!wait_for_state(name, SERVICE_STOPPED, 5000)) {
      SERVICE_STATUS status{};
      ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
      wait_for_state(name, SERVICE_STOPPED);
    }
    DeleteService(service.get());
  }
  for (int i = 0; i < 100 && !gone(name); ++i) Sleep(50);
  EXPECT_TRUE(gone(name)) << "could not remove " << name;
}

void ServiceTest::TearDown() {
  for (const auto& name : names_) remove_for_good(name);
}

std::string ServiceTest::new_name(const char* suffix) {
  names_.push_back(harness::unique_name(stem().c_str()) + suffix);
  return names_.back();
}

int ServiceTest::install(const std::string& name, const char* mode) {
  return srv("InstallService", name.c_str(), display_name(name).c_str(), program(mode).c_str());
}

}  // namespace svctest
