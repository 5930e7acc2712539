/*
 * setupkit.h - the exports of srvsetup.dll (25) and clisetup.dll (7).
 *
 * Both DLLs are 32-bit (x86). Every export takes narrow zero-terminated
 * strings in the system code page and 32-bit integers, and returns a 32-bit
 * int: 1 for success or true, 0 for failure or false, unless noted.
 *
 * Each export is exported by its plain name only: no leading underscore and
 * no "@bytes" suffix, whatever its calling convention. A program that loads
 * a DLL at run time looks the names up as written here
 * (GetProcAddress(dll, "DriveOk")) and calls through the *Proc pointer types
 * below, which carry the convention. A program that links instead uses the
 * import libraries in lib/: they map the names a C or C++ compiler emits for
 * these declarations (_DriveOk@4 for a stdcall, _IsNT for a cdecl) to the
 * plain export names.
 *
 * Buffers belong to the caller and their sizes are never tested: pass at
 * least the size given for each, or the export writes past the end.
 *
 * Define SETUPKIT_NO_PROTOTYPES to get the pointer types and sizes without
 * the function declarations (names such as clean, replace or icmp may clash
 * with a program's own when the DLL is only loaded at run time). Define
 * SETUPKIT_API as __declspec(dllimport) to call through the import table
 * directly rather than through the import library's jump stubs.
 */
#ifndef SETUPKIT_H
#define SETUPKIT_H

#if defined(_WIN64) || defined(__x86_64__) || defined(_M_X64) || defined(_M_ARM64)
#error "srvsetup.dll and clisetup.dll are 32-bit x86 DLLs; build the caller for x86"
#endif

#ifndef SETUPKIT_API
#define SETUPKIT_API
#endif

/* Smallest buffer each export writes into, in bytes, terminator included. */
#define SETUPKIT_IISDIR_SIZE 1024    /* GetIISDir */
#define SETUPKIT_FILTERDIR_SIZE 2048 /* GetFilterDir */
#define SETUPKIT_VROOT_SIZE 1024     /* IISVirtToReal, in and out */
#define SETUPKIT_DIGEST_SIZE 17      /* strconv: up to 16 hex digits */
#define SETUPKIT_UNOW_SIZE 9         /* UNow: up to 8 hex digits */
#define SETUPKIT_UNOW1_SIZE 12       /* UNow1: sign and up to 10 digits */

/* Load one export by name into its pointer type, e.g.
 *   DriveOkProc drive_ok = SETUPKIT_PROC(dll, DriveOk);
 * (needs <windows.h> where it is used). */
#define SETUPKIT_PROC(module, name) ((name##Proc)(void*)GetProcAddress((module), #name))

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Both DLLs (clisetup.dll exports exactly these seven) ---- */

/* 1 if the key path below HKEY_LOCAL_MACHINE opens, else 0 (missing and
 * refused look the same). The path is used as given. */
typedef int(__cdecl* KeyExistProc)(const char* key_path);
/* 1 if the ICMP library can be loaded, else 0; it is released at once. */
typedef int(__cdecl* icmpProc)(void);
/* Trims leading and trailing spaces (byte 32 only) in place. Always 1. */
typedef int(__stdcall* cleanProc)(char* text);
/* Cuts every run of the character (low 8 bits of c) to one, in place.
 * Always 1. */
typedef int(__stdcall* rdupProc)(char* text, int c);
/* Replaces every byte equal to from by to (low 8 bits of each), in place, up
 * to the text's original end. Always 1. */
typedef int(__stdcall* replaceProc)(char* text, int from, int to);
/* 1 if the text holds neither a comma nor a space, else 0. */
typedef int(__stdcall* VerifyAddressProc)(const char* text);
/* Writes the digest of the text as 2 to 16 upper-case hex digits into out
 * (SETUPKIT_DIGEST_SIZE bytes). ASCII letter case doesn't change it. Always 1. */
typedef int(__stdcall* strconvProc)(const char* text, char* out);

/* ---- srvsetup.dll only ---- */

/* Probes. */
typedef int(__cdecl* IsNTProc)(void);                 /* 1 on the NT family */
typedef int(__stdcall* DriveOkProc)(const char* drive); /* 1 if the drive of the
                                                         first character is fixed */
/* Trims the text in place like clean; 1 if it is then empty, else 0. */
typedef int(__stdcall* IsEmptyProc)(char* text);

/* Web server. GetIISDir: the web server's installation directory into out
 * (SETUPKIT_IISDIR_SIZE bytes); 0 leaves out untouched. IISAddFilter: puts the
 * filter module's path first in the web service's filter list and drops
 * older entries of the same file name; 1 once the list's key is open.
 * GetFilterDir: the directory, up to and including its last backslash, of
 * the first "sitefilt.dll" entry into out (SETUPKIT_FILTERDIR_SIZE bytes);
 * 0 and usually an empty out when there is none. */
typedef int(__stdcall* GetIISDirProc)(char* out);
typedef int(__stdcall* IISAddFilterProc)(const char* filter_path);
typedef int(__stdcall* GetFilterDirProc)(char* out);

