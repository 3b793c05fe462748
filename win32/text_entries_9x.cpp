// The stand-ins of the wide entries on Windows 95, 98 and Me: each passes its texts through the
// ANSI code page to the ANSI entry, which every 9x has, and answers as the wide entry does.
#include "win32/text_entries.h"

#include <cstddef>

#include "common/constinit.h"

namespace win32 {
namespace {

// A text for an ANSI entry: its bytes in the code page, when the code page holds it whole and it
// fits; else false, the last error ERROR_INVALID_NAME. (Never a null text: the backend passes
// none, and a null value would set a variable empty here, not remove it.)
class AnsiArgument {
 public:
  // Not inlined: two of them and the check's buffer in one frame would need a stack probe.
  [[gnu::noinline]] explicit AnsiArgument(LPCWSTR text) {
    const int length = lstrlenW(text);
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, bytes_, kAnsiTextBytes - 1, nullptr, nullptr);
    bytes_[size] = '\0';
    // A character that the code page lacks comes back as another one.
    wchar_t back[kAnsiTextBytes];
    held_ = (size > 0 || length == 0) && MultiByteToWideChar(CP_ACP, 0, bytes_, size, back, kAnsiTextBytes) == length;
    for (int i = 0; held_ && i < length; ++i) held_ = back[i] == text[i];
    if (!held_) SetLastError(ERROR_INVALID_NAME);
  }
  AnsiArgument(const AnsiArgument&) = delete;
  AnsiArgument& operator=(const AnsiArgument&) = delete;

  explicit operator bool() const { return held_; }
  const char* Bytes() const { return bytes_; }

 private:
  char bytes_[kAnsiTextBytes];
  bool held_;
};

// What a wide entry that writes text answers, from what the ANSI entry wrote into `bytes` (its
// answer `written`: the length, the size it needed, or 0 on failure): the text in the caller's
// buffer of `size` characters and its length, or the size needed with the NUL, or 0.
DWORD WideAnswer(const char* bytes, DWORD written, LPWSTR buffer, DWORD size) {
  if (written == 0) return 0;
  if (written >= static_cast<DWORD>(kAnsiTextBytes)) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(written), nullptr, 0);
  if (static_cast<DWORD>(length) >= size) return static_cast<DWORD>(length) + 1;
  MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(written), buffer, length);
  buffer[length] = L'\0';
  return static_cast<DWORD>(length);
}

BOOL WINAPI CreateDirectoryAnsi(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
  const AnsiArgument ansi(path);
  return ansi && CreateDirectoryA(ansi.Bytes(), security);
}

HANDLE WINAPI CreateFileAnsi(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE model) {
  const AnsiArgument ansi(path);
  if (!ansi) return INVALID_HANDLE_VALUE;
  return CreateFileA(ansi.Bytes(), access, share, security, disposition, flags, model);
}

DWORD WINAPI GetFileAttributesAnsi(LPCWSTR path) {
  const AnsiArgument ansi(path);
  return ansi ? GetFileAttributesA(ansi.Bytes()) : INVALID_FILE_ATTRIBUTES;
}

// From the file's directory entry, which every 9x has (Windows 95 has no GetFileAttributesEx).
// A name with a wildcard names no one file.
BOOL WINAPI GetFileAttributesExAnsi(LPCWSTR path, GET_FILEEX_INFO_LEVELS, LPVOID data) {
  const AnsiArgument ansi(path);
  if (!ansi) return FALSE;
  for (const char* c = ansi.Bytes(); *c != '\0'; ++c) {
    if (*c == '*' || *c == '?') {
      SetLastError(ERROR_INVALID_NAME);
      return FALSE;
    }
  }
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(ansi.Bytes(), &found);
  if (search == INVALID_HANDLE_VALUE) return FALSE;
  FindClose(search);
  // The entry's fields are the first of the directory entry's, in the same order.
  static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeLow) == offsetof(WIN32_FILE_ATTRIBUTE_DATA, nFileSizeLow));
  CopyMemory(data, &found, sizeof(WIN32_FILE_ATTRIBUTE_DATA));
  return TRUE;
}

