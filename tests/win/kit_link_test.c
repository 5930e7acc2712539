/* A C program that uses srvsetup.dll as an installer's helper would: the
 * declarations of setupkit.h, linked against the mingw import library,
 * calling through the import table (SETUPKIT_API is dllimport here). */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "setupkit.h"

static int failures;

static void expect_int(const char* what, int expected, int actual) {
  if (expected == actual) return;
  printf("FAIL %s: expected %d, got %d\n", what, expected, actual);
  ++failures;
}

static void expect_text(const char* what, const char* expected, const char* actual) {
  if (strcmp(expected, actual) == 0) return;
  printf("FAIL %s: expected \"%s\", got \"%s\"\n", what, expected, actual);
  ++failures;
}

/* The address a declaration reaches through the import table must be the
 * export of that name: an import library that maps a name to the wrong
 * export would point elsewhere (or the loader would refuse the program). */
static void expect_linked(HMODULE dll, const char* name, FARPROC linked) {
  if (linked == GetProcAddress(dll, name)) return;
  printf("FAIL %s: the import library reaches another address than the export\n", name);
  ++failures;
}

int main(void) {
  HMODULE srv = GetModuleHandleA("srvsetup.dll");
  char text[32];
  char digest[SETUPKIT_DIGEST_SIZE];

  if (!srv) {
    printf("FAIL srvsetup.dll is not loaded by the import table\n");
    return 1;
  }
#define EXPECT_LINKED(name) expect_linked(srv, #name, (FARPROC)(void (*)(void))(name))
  EXPECT_LINKED(ClearAccessRights);
  EXPECT_LINKED(DriveOk);
  EXPECT_LINKED(GetFilterDir);
  EXPECT_LINKED(GetIISDir);
  EXPECT_LINKED(IISAddFilter);
  EXPECT_LINKED(IISInstallVirtualDir);
  EXPECT_LINKED(IISVirtToReal);
  EXPECT_LINKED(InstallService);
  EXPECT_LINKED(IsEmpty);
  EXPECT_LINKED(IsNT);
  EXPECT_LINKED(KeyExist);
  EXPECT_LINKED(LaunchService);
  EXPECT_LINKED(NTSetDirAccess);
  EXPECT_LINKED(RemoveService);
  EXPECT_LINKED(RunningAsAdministrator);
  EXPECT_LINKED(RunningService);
  EXPECT_LINKED(ShutService);
  EXPECT_LINKED(UNow1);
  EXPECT_LINKED(UNow);
  EXPECT_LINKED(VerifyAddress);
  EXPECT_LINKED(clean);
  EXPECT_LINKED(icmp);
  EXPECT_LINKED(rdup);
  EXPECT_LINKED(replace);
  EXPECT_LINKED(strconv);
#undef EXPECT_LINKED

  /* One call of each shape: cdecl without and with arguments, stdcall with
   * one to three, texts in and out. */
  expect_int("IsNT", 1, IsNT());
  expect_int("KeyExist(\"\")", 1, KeyExist(""));
  expect_int("KeyExist(missing)", 0, KeyExist("SOFTWARE\\setupkit link test\\missing"));
  expect_int("DriveOk(\"c:\\\\data\")", 1, DriveOk("c:\\data"));
  expect_int("strconv", 1, strconv("aBc", digest));
  expect_text("strconv", "65B4AB04CADBBE3D", digest);
  strcpy(text, "  a,,,b  ");
  expect_int("IsEmpty", 0, IsEmpty(text));
  expect_text("IsEmpty", "a,,,b", text);
  expect_int("rdup", 1, rdup(text, ','));
  expect_text("rdup", "a,b", text);
  expect_int("replace", 1, replace(text, ',', '-'));
  expect_text("replace", "a-b", text);
  expect_int("VerifyAddress", 1, VerifyAddress(text));
  strcpy(text, " x ");
  expect_int("clean", 1, clean(text));
  expect_text("clean", "x", text);

  if (failures) return 1;
  printf("ok: 25 srvsetup exports linked by plain name\n");
  return 0;
}
