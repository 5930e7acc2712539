#include "importpatch.h"

#include <cstring>

namespace harness {

ImportPatch::ImportPatch(HMODULE module, const char* import_dll, const char* function,
                         const void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
    if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), import_dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk
                                                                                       : desc->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
      void** slot = reinterpret_cast<void**>(&slots->u1.Function);
      DWORD old = 0;
      if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
      original_ = *slot;
      *slot = const_cast<void*>(replacement);
      VirtualProtect(slot, sizeof *slot, old, &old);
      slot_ = slot;
      return;
    }
  }
}

ImportPatch::~ImportPatch() {
  if (!slot_) return;
  DWORD old = 0;
  VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
  *slot_ = const_cast<void*>(original_);
  VirtualProtect(slot_, sizeof *slot_, old, &old);
}

}  // namespace harness
