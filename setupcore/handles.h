// Small owners for the platform resources an export takes within one call.
// Each releases on every path out of the export.
#pragma once

#include <windows.h>

#include <utility>

namespace setupcore {

template <typename T, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = std::exchange(other.value_, Traits::invalid());
    }
    return *this;
  }
  ~Unique() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::invalid(); }
  // For out-parameters of the platform's open calls.
  T* put() {
    reset();
    return &value_;
  }
  void reset(T value = Traits::invalid()) {
    if (value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::invalid();
};

struct RegKeyTraits {
  static HKEY invalid() { return nullptr; }
  static void close(HKEY k) { RegCloseKey(k); }
};
struct HandleTraits {
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct ScHandleTraits {
  static SC_HANDLE invalid() { return nullptr; }
  static void close(SC_HANDLE h) { CloseServiceHandle(h); }
};
struct LocalTraits {
  static HLOCAL invalid() { return nullptr; }
  static void close(HLOCAL p) { LocalFree(p); }
};
struct SidTraits {
  static PSID invalid() { return nullptr; }
  static void close(PSID sid) { FreeSid(sid); }
};
struct LibraryTraits {
  static HMODULE invalid() { return nullptr; }
  static void close(HMODULE m) { FreeLibrary(m); }
};

using RegKey = Unique<HKEY, RegKeyTraits>;
using Handle = Unique<HANDLE, HandleTraits>;
using ScHandle = Unique<SC_HANDLE, ScHandleTraits>;
using LocalMemory = Unique<HLOCAL, LocalTraits>;
using AllocatedSid = Unique<PSID, SidTraits>;
using Library = Unique<HMODULE, LibraryTraits>;

}  // namespace setupcore
