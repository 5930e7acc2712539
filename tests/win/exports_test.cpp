// The export tables of both DLLs, read from the files themselves, and the
// calling convention of every export.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "harness.h"

namespace {

struct ExportRow {
  std::string name;
  int ordinal;
};

// Names and ordinals straight from the PE export directory of a loaded DLL.
std::vector<ExportRow> read_export_table(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* names = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
  auto* ordinals = reinterpret_cast<const WORD*>(base + exp->AddressOfNameOrdinals);
  std::vector<ExportRow> rows;
  for (DWORD i = 0; i < exp->NumberOfNames; ++i)
    rows.push_back({reinterpret_cast<const char*>(base + names[i]), static_cast<int>(exp->Base + ordinals[i])});
  // Every address slot must be named: no ordinal-only extras.
  EXPECT_EQ(exp->NumberOfNames, exp->NumberOfFunctions);
  return rows;
}

void expect_table(const char* file, const harness::ExportInfo* table, int count) {
  harness::Dll dll(file);
  ASSERT_TRUE(dll.module());
  std::map<std::string, int> actual;
  for (const auto& row : read_export_table(dll.module())) actual[row.name] = row.ordinal;
  std::map<std::string, int> expected;
  for (int i = 0; i < count; ++i) expected[table[i].name] = table[i].ordinal;
  EXPECT_EQ(expected, actual) << file;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(dll.proc(table[i].name), GetProcAddress(dll.module(), MAKEINTRESOURCEA(table[i].ordinal)))
        << table[i].name << " by ordinal";
  }
}

TEST(ExportTable, SrvsetupHasExactlyItsNamesAndOrdinals) {
  expect_table("srvsetup.dll", harness::kSrvsetupExports, 25);
}

TEST(ExportTable, ClisetupHasExactlyItsNamesAndOrdinals) {
  expect_table("clisetup.dll", harness::kClisetupExports, 7);
  harness::Dll cli("clisetup.dll");
  for (const char* absent : {"IsNT", "DriveOk", "IsEmpty", "GetIISDir", "IISAddFilter", "UNow", "RemoveService",
                             "NTSetDirAccess", "DllMain", "_strconv@8", "strconv@8"})
    EXPECT_EQ(nullptr, cli.proc(absent)) << absent;
}

TEST(ExportTable, NoDecoratedNames) {
  harness::Dll srv("srvsetup.dll");
  for (const char* decorated : {"_DriveOk@4", "DriveOk@4", "_IsNT", "replace@12", "_KeyExist"})
    EXPECT_EQ(nullptr, srv.proc(decorated)) << decorated;
}

// The raw caller itself must tell the conventions apart, or the checks that
// use it prove nothing.
extern "C" int __stdcall std_two(int a, int b) { return a - b; }
extern "C" int __cdecl cdecl_two(int a, int b) { return a - b; }

TEST(RawCall, TellsStdcallFromCdecl) {
  const auto s = harness::raw_call(reinterpret_cast<const void*>(&std_two), {7, 2});
  EXPECT_EQ(5, s.value);
  EXPECT_EQ(0, s.esp_shift);
  const auto c = harness::raw_call(reinterpret_cast<const void*>(&cdecl_two), {7, 2});
  EXPECT_EQ(5, c.value);
  EXPECT_EQ(-8, c.esp_shift);
}

// Every export with harmless arguments: the stack check inside Dll::call is
// the assertion. Exports that change the system get arguments that make them
// fail early (missing keys, services and paths).
TEST(Conventions, EveryExportBalancesTheStack) {
  harness::Dll srv("srvsetup.dll");
  char text[2048] = "  a  ";
  char out[2048] = "";
  const std::string missing = harness::unique_name("setupkit_missing");
  const std::string missing_path = "Z:\\setupkit-no-such-dir\\" + missing;
  srv("ClearAccessRights", missing_path.c_str());
  srv("DriveOk", "C");
  srv("GetFilterDir", out);
  srv("GetIISDir", out);
  srv("IsEmpty", text);
  srv("IsNT");
  srv("KeyExist", "SOFTWARE");
  srv("LaunchService", missing.c_str());
  srv("NTSetDirAccess", "C:\\", 0, 0, 0, 0, 0, 0, 0);
  srv("RemoveService", missing.c_str());
  srv("RunningAsAdministrator");
  srv("RunningService", missing.c_str());
  srv("ShutService", missing.c_str());
  srv("UNow1", out);
  srv("UNow", out);
  srv("VerifyAddress", "a");
  srv("clean", text);
  srv("icmp");
  srv("rdup", text, ' ');
  srv("replace", text, 'a', 'b');
  srv("strconv", "abc", out);
  strcpy(out, missing.c_str());
  srv("IISVirtToReal", out);

  harness::Dll cli("clisetup.dll");
  for (int i = 0; i < 7; ++i) {
    const auto& row = harness::kClisetupExports[i];
    std::vector<std::uint32_t> args;
    for (int a = 0; a < row.arguments; ++a) args.push_back(harness::word(a == 0 ? text : out));
    if (std::string(row.name) == "KeyExist") args = {harness::word("SOFTWARE")};
    if (std::string(row.name) == "rdup") args = {harness::word(text), ' '};
    if (std::string(row.name) == "replace") args = {harness::word(text), 'b', 'c'};
    cli.call(row.name, args.data(), static_cast<int>(args.size()));
  }
}

}  // namespace