BOOL WINAPI SetFileAttributesAnsi(LPCWSTR path, DWORD attributes) {
  const AnsiArgument ansi(path);
  return ansi && SetFileAttributesA(ansi.Bytes(), attributes);
}

BOOL WINAPI CopyFileAnsi(LPCWSTR source, LPCWSTR destination, BOOL fail_if_exists) {
  const AnsiArgument from(source);
  const AnsiArgument to(destination);
  return from && to && CopyFileA(from.Bytes(), to.Bytes(), fail_if_exists);
}

DWORD WINAPI GetCurrentDirectoryAnsi(DWORD size, LPWSTR buffer) {
  char bytes[kAnsiTextBytes];
  return WideAnswer(bytes, GetCurrentDirectoryA(kAnsiTextBytes, bytes), buffer, size);
}

BOOL WINAPI SetCurrentDirectoryAnsi(LPCWSTR path) {
  const AnsiArgument ansi(path);
  return ansi && SetCurrentDirectoryA(ansi.Bytes());
}

DWORD WINAPI GetFullPathNameAnsi(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* file_part) {
  if (file_part != nullptr) *file_part = nullptr;  // the backend never asks for it
  const AnsiArgument ansi(path);
  if (!ansi) return 0;
  char bytes[kAnsiTextBytes];
  return WideAnswer(bytes, GetFullPathNameA(ansi.Bytes(), kAnsiTextBytes, bytes, nullptr), buffer, size);
}

DWORD WINAPI GetModuleFileNameAnsi(HMODULE module, LPWSTR buffer, DWORD size) {
  char bytes[kAnsiTextBytes];
  return WideAnswer(bytes, GetModuleFileNameA(module, bytes, kAnsiTextBytes), buffer, size);
}

DWORD WINAPI GetEnvironmentVariableAnsi(LPCWSTR name, LPWSTR buffer, DWORD size) {
  const AnsiArgument ansi(name);
  if (!ansi) return 0;
  char bytes[kAnsiTextBytes];
  return WideAnswer(bytes, GetEnvironmentVariableA(ansi.Bytes(), bytes, kAnsiTextBytes), buffer, size);
}

BOOL WINAPI SetEnvironmentVariableAnsi(LPCWSTR name, LPCWSTR value) {
  const AnsiArgument ansi_name(name);
  const AnsiArgument ansi_value(value);
  return ansi_name && ansi_value && SetEnvironmentVariableA(ansi_name.Bytes(), ansi_value.Bytes());
}

// Its answers count the NUL, whether the text fitted or not.
DWORD WINAPI ExpandEnvironmentStringsAnsi(LPCWSTR text, LPWSTR buffer, DWORD size) {
  const AnsiArgument ansi(text);
  if (!ansi) return 0;
  char bytes[kAnsiTextBytes];
  const DWORD written = ExpandEnvironmentStringsA(ansi.Bytes(), bytes, kAnsiTextBytes);
  if (written <= 1) {  // failed, or the empty text
    if (written == 1 && size > 0) buffer[0] = L'\0';
    return written;
  }
  const DWORD length = WideAnswer(bytes, written - 1, buffer, size);
  return length != 0 && length < size ? length + 1 : length;
}

HMODULE WINAPI LoadLibraryExAnsi(LPCWSTR path, HANDLE file, DWORD flags) {
  const AnsiArgument ansi(path);
  return ansi ? LoadLibraryExA(ansi.Bytes(), file, flags) : nullptr;
}

}  // namespace

TOLOPEN_CONSTINIT const TextEntries kAnsiStandIns{
    CreateDirectoryAnsi,     CreateFileAnsi,          GetFileAttributesAnsi,      GetFileAttributesExAnsi,
    SetFileAttributesAnsi,   CopyFileAnsi,            GetCurrentDirectoryAnsi,    SetCurrentDirectoryAnsi,
    GetFullPathNameAnsi,     GetModuleFileNameAnsi,   GetEnvironmentVariableAnsi, SetEnvironmentVariableAnsi,
    ExpandEnvironmentStringsAnsi, LoadLibraryExAnsi};

}  // namespace win32
