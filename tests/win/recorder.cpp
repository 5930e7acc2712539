// Stand-in for the help viewer and the help engine, copied beside the program
// under test as winhelp.exe and winhlp32.exe. It appends what it was started
// with to <own name>.log and, as winhlp32.exe, also what the help engine was
// asked to show. A real viewer or engine would never exit without a display.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::string log_path;

void append(const std::string& text) {
  const HANDLE file =
      CreateFileA(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// What a help request carries to the engine's window by WM_COPYDATA: the
// command, and the file name and (for a keyword) the data as offsets into the
// block.
struct HelpRequest {
  WORD size;
  WORD command;
  LONG data;
  LONG reserved;
  WORD file_offset;
  WORD data_offset;
};

std::string text_at(const COPYDATASTRUCT& block, WORD offset) {
  if (offset == 0 || offset >= block.cbData) return "<none>";
  const char* start = static_cast<const char*>(block.lpData) + offset;
  const void* end = std::memchr(start, '\0', block.cbData - offset);
  return end ? std::string(start, static_cast<const char*>(end)) : "<unterminated>";
}

void record_request(HWND sender, const COPYDATASTRUCT& block) {
  if (block.cbData < sizeof(HelpRequest)) {
    append("request: too short\n");
    return;
  }
  HelpRequest request;
  std::memcpy(&request, block.lpData, sizeof request);
  append(std::string("owner: ") + (sender == GetDesktopWindow() ? "desktop" : "other") +
         "\nhelp command: " + std::to_string(request.command) +
         "\nfile: " + text_at(block, request.file_offset) +
         "\nkeyword: " + text_at(block, request.data_offset) + "\n");
}

LRESULT CALLBACK engine_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COPYDATA:
      record_request(reinterpret_cast<HWND>(wparam), *reinterpret_cast<const COPYDATASTRUCT*>(lparam));
      PostQuitMessage(0);
      return TRUE;
    case WM_TIMER:
      append("request: none\n");
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The help engine's caller finds its window by class name once the program
// is idle, then sends the request.
void serve_one_request(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = engine_window;
  window_class.hInstance = instance;
  window_class.lpszClassName = "MS_WINHELP";
  RegisterClassA(&window_class);
  const HWND window = CreateWindowA("MS_WINHELP", "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!window) {
    append("request: no window (" + std::to_string(GetLastError()) + ")\n");
    return;
  }
  SetTimer(window, 1, 30000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  DestroyWindow(window);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self(path, length);
  const std::string stem = self.substr(0, self.find_last_of('.'));
  log_path = stem + ".log";

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  append(std::string("command: ") + GetCommandLineA() + "\nshow: " +
         ((startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "default") + "\n");

  const std::string name = stem.substr(stem.find_last_of('\\') + 1);
  if (_stricmp(name.c_str(), "winhlp32") == 0) serve_one_request(instance);
  return 0;
}
