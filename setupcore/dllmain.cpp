#include <windows.h>

// Nothing is set up at attach or released at detach: the libraries add no
// condition of their own to loading.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
