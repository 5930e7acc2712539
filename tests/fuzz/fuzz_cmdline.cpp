// The launcher's cutting on arbitrary command texts and command buffer sizes:
// nothing read or written outside either buffer, and a plan that holds
// together.
#include <cassert>
#include <cstring>
#include <vector>

#include "cmdline.h"

using namespace helpkey;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  if (size < 2) return 0;
  const size_t capacity = (data[0] << 8 | data[1]) % (kCommandCapacity + 1);
  std::vector<char> input(data + 2, data + size);
  input.push_back('\0');
  const size_t len = std::strlen(input.data());

  // Exact-size heap buffers, so ASan sees any byte past either end.
  char* text = new char[len + 1];
  std::memcpy(text, input.data(), len + 1);
  char* command = new char[capacity ? capacity : 1];
  const Plan plan = cut_command_text(text, command, capacity);

  switch (plan.launch) {
    case Launch::HelpEngine: {
      assert(plan.file >= text && plan.file < text + len && *plan.file != '\0');
      assert(plan.keyword > plan.file && plan.keyword < text + len && *plan.keyword != '\0');
      assert(!std::strchr(plan.file, '\t') && !std::strchr(plan.keyword, '\t'));
      const size_t n = std::strlen(plan.keyword);
      assert(plan.keyword[0] != ' ' && plan.keyword[n - 1] != ' ');
      assert(capacity == 0 || command[0] == '\0');
      break;
    }
    case Launch::Viewer:
      assert(std::strlen(command) < capacity);
      assert(std::strncmp(command, "winhelp.exe", 11) == 0);
      assert(command[11] == '\0' || (command[11] == ' ' && command[12] != '\0'));
      assert(!std::strchr(command, '\t'));
      break;
    case Launch::Nothing:
      assert(capacity < 13 + len);  // "winhelp.exe", " ", the name, the terminator
      assert(capacity == 0 || command[0] == '\0');
      break;
  }
  delete[] command;
  delete[] text;
  return 0;
}
