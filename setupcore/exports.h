// Every export of srvsetup.dll and clisetup.dll, by plain name. Texts are
// narrow and zero-terminated; buffers belong to the caller and are never
// tested for size. The .def files give the ordinals and strip the stdcall
// decoration.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Probes (both libraries, IsNT and DriveOk in srvsetup only).
int __cdecl IsNT(void);
int __cdecl KeyExist(const char* key_path);
int __stdcall DriveOk(const char* drive);
int __cdecl icmp(void);

// Text routines (both libraries, IsEmpty in srvsetup only).
int __stdcall clean(char* text);
int __stdcall IsEmpty(char* text);
int __stdcall replace(char* text, int from, int to);
int __stdcall rdup(char* text, int c);
int __stdcall VerifyAddress(const char* text);

// Digest (both libraries); out holds at least 17 bytes.
int __stdcall strconv(const char* text, char* out);

// Web server and filters (srvsetup).
int __stdcall GetIISDir(char* out /* >= 1024 bytes */);
int __stdcall IISAddFilter(const char* filter_path);
int __stdcall GetFilterDir(char* out /* >= 2048 bytes */);

// Virtual roots (srvsetup).
int __stdcall IISInstallVirtualDir(const char* name, const char* directory, int flags);
int __stdcall IISVirtToReal(char* name_in_directory_out /* >= 1024 bytes */);

// Security (srvsetup).
int __cdecl RunningAsAdministrator(void);
int __cdecl ClearAccessRights(const char* path);
int __cdecl NTSetDirAccess(const char* path, int read, int write, int execute, int del,
                           int full, int anonymous, int everyone);

// Services (srvsetup).
int __stdcall InstallService(const char* name, const char* display_name, const char* program);
int __stdcall RemoveService(const char* name);
int __stdcall LaunchService(const char* name);
int __stdcall ShutService(const char* name);
int __stdcall RunningService(const char* name);

// Clock (srvsetup).
int __stdcall UNow(char* out /* >= 9 bytes */);
int __stdcall UNow1(char* out /* >= 12 bytes */);

#ifdef __cplusplus
}
#endif
