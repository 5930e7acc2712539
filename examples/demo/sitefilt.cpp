// Stand-in for the example product's web-server filter module. The demo's
// web service is only its registry, which never loads the module, so the
// installer just needs a file to copy and register.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