/* Virtual roots. IISInstallVirtualDir: creates the root with the directory
 * and access flags, or ORs the flags into an existing root (its directory
 * stays); 1 if the record was written. IISVirtToReal: the buffer holds the
 * root name on entry and the root's directory on success
 * (SETUPKIT_VROOT_SIZE bytes); 0 leaves it unchanged. */
typedef int(__stdcall* IISInstallVirtualDirProc)(const char* name, const char* directory, int flags);
typedef int(__stdcall* IISVirtToRealProc)(char* name_in_directory_out);

/* Security. RunningAsAdministrator: 1 if the caller's token holds the
 * Administrators group. ClearAccessRights: writes an empty access list to a
 * file or directory; 1 on success. NTSetDirAccess: read, write, execute,
 * del, full and anonymous count only when exactly 1, everyone when non-zero;
 * grants the rights to the web server's anonymous account (and Everyone),
 * then full control to Administrators and SYSTEM; 0 only for a drive root
 * such as "C:\", else 1 whatever the grants gave. */
typedef int(__cdecl* RunningAsAdministratorProc)(void);
typedef int(__cdecl* ClearAccessRightsProc)(const char* path);
typedef int(__cdecl* NTSetDirAccessProc)(const char* path, int read, int write, int execute, int del,
                                         int full, int anonymous, int everyone);

/* Services. The program path is the service's command line as given: quote
 * it if it holds spaces. InstallService: 1 if created (auto start,
 * LocalSystem). LaunchService, ShutService: 1 if the request was accepted;
 * neither waits. RunningService: 1 unless the service is stopped or can't be
 * queried. RemoveService: stops, waits while the service stops (steps of
 * 1000 ms), deletes; always 1. */
typedef int(__stdcall* InstallServiceProc)(const char* name, const char* display_name, const char* program);
typedef int(__stdcall* LaunchServiceProc)(const char* name);
typedef int(__stdcall* ShutServiceProc)(const char* name);
typedef int(__stdcall* RunningServiceProc)(const char* name);
typedef int(__stdcall* RemoveServiceProc)(const char* name);

/* Clock: seconds since 1970-01-01 UTC from the local time, as hex
 * (UNow, SETUPKIT_UNOW_SIZE bytes) or signed decimal (UNow1,
 * SETUPKIT_UNOW1_SIZE bytes); -1 outside the years 1970 to 2038. Always 1. */
typedef int(__stdcall* UNowProc)(char* out);
typedef int(__stdcall* UNow1Proc)(char* out);

#ifndef SETUPKIT_NO_PROTOTYPES

/* Both DLLs. */
SETUPKIT_API int __cdecl KeyExist(const char* key_path);
SETUPKIT_API int __cdecl icmp(void);
SETUPKIT_API int __stdcall clean(char* text);                   /* text: in/out */
SETUPKIT_API int __stdcall rdup(char* text, int c);             /* text: in/out */
SETUPKIT_API int __stdcall replace(char* text, int from, int to); /* text: in/out */
SETUPKIT_API int __stdcall VerifyAddress(const char* text);
SETUPKIT_API int __stdcall strconv(const char* text, char* out); /* out: >= 17 bytes */

/* srvsetup.dll only. */
SETUPKIT_API int __cdecl IsNT(void);
SETUPKIT_API int __stdcall DriveOk(const char* drive);
SETUPKIT_API int __stdcall IsEmpty(char* text); /* text: in/out */
SETUPKIT_API int __stdcall GetIISDir(char* out);    /* out: >= 1024 bytes */
SETUPKIT_API int __stdcall IISAddFilter(const char* filter_path);
SETUPKIT_API int __stdcall GetFilterDir(char* out); /* out: >= 2048 bytes */
SETUPKIT_API int __stdcall IISInstallVirtualDir(const char* name, const char* directory, int flags);
SETUPKIT_API int __stdcall IISVirtToReal(char* name_in_directory_out); /* >= 1024 bytes */
SETUPKIT_API int __cdecl RunningAsAdministrator(void);
SETUPKIT_API int __cdecl ClearAccessRights(const char* path);
SETUPKIT_API int __cdecl NTSetDirAccess(const char* path, int read, int write, int execute, int del, int full,
                                        int anonymous, int everyone);
SETUPKIT_API int __stdcall InstallService(const char* name, const char* display_name, const char* program);
SETUPKIT_API int __stdcall LaunchService(const char* name);
SETUPKIT_API int __stdcall ShutService(const char* name);
SETUPKIT_API int __stdcall RunningService(const char* name);
SETUPKIT_API int __stdcall RemoveService(const char* name);
SETUPKIT_API int __stdcall UNow(char* out);  /* out: >= 9 bytes */
SETUPKIT_API int __stdcall UNow1(char* out); /* out: >= 12 bytes */

#endif /* SETUPKIT_NO_PROTOTYPES */

#ifdef __cplusplus
}
#endif

#endif /* SETUPKIT_H */
