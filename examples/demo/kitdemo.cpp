// The demo's eyes and hands inside its Wine prefix: it sets up a stand-in web
// service (nothing but the registry values the kit reads and writes) and
// tells in plain words what the example installer changed. It looks at the
// registry and the service manager itself, not through the kit; only the
// access report needs the kit's DLL (see Access below).
//
//   kitdemo prepare <service> <root>     stand-in web service; leftovers of an
//                                        earlier run removed
//   kitdemo filters                      the web service's filter list
//   kitdemo root <name>                  one virtual root's record
//   kitdemo access <srvsetup.dll> <log>  the access lists the kit writes for
//                                        the access calls in the installer's log
//   kitdemo service <name>               the service's state and settings
//   kitdemo value <key> <name>           one text value below HKLM
//   kitdemo run <command line>           starts a program with exactly this
//                                        command line, waits, passes on its
//                                        exit code
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "handles.h"
#include "importpatch.h"

namespace {

using setupcore::Library;
using setupcore::LocalMemory;
using setupcore::RegKey;
using setupcore::ScHandle;

constexpr char kWebService[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC";
constexpr char kParameters[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters";
constexpr char kRoots[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
constexpr char kINetMgr[] = "SOFTWARE\\Microsoft\\INetMgr";
constexpr char kSetupRecordName[] = "InetStp";
constexpr char kSetupRecord[] = "SOFTWARE\\Microsoft\\InetStp";
constexpr char kWebServerDir[] = "C:\\WebServer";
constexpr char kWebRootDir[] = "C:\\WebServer\\wwwroot";
// Two filters of the web server's own, and a registration of the product's
// module left by an older version in another directory, in another case,
// with spaces around it.
constexpr char kFiltersBefore[] =
    "C:\\WebServer\\sspifilt.dll, C:\\Old Site\\bin\\SITEFILT.DLL ,C:\\WebServer\\compfilt.dll";

bool SetText(const char* key_path, const char* name, const char* text) {
  RegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1) ==
         ERROR_SUCCESS;
}

// The value's text, or false when the key or value is missing.
bool GetText(const char* key_path, const char* name, std::string& text) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  text = data.data();
  return true;
}

void DeleteValue(const char* key_path, const char* name) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
    RegDeleteValueA(key.get(), name);
}

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (;;) {
    const auto comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// ---- prepare ----

void StopAndDeleteService(const char* name) {
  ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return;
  ScHandle service(OpenServiceA(manager.get(), name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service) return;
  SERVICE_STATUS status{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    for (int i = 0; i < 20 && QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED;
         ++i)
      Sleep(250);
  }
  DeleteService(service.get());
  std::printf("  (removed the service %s left by an earlier run)\n", name);
}

int Prepare(const char* service, const char* root) {
  StopAndDeleteService(service);
  DeleteValue(kRoots, root);
  DeleteValue(kRoots, (std::string(root) + ",").c_str());

  char user[256];
  DWORD user_size = sizeof user;
  if (!GetUserNameA(user, &user_size)) {
    std::printf("can't tell the current user (error %lu)\n", GetLastError());
    return 1;
  }
  CreateDirectoryA(kWebServerDir, nullptr);
  CreateDirectoryA(kWebRootDir, nullptr);

  RegKey web_service;
  const bool ok =
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWebService, 0, nullptr, 0, KEY_READ, nullptr, web_service.put(),
                      nullptr) == ERROR_SUCCESS &&
      SetText(kINetMgr, "InstalledBy", kSetupRecordName) && SetText(kSetupRecord, "InstallPath", kWebServerDir) &&
      SetText(kParameters, "Filter DLLs", kFiltersBefore) && SetText(kParameters, "AnonymousUserName", user) &&
      SetText(kRoots, "/", (std::string(kWebRootDir) + ",,1").c_str());
  if (!ok) {
    std::printf("can't write the stand-in web service's registry\n");
    return 1;
  }
  std::printf("  HKLM\\%s (present: the web service is installed)\n", kWebService);
  std::printf("  HKLM\\%s: InstalledBy = %s\n", kINetMgr, kSetupRecordName);
  std::printf("  HKLM\\%s: InstallPath = %s\n", kSetupRecord, kWebServerDir);
  std::printf("  HKLM\\%s: AnonymousUserName = %s (the current Wine user)\n", kParameters, user);
  std::printf("  HKLM\\%s: / = %s,,1\n", kRoots, kWebRootDir);
  return 0;
}

// ---- filters, root, value ----

int Filters() {
  std::string list;
  if (!GetText(kParameters, "Filter DLLs", list)) {
    std::printf("  no filter list\n");
    return 0;
  }
  std::printf("  \"Filter DLLs\" = \"%s\"\n", list.c_str());
  int n = 0;
  for (const auto& field : SplitFields(list)) {
    const std::string entry = Trimmed(field);
    if (!entry.empty()) std::printf("    %d. %s\n", ++n, entry.c_str());
  }
  return 0;
}

int Root(const char* name) {
  std::string value_name = name;
  std::string record;
  if (!GetText(kRoots, value_name.c_str(), record) || record.empty()) {
    value_name += ',';
    if (!GetText(kRoots, value_name.c_str(), record) || record.empty()) {
      std::printf("  no virtual root named %s\n", name);
      return 0;
    }
  }
  const auto fields = SplitFields(record);
  std::printf("  \"%s\" = \"%s\"\n", value_name.c_str(), record.c_str());
  std::printf("    directory:    %s\n", fields[0].c_str());
  std::printf("    attribute:    %s\n", fields.size() > 1 && !fields[1].empty() ? fields[1].c_str() : "(empty)");
  std::printf("    access flags: %s\n", fields.size() > 2 ? fields[2].c_str() : "(none)");
  return 0;
}

int Value(const char* key_path, const char* name) {
  std::string text;
  if (GetText(key_path, name, text))
    std::printf("  %s = %s\n", name, text.c_str());
  else
    std::printf("  %s: missing\n", name);
  return 0;
}

// ---- access ----
//
// Wine keeps no access lists on files: it turns what a program writes into
// Unix mode bits and makes up a list from them when asked. To show what the
// kit writes, the logged calls are made again through a second copy of
// srvsetup.dll whose two file-security imports are pointed at a store kept
// here; the DLL itself runs unchanged.

std::map<std::string, std::vector<BYTE>> recorded;  // lower-case path -> self-relative descriptor
decltype(&GetFileSecurityA) platform_get_file_security = nullptr;

std::string PathKey(const char* path) {
  std::string key = path;
  CharLowerBuffA(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

BOOL WINAPI RecordedGetFileSecurity(LPCSTR path, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR descriptor,
                                    DWORD size, LPDWORD needed) {
  const auto it = recorded.find(PathKey(path));
  if (it == recorded.end()) return platform_get_file_security(path, info, descriptor, size, needed);
  *needed = static_cast<DWORD>(it->second.size());
  if (size < it->second.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(descriptor, it->second.data(), it->second.size());
  return TRUE;
}

BOOL WINAPI RecordedSetFileSecurity(LPCSTR path, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR descriptor) {
  // The platform's answer for a path that isn't there.
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return FALSE;
  if (info != DACL_SECURITY_INFORMATION) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  SECURITY_DESCRIPTOR kept;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) ||
      !InitializeSecurityDescriptor(&kept, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&kept, present, dacl, defaulted))
    return FALSE;
  DWORD size = 0;
  MakeSelfRelativeSD(&kept, nullptr, &size);
  std::vector<BYTE> bytes(size);
  if (!MakeSelfRelativeSD(&kept, bytes.data(), &size)) return FALSE;
  recorded[PathKey(path)] = std::move(bytes);
  return TRUE;
}

std::string AccountOf(PSID sid) {
  char name[256];
  char domain[256];
  DWORD name_size = sizeof name;
  DWORD domain_size = sizeof domain;
  SID_NAME_USE use;
  std::string account = "(unknown account)";
  if (LookupAccountSidA(nullptr, sid, name, &name_size, domain, &domain_size, &use))
    account = domain[0] ? std::string(domain) + "\\" + name : std::string(name);
  char* text = nullptr;
  if (ConvertSidToStringSidA(sid, &text)) {
    LocalMemory owner(text);
    account += std::string(" (") + text + ")";
  }
  return account;
}

struct Bit {
  DWORD value;
  const char* name;
  const char* words;
};

constexpr Bit kRights[] = {
    {GENERIC_ALL, "GENERIC_ALL", "full control"}, {GENERIC_READ, "GENERIC_READ", "read"},
    {GENERIC_WRITE, "GENERIC_WRITE", "write"},   {GENERIC_EXECUTE, "GENERIC_EXECUTE", "execute"},
    {DELETE, "DELETE", "delete"},
};

constexpr Bit kFlags[] = {
    {OBJECT_INHERIT_ACE, "OBJECT_INHERIT_ACE", "files created in it inherit the entry"},
    {CONTAINER_INHERIT_ACE, "CONTAINER_INHERIT_ACE", "subdirectories inherit the entry"},
    {NO_PROPAGATE_INHERIT_ACE, "NO_PROPAGATE_INHERIT_ACE", "inherited one level only"},
    {INHERIT_ONLY_ACE, "INHERIT_ONLY_ACE", "applies to children only"},
    {INHERITED_ACE, "INHERITED_ACE", "inherited from the parent"},
};

template <size_t N>
std::string Describe(DWORD value, const Bit (&bits)[N], const char* none) {
  std::string words;
  std::string names;
  DWORD rest = value;
  for (const auto& bit : bits) {
    if ((value & bit.value) != bit.value) continue;
    words += (words.empty() ? "" : ", ") + std::string(bit.words);
    names += (names.empty() ? "" : " | ") + std::string(bit.name);
    rest &= ~bit.value;
  }
  if (rest) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%lX", rest);
    words += (words.empty() ? "" : ", ") + std::string("other bits");
    names += (names.empty() ? "" : " | ") + std::string(hex);
  }
  if (names.empty()) return none;
  return words + " (" + names + ")";
}

void PrintAccessList(const std::vector<BYTE>& descriptor) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  auto* sd = const_cast<BYTE*>(descriptor.data());
  if (!GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !present || !dacl) {
    std::printf("    no access list: nothing is restricted\n");
    return;
  }
  ACL_SIZE_INFORMATION size{};
  GetAclInformation(dacl, &size, sizeof size, AclSizeInformation);
  if (size.AceCount == 0) std::printf("    empty: nobody is granted anything\n");
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      std::printf("    %lu. an entry of type %u\n", i + 1, header->AceType);
      continue;
    }
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    std::printf("    %lu. allow %s\n", i + 1, AccountOf(&allowed->SidStart).c_str());
    std::printf("         rights: %s\n", Describe(allowed->Mask, kRights, "none (0)").c_str());
    std::printf("         flags:  %s\n", Describe(header->AceFlags, kFlags, "none (0)").c_str());
  }
}

