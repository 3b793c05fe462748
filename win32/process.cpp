// The running program: its argument text, its folder, and the processes it starts.
#include <windows.h>

#include "common/numbered_error.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace win32 {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::u16string Win32Platform::CommandLineArgument() {
  const wchar_t* p = GetCommandLineW();
  // The program's own name, quoted or not, then the blanks that separate it from the rest.
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && !IsBlank(*p)) ++p;
  }
  while (IsBlank(*p)) ++p;
  std::size_t length = wcslen(p);
  while (length > 0 && IsBlank(p[length - 1])) --length;
  return FromWide(p, length);
}

std::u16string Win32Platform::ProgramFolder() {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, WideBuffer(path), static_cast<DWORD>(path.size()));
    if (length == 0) throw common::ErrorFromWin32(GetLastError());
    if (length < path.size()) {
      std::u16string folder = path.substr(0, length);
      const std::size_t slash = folder.rfind(u'\\');
      if (slash == std::u16string::npos) throw common::NumberedError(common::kPathNotFound);
      // A drive root keeps its "\" ("D:\"); any other folder loses it.
      folder.resize(slash == 2 && folder[1] == u':' ? slash + 1 : slash);
      return folder;
    }
    path.resize(path.size() * 2);
  }
}

void Win32Platform::StartProcess(const std::u16string& command_line, int window_style) {
  platform::AnsiString line = ToAnsi(command_line);  // CreateProcessA may write into its buffer
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(window_style);
  PROCESS_INFORMATION process{};
  // The viewer gets the system's usual error boxes back; only the launcher keeps them off.
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                      nullptr, nullptr, &startup, &process)) {
    throw common::ErrorFromWin32(GetLastError());
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace win32
