#include "harness.h"

#include <gtest/gtest.h>

#include <cstring>

extern "C" int setupkit_raw_call(const void* fn, const std::uint32_t* args, int count, int* esp_shift);

namespace harness {

using C = Convention;

const ExportInfo kSrvsetupExports[25] = {
    {1, "ClearAccessRights", C::Cdecl, 1},
    {2, "DriveOk", C::Stdcall, 1},
    {3, "GetFilterDir", C::Stdcall, 1},
    {4, "GetIISDir", C::Stdcall, 1},
    {5, "IISAddFilter", C::Stdcall, 1},
    {6, "IISInstallVirtualDir", C::Stdcall, 3},
    {7, "IISVirtToReal", C::Stdcall, 1},
    {8, "InstallService", C::Stdcall, 3},
    {9, "IsEmpty", C::Stdcall, 1},
    {10, "IsNT", C::Cdecl, 0},
    {11, "KeyExist", C::Cdecl, 1},
    {12, "LaunchService", C::Stdcall, 1},
    {13, "NTSetDirAccess", C::Cdecl, 8},
    {14, "RemoveService", C::Stdcall, 1},
    {15, "RunningAsAdministrator", C::Cdecl, 0},
    {16, "RunningService", C::Stdcall, 1},
    {17, "ShutService", C::Stdcall, 1},
    {18, "UNow1", C::Stdcall, 1},
    {19, "UNow", C::Stdcall, 1},
    {20, "VerifyAddress", C::Stdcall, 1},
    {21, "clean", C::Stdcall, 1},
    {22, "icmp", C::Cdecl, 0},
    {23, "rdup", C::Stdcall, 2},
    {24, "replace", C::Stdcall, 3},
    {25, "strconv", C::Stdcall, 2},
};

const ExportInfo kClisetupExports[7] = {
    {1, "KeyExist", C::Cdecl, 1},   {2, "VerifyAddress", C::Stdcall, 1}, {3, "clean", C::Stdcall, 1},
    {4, "icmp", C::Cdecl, 0},       {5, "rdup", C::Stdcall, 2},          {6, "replace", C::Stdcall, 3},
    {7, "strconv", C::Stdcall, 2},
};

RawResult raw_call(const void* fn, const std::uint32_t* args, int count) {
  RawResult r{};
  r.value = setupkit_raw_call(fn, args, count, &r.esp_shift);
  return r;
}

std::string program_dir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/"));
}

std::string unique_name(const char* stem) {
  static LONG counter = 0;
  return std::string(stem) + "_" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(InterlockedIncrement(&counter));
}

SIZE_T heap_in_use() {
  const HANDLE heap = GetProcessHeap();
  SIZE_T total = 0;
  PROCESS_HEAP_ENTRY entry{};
  HeapLock(heap);
  while (HeapWalk(heap, &entry))
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
  HeapUnlock(heap);
  return total;
}

int open_handles() {
  int n = 0;
  for (std::uintptr_t v = 4; v < 0x10000; v += 4) {
    DWORD flags;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++n;
  }
  return n;
}

Dll::Dll(const char* file) {
  module_ = LoadLibraryA(file);
  if (_stricmp(file, "clisetup.dll") == 0) {
    table_ = kClisetupExports;
    table_size_ = 7;
  } else {
    table_ = kSrvsetupExports;
    table_size_ = 25;
  }
  if (!module_) ADD_FAILURE() << "LoadLibraryA(" << file << ") failed with " << GetLastError();
}

Dll::~Dll() {
  if (module_) FreeLibrary(module_);
}

const ExportInfo* Dll::info(const char* name) const {
  for (int i = 0; i < table_size_; ++i)
    if (std::strcmp(table_[i].name, name) == 0) return &table_[i];
  return nullptr;
}

int Dll::call(const char* name, const std::uint32_t* args, int count) const {
  const ExportInfo* row = info(name);
  const FARPROC fn = proc(name);
  if (!row || !fn) {
    ADD_FAILURE() << "no export " << name;
    return -999;
  }
  EXPECT_EQ(row->arguments, count) << name << ": argument count";
  const RawResult r = raw_call(reinterpret_cast<const void*>(fn), args, count);
  const int expected = row->convention == Convention::Stdcall ? 0 : -4 * count;
  EXPECT_EQ(expected, r.esp_shift) << name << ": stack not balanced for its calling convention";
  return r.value;
}

}  // namespace harness