struct LoggedCall {
  std::string line;
  std::string export_name;
  std::string path;
  std::vector<int> numbers;
  int result = 0;
};

// "NTSetDirAccess("C:\dir", 1, 0, 1, 0, 0, 1, 0) = 1" as the installer logs it.
bool ParseCall(const std::string& line, LoggedCall& call) {
  const auto open = line.find("(\"");
  const auto close = line.find('"', open == std::string::npos ? 0 : open + 2);
  const auto equals = line.rfind(") = ");
  if (open == std::string::npos || close == std::string::npos || equals == std::string::npos) return false;
  call.line = line;
  call.export_name = line.substr(0, open);
  call.path = line.substr(open + 2, close - open - 2);
  call.numbers.clear();
  for (const auto& field : SplitFields(line.substr(close + 1, equals - close - 1)))
    if (!Trimmed(field).empty()) call.numbers.push_back(std::atoi(field.c_str()));
  call.result = std::atoi(line.c_str() + equals + 4);
  return true;
}

int Access(const char* dll_path, const char* log_path) {
  std::ifstream log(log_path);
  if (!log) {
    std::printf("  can't read the installer's log %s\n", log_path);
    return 1;
  }
  std::vector<LoggedCall> calls;
  for (std::string line; std::getline(log, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    LoggedCall call;
    if ((line.rfind("ClearAccessRights(", 0) == 0 || line.rfind("NTSetDirAccess(", 0) == 0) && ParseCall(line, call))
      calls.push_back(call);
  }
  if (calls.empty()) {
    std::printf("  the installer's log has no access calls\n");
    return 1;
  }

  Library dll(LoadLibraryA(dll_path));
  if (!dll) {
    std::printf("  can't load %s (error %lu)\n", dll_path, GetLastError());
    return 1;
  }
  using ClearProc = int(__cdecl*)(const char*);
  using GrantProc = int(__cdecl*)(const char*, int, int, int, int, int, int, int);
  auto clear = reinterpret_cast<ClearProc>(reinterpret_cast<void*>(GetProcAddress(dll.get(), "ClearAccessRights")));
  auto grant = reinterpret_cast<GrantProc>(reinterpret_cast<void*>(GetProcAddress(dll.get(), "NTSetDirAccess")));
  const harness::ImportPatch get_patch(dll.get(), "ADVAPI32.dll", "GetFileSecurityA",
                                       reinterpret_cast<const void*>(&RecordedGetFileSecurity));
  const harness::ImportPatch set_patch(dll.get(), "ADVAPI32.dll", "SetFileSecurityA",
                                       reinterpret_cast<const void*>(&RecordedSetFileSecurity));
  platform_get_file_security =
      reinterpret_cast<decltype(&GetFileSecurityA)>(const_cast<void*>(get_patch.original()));
  if (!clear || !grant || !get_patch.ok() || !set_patch.ok()) {
    std::printf("  can't redirect the file-security calls of %s\n", dll_path);
    return 1;
  }

  int mismatches = 0;
  std::vector<std::string> paths;
  for (const auto& call : calls) {
    int result = -1;
    if (call.export_name == "ClearAccessRights" && call.numbers.empty()) {
      result = clear(call.path.c_str());
    } else if (call.export_name == "NTSetDirAccess" && call.numbers.size() == 7) {
      const auto& n = call.numbers;
      result = grant(call.path.c_str(), n[0], n[1], n[2], n[3], n[4], n[5], n[6]);
    }
    std::printf("  %s\n", call.line.c_str());
    if (result != call.result) {
      std::printf("    made again here it gives %d\n", result);
      ++mismatches;
    }
    bool seen = false;
    for (const auto& p : paths) seen = seen || PathKey(p.c_str()) == PathKey(call.path.c_str());
    if (!seen) paths.push_back(call.path);
  }
  for (const auto& path : paths) {
    std::printf("  Access list of %s:\n", path.c_str());
    const auto it = recorded.find(PathKey(path.c_str()));
    if (it == recorded.end())
      std::printf("    not written\n");
    else
      PrintAccessList(it->second);
  }
  return mismatches ? 1 : 0;
}

// ---- service ----

const char* StateWords(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "starting";
    case SERVICE_STOP_PENDING: return "stopping";
    case SERVICE_RUNNING: return "running";
    case SERVICE_CONTINUE_PENDING: return "continuing";
    case SERVICE_PAUSE_PENDING: return "pausing";
    case SERVICE_PAUSED: return "paused";
  }
  return "in an unknown state";
}

