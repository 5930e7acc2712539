// The launcher's reading of its command text: a help file name, plain or in
// double quotes, then an optional keyword. Platform-free, so the cutting can
// be tested without starting anything.
#pragma once

#include <cstddef>

namespace helpkey {

// The viewer's command line lives in a buffer of this size, terminator
// included; with "winhelp.exe " in front, a name may have 1011 characters.
constexpr std::size_t kCommandCapacity = 1024;

enum class Launch {
  HelpEngine,  // show `file` at `keyword`
  Viewer,      // start the viewer with the command line in the buffer
  Nothing,     // the name does not fit the viewer's command line
};

struct Plan {
  Launch launch;
  const char* file;     // HelpEngine only: points into the command text
  const char* keyword;  // HelpEngine only: points into the command text
};

// Cuts `text` in place: tabs become spaces, the text is trimmed, terminators
// end the name and the keyword, and the keyword is trimmed. For Viewer, fills
// `command` with "winhelp.exe" or "winhelp.exe <name>"; otherwise leaves it
// empty. A name too long for `capacity` is never cut short, since a shorter
// name would open a different file: the result is Nothing.
Plan cut_command_text(char* text, char* command, std::size_t capacity);

}  // namespace helpkey
