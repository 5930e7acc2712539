// Loads the built DLLs by file name and calls their exports through raw
// function pointers, checking that each call leaves the stack as its calling
// convention demands.
#pragma once

#include <windows.h>

#include "importpatch.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

namespace harness {

enum class Convention { Stdcall, Cdecl };

struct ExportInfo {
  int ordinal;
  const char* name;
  Convention convention;
  int arguments;
};

// The full, final tables: names, ordinals, conventions, argument counts.
extern const ExportInfo kSrvsetupExports[25];
extern const ExportInfo kClisetupExports[7];

struct RawResult {
  int value;
  int esp_shift;  // 0 for stdcall, -4*n for cdecl
};
RawResult raw_call(const void* fn, const std::uint32_t* args, int count);
inline RawResult raw_call(const void* fn, std::initializer_list<std::uint32_t> args) {
  return raw_call(fn, args.begin(), static_cast<int>(args.size()));
}

template <typename T>
std::uint32_t word(T v) {
  if constexpr (std::is_pointer_v<T>)
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(v));
  else
    return static_cast<std::uint32_t>(v);
}

class Dll {
 public:
  // "srvsetup.dll" or "clisetup.dll", loaded from beside the test program.
  explicit Dll(const char* file);
  ~Dll();
  Dll(const Dll&) = delete;
  Dll& operator=(const Dll&) = delete;

  HMODULE module() const { return module_; }
  const ExportInfo* info(const char* name) const;
  FARPROC proc(const char* name) const { return GetProcAddress(module_, name); }

  // Calls the export by name with its table's convention; adds a test
  // failure if the export is missing, the argument count is not the table's,
  // or the stack comes back unbalanced.
  int call(const char* name, const std::uint32_t* args, int count) const;
  int call(const char* name, std::initializer_list<std::uint32_t> args) const {
    return call(name, args.begin(), static_cast<int>(args.size()));
  }

  template <typename... A>
  int operator()(const char* name, A... args) const {
    return call(name, {word(args)...});
  }

 private:
  HMODULE module_ = nullptr;
  const ExportInfo* table_ = nullptr;
  int table_size_ = 0;
};

// Directory holding the test program (and the built DLLs beside it).
std::string program_dir();

// Bytes in use on the process heap, where local memory, SIDs and the
// service manager's handle records live.
SIZE_T heap_in_use();

// Open handles of this process, counted one by one: Wine's
// GetProcessHandleCount always gives 0.
int open_handles();

// A name unique to this process, for keys, services and directories.
std::string unique_name(const char* stem);

}  // namespace harness
