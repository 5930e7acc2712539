// The web service's registry keys for the tests of the web-server exports:
// made per test below HKEY_LOCAL_MACHINE, written and read back byte for
// byte, and set aside for the run so that every test starts from none of them
// and the prefix ends as it was.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>

namespace webkeys {

constexpr char kWebService[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC";
constexpr char kParameters[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters";
constexpr char kVirtualRoots[] = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
constexpr char kInetMgr[] = "SOFTWARE\\Microsoft\\INetMgr";
constexpr char kMicrosoft[] = "SOFTWARE\\Microsoft\\";

// A registry value as stored: its type and its bytes exactly.
struct Value {
  bool exists = false;
  DWORD type = REG_NONE;
  std::string data;
  bool operator==(const Value& o) const { return exists == o.exists && type == o.type && data == o.data; }
  bool operator!=(const Value& o) const { return !(*this == o); }
};
void PrintTo(const Value& v, std::ostream* os);

// The text with its terminator, as the exports write it.
Value text(const std::string& s, DWORD type = REG_SZ);
// Exactly these bytes: a text stored without its terminator.
Value unterminated(const std::string& s, DWORD type = REG_SZ);
const Value kMissing{};

Value read(const std::string& key, const std::string& name);
// Stores the value, or deletes it when `value` does not exist; the key must exist.
void write(const std::string& key, const std::string& name, const Value& value);
bool key_exists(const std::string& key);

// Creates a key path for the life of the object and then deletes the part of
// it that it created, values and subkeys included.
class TempKey {
 public:
  explicit TempKey(std::string path);
  ~TempKey();
  TempKey(const TempKey&) = delete;
  TempKey& operator=(const TempKey&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string created_;  // the topmost component made here, or empty
};

// Denies Everyone some rights on a key, allowing all others, for the life of
// the object; then puts the key's own access list back.
class DeniedRights {
 public:
  DeniedRights(const std::string& key, REGSAM denied);
  ~DeniedRights();
  DeniedRights(const DeniedRights&) = delete;
  DeniedRights& operator=(const DeniedRights&) = delete;

 private:
  void apply(REGSAM denied);
  std::string key_;
  std::string saved_;  // self-relative security descriptor
};

// Every right of a key beyond `mask`, except those needed to give the key its
// access list back.
constexpr REGSAM rights_beyond(REGSAM mask) { return KEY_ALL_ACCESS & ~mask & ~(READ_CONTROL | WRITE_DAC); }

// A text of `length` bytes: `head`, then 'x' up to the length.
std::string filled(const std::string& head, std::size_t length);

}  // namespace webkeys
