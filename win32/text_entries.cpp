#include "win32/text_entries.h"

#include "common/constinit.h"
#include "win32/windows_family.h"

namespace win32 {
namespace {

// Found by name: NT 4 and later have it, Windows 95 has not.
BOOL WINAPI GetFileAttributesExByName(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
  using Function = BOOL(WINAPI*)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
  const FARPROC entry = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileAttributesExW");
  if (entry == nullptr) return FALSE;  // the lookup's last error stands
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry))(path, level, data);
}

}  // namespace

// The wide entries themselves.
TOLOPEN_CONSTINIT const TextEntries kWideEntries{
    ::CreateDirectoryW,   ::CreateFileW,          ::GetFileAttributesW,      GetFileAttributesExByName,
    ::SetFileAttributesW, ::CopyFileW,            ::GetCurrentDirectoryW,    ::SetCurrentDirectoryW,
    ::GetFullPathNameW,   ::GetModuleFileNameW,   ::GetEnvironmentVariableW, ::SetEnvironmentVariableW,
    ::ExpandEnvironmentStringsW, ::LoadLibraryExW};

const TextEntries& Kernel32() { return IsWindows9x() ? kAnsiStandIns : kWideEntries; }

}  // namespace win32
