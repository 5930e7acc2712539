#include "cmdline.h"

#include <cstring>

#include "text.h"

namespace helpkey {

namespace {

constexpr char kViewer[] = "winhelp.exe";
constexpr char kQuote = '"';

// Ends the piece that starts at `text` at `at` and returns where the next
// one begins: just after `at`, or the text's end when there is no `at`.
char* cut_at(char* text, char* at) {
  if (at == nullptr) return text + std::strlen(text);
  *at = '\0';
  return at + 1;
}

// "winhelp.exe", then " " and the name when there is one; false when that
// does not fit `capacity` with its terminator.
bool compose_viewer_command(const char* name, char* command, std::size_t capacity) {
  const std::size_t viewer = sizeof kViewer - 1;
  const std::size_t length = *name == '\0' ? viewer : viewer + 1 + std::strlen(name);
  if (length + 1 > capacity) return false;
  std::memcpy(command, kViewer, viewer);
  if (*name != '\0') {
    command[viewer] = setupcore::kSpace;
    std::memcpy(command + viewer + 1, name, length - viewer - 1);
  }
  command[length] = '\0';
  return true;
}

}  // namespace

Plan cut_command_text(char* text, char* command, std::size_t capacity) {
  setupcore::replace_char(text, '\t', setupcore::kSpace);
  setupcore::trim(text);

  char* name = text;
  char* keyword;
  if (*text == kQuote) {
    name = text + 1;
    // Without a closing quote the name still ends at a space, so that a
    // keyword after it is not taken for part of the file name.
    char* end = setupcore::find_char(name, kQuote);
    if (end == nullptr) end = setupcore::find_char(name, setupcore::kSpace);
    keyword = cut_at(name, end);
  } else {
    keyword = cut_at(name, setupcore::find_char(name, setupcore::kSpace));
  }
  setupcore::trim(keyword);

  if (*name != '\0' && *keyword != '\0') {
    if (capacity > 0) *command = '\0';
    return {Launch::HelpEngine, name, keyword};
  }
  // With no name a keyword means nothing to the viewer and is dropped.
  if (compose_viewer_command(name, command, capacity)) return {Launch::Viewer, nullptr, nullptr};
  if (capacity > 0) *command = '\0';
  return {Launch::Nothing, nullptr, nullptr};
}

}  // namespace helpkey
