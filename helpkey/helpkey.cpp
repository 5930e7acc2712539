// helpkey: shows a help file at a keyword through the help engine, or starts
// the help viewer on the file. Windowless; nothing is reported, ever.
#include <windows.h>

#include "cmdline.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_text, int) {
  char command[helpkey::kCommandCapacity];
  const helpkey::Plan plan = helpkey::cut_command_text(command_text, command, sizeof command);
  switch (plan.launch) {
    case helpkey::Launch::HelpEngine:
      WinHelpA(GetDesktopWindow(), plan.file, HELP_KEY, reinterpret_cast<ULONG_PTR>(plan.keyword));
      break;
    case helpkey::Launch::Viewer:
      WinExec(command, SW_SHOW);
      break;
    case helpkey::Launch::Nothing:
      break;
  }
  return 0;
}
