// The kernel32 entries that take or give text, as the backend calls them: in the shape of the
// wide (W) entries, and on the NT family the wide entries themselves, so that a path outside the
// ANSI code page goes on working there. Windows 95, 98 and Me have most wide entries only as
// stubs that fail with ERROR_CALL_NOT_IMPLEMENTED; there each is a stand-in of the same shape
// that passes the text through the ANSI code page to the ANSI entry and answers as the wide
// entry would. The family is told once (IsWindows9x) and the entries chosen with it.
//
// A stand-in takes and gives texts of at most kAnsiTextBytes bytes in the code page (a path on
// 9x has at most MAX_PATH). A text that the code page cannot hold, or a longer one, is not
// passed on altered: the call fails with ERROR_INVALID_NAME, as for a name that the file system
// cannot take.
#pragma once

#include <windows.h>

namespace win32 {

inline constexpr int kAnsiTextBytes = 1024;

struct TextEntries {
  BOOL(WINAPI* CreateDirectoryW)(LPCWSTR, LPSECURITY_ATTRIBUTES);
  HANDLE(WINAPI* CreateFileW)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  DWORD(WINAPI* GetFileAttributesW)(LPCWSTR);
  // Looked up by name on the NT family: Windows 95 has no GetFileAttributesEx.
  BOOL(WINAPI* GetFileAttributesExW)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
  BOOL(WINAPI* SetFileAttributesW)(LPCWSTR, DWORD);
  BOOL(WINAPI* CopyFileW)(LPCWSTR, LPCWSTR, BOOL);
  DWORD(WINAPI* GetCurrentDirectoryW)(DWORD, LPWSTR);
  BOOL(WINAPI* SetCurrentDirectoryW)(LPCWSTR);
  DWORD(WINAPI* GetFullPathNameW)(LPCWSTR, DWORD, LPWSTR, LPWSTR*);
  DWORD(WINAPI* GetModuleFileNameW)(HMODULE, LPWSTR, DWORD);
  DWORD(WINAPI* GetEnvironmentVariableW)(LPCWSTR, LPWSTR, DWORD);
  BOOL(WINAPI* SetEnvironmentVariableW)(LPCWSTR, LPCWSTR);
  DWORD(WINAPI* ExpandEnvironmentStringsW)(LPCWSTR, LPWSTR, DWORD);
  HMODULE(WINAPI* LoadLibraryExW)(LPCWSTR, HANDLE, DWORD);
};

// The entries of the family that runs the program.
const TextEntries& Kernel32();

// The stand-ins of Windows 95, 98 and Me (text_entries_9x.cpp).
extern const TextEntries kAnsiStandIns;

}  // namespace win32
