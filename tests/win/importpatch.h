// Redirects one import slot of a loaded module, for tests and inspection
// tools only: the product DLLs stay plain, only their import table is
// pointed elsewhere for a while.
#pragma once

#include <windows.h>

namespace harness {

// Points one import slot of a loaded module at a replacement for the life of
// the object, so tests can make faults the platform can't produce. The
// product code is untouched; only its import table is redirected.
class ImportPatch {
 public:
  ImportPatch(HMODULE module, const char* import_dll, const char* function, const void* replacement);
  ~ImportPatch();
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;
  bool ok() const { return slot_ != nullptr; }
  const void* original() const { return original_; }

 private:
  void** slot_ = nullptr;
  const void* original_ = nullptr;
};

}  // namespace harness
