// The C++ side of a caller: setupkit.h next to the declarations the DLLs are
// built from, so a convention or argument that differs between the two fails
// to compile; then clisetup.dll through its import library (jump stubs this
// time) and srvsetup.dll loaded by name through the pointer types.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "exports.h"
#include "setupkit.h"

namespace {

// Each pointer type is exactly its export's type, convention included.
#define SAME_TYPE(name) static_assert(std::is_same_v<decltype(&name), name##Proc>, #name)
SAME_TYPE(KeyExist);
SAME_TYPE(icmp);
SAME_TYPE(clean);
SAME_TYPE(rdup);
SAME_TYPE(replace);
SAME_TYPE(VerifyAddress);
SAME_TYPE(strconv);
SAME_TYPE(IsNT);
SAME_TYPE(DriveOk);
SAME_TYPE(IsEmpty);
SAME_TYPE(GetIISDir);
SAME_TYPE(IISAddFilter);
SAME_TYPE(GetFilterDir);
SAME_TYPE(IISInstallVirtualDir);
SAME_TYPE(IISVirtToReal);
SAME_TYPE(RunningAsAdministrator);
SAME_TYPE(ClearAccessRights);
SAME_TYPE(NTSetDirAccess);
SAME_TYPE(InstallService);
SAME_TYPE(LaunchService);
SAME_TYPE(ShutService);
SAME_TYPE(RunningService);
SAME_TYPE(RemoveService);
SAME_TYPE(UNow);
SAME_TYPE(UNow1);
#undef SAME_TYPE

int failures = 0;

void expect(const char* what, bool ok) {
  if (ok) return;
  std::printf("FAIL %s\n", what);
  ++failures;
}

}  // namespace

int main() {
  // Only the clisetup exports are referenced here, so these calls link to it.
  char text[32];
  char digest[SETUPKIT_DIGEST_SIZE];
  expect("clisetup KeyExist", KeyExist("") == 1);
  expect("clisetup icmp", icmp() == 1);
  std::strcpy(text, "  a  b  ");
  expect("clisetup clean", clean(text) == 1 && std::strcmp(text, "a  b") == 0);
  expect("clisetup rdup", rdup(text, ' ') == 1 && std::strcmp(text, "a b") == 0);
  expect("clisetup VerifyAddress", VerifyAddress(text) == 0);
  expect("clisetup replace", replace(text, ' ', ',') == 1 && std::strcmp(text, "a,b") == 0);
  expect("clisetup strconv", strconv("", digest) == 1 && std::strcmp(digest, "2DFD1072FFFFFFFF") == 0);
  expect("clisetup.dll loaded by its import library", GetModuleHandleA("clisetup.dll") != nullptr);
  expect("srvsetup.dll not pulled in by the import library", GetModuleHandleA("srvsetup.dll") == nullptr);

  // Loading by name, as an installer host does.
  HMODULE srv = LoadLibraryA("srvsetup.dll");
  expect("LoadLibrary srvsetup.dll", srv != nullptr);
  if (srv) {
    IsNTProc is_nt = SETUPKIT_PROC(srv, IsNT);
    DriveOkProc drive_ok = SETUPKIT_PROC(srv, DriveOk);
    NTSetDirAccessProc nt_set_dir_access = SETUPKIT_PROC(srv, NTSetDirAccess);
    strconvProc srv_strconv = SETUPKIT_PROC(srv, strconv);
    expect("SETUPKIT_PROC finds each name", is_nt && drive_ok && nt_set_dir_access && srv_strconv);
    if (is_nt && drive_ok && srv_strconv) {
      expect("srvsetup IsNT", is_nt() == 1);
      expect("srvsetup DriveOk", drive_ok("C") == 1);
      expect("srvsetup strconv", srv_strconv("a", digest) == 1 && std::strcmp(digest, "4870F6FC174841BC") == 0);
    }
    FreeLibrary(srv);
  }
  if (failures) return 1;
  std::printf("ok: clisetup linked, srvsetup loaded by name\n");
  return 0;
}