const char* StartWords(DWORD start) {
  switch (start) {
    case SERVICE_AUTO_START: return "automatically at boot";
    case SERVICE_DEMAND_START: return "on demand";
    case SERVICE_DISABLED: return "never (disabled)";
  }
  return "by the system loader";
}

int Service(const char* name) {
  ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    std::printf("  can't open the service manager (error %lu)\n", GetLastError());
    return 1;
  }
  ScHandle service(OpenServiceA(manager.get(), name, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
  if (!service) {
    if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST)
      std::printf("  %s: not installed\n", name);
    else
      std::printf("  %s: can't be opened (error %lu)\n", name, GetLastError());
    return 0;
  }
  // A start was only requested: give it a moment to get there.
  SERVICE_STATUS status{};
  for (int i = 0; i < 40 && QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_START_PENDING;
       ++i)
    Sleep(250);
  std::printf("  %s: %s\n", name, StateWords(status.dwCurrentState));
  DWORD size = 0;
  QueryServiceConfigA(service.get(), nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (size && QueryServiceConfigA(service.get(), config, size, &size)) {
    std::printf("    display name: %s\n", config->lpDisplayName);
    std::printf("    starts:       %s\n", StartWords(config->dwStartType));
    std::printf("    runs as:      %s\n", config->lpServiceStartName && config->lpServiceStartName[0]
                                              ? config->lpServiceStartName
                                              : "LocalSystem");
    std::printf("    program:      %s\n", config->lpBinaryPathName);
  }
  return 0;
}

// Wine quotes every argument with a space in it when it builds a command
// line, and NSIS wants "_?=<folder>" unquoted at the end of an uninstaller's.
int Run(const char* command_line) {
  std::string line = command_line;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("  can't start %s (error %lu)\n", command_line, GetLastError());
    return 1;
  }
  setupcore::Handle thread(process.hThread);
  setupcore::Handle owner(process.hProcess);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}

int Usage() {
  std::printf(
      "usage: kitdemo prepare <service> <root> | filters | root <name> | access <srvsetup.dll> <log>\n"
      "       | service <name> | value <key> <name> | run <command line>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "prepare" && argc == 4) return Prepare(argv[2], argv[3]);
  if (command == "filters" && argc == 2) return Filters();
  if (command == "root" && argc == 3) return Root(argv[2]);
  if (command == "access" && argc == 4) return Access(argv[2], argv[3]);
  if (command == "service" && argc == 3) return Service(argv[2]);
  if (command == "value" && argc == 4) return Value(argv[2], argv[3]);
  if (command == "run" && argc == 3) return Run(argv[2]);
  return Usage();
}
