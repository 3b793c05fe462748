// The running program: its argument text, its folder, and the processes it starts.
#include <windows.h>

#include "common/numbered_error.h"
#include "win32/program_folder.h"
#include "win32/text_entries.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"
#include "win32/windows_family.h"

namespace win32 {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The start-up record of a process whose window is shown in `window_style`: STARTUPINFOA or
// STARTUPINFOW, as the entry that starts it takes.
template <typename StartupInfo>
StartupInfo ShownWindow(int window_style) {
  StartupInfo startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(window_style);
  return startup;
}

}  // namespace

common::Result<std::u16string> Win32Platform::CommandLineArgument() {
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

common::Result<std::u16string> Win32Platform::ProgramFolder() { return RunningProgramFolder(); }

common::Result<std::u16string> RunningProgramFolder() {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length = Kernel32().GetModuleFileNameW(nullptr, WideBuffer(path), static_cast<DWORD>(path.size()));
    if (length == 0) return common::ErrorFromWin32(GetLastError());
    if (length < path.size()) {
      std::u16string folder = path.substr(0, length);
      const std::size_t slash = folder.rfind(u'\\');
      if (slash == std::u16string::npos) return common::NumberedError(common::kPathNotFound);
      // A drive root keeps its "\" ("D:\"); any other folder loses it.
      folder.resize(slash == 2 && folder[1] == u':' ? slash + 1 : slash);
      return folder;
    }
    path.resize(path.size() * 2);
  }
}

common::Outcome Win32Platform::StartProcess(const std::u16string& command_line, int window_style) {
  common::Result<platform::AnsiString> converted = ToAnsi(command_line);
  TOLOPEN_RETURN_IF_FAILED(converted);
  platform::AnsiString ansi = std::move(converted).Value();
  // A command line that the code page cannot hold would reach the viewer with "?" in place of
  // some characters, naming no file; it goes through the wide entry unchanged instead, where
  // there is one: Windows 95, 98 and Me have it only as a stub.
  const common::Result<std::u16string> round_trip = FromAnsi(ansi);
  TOLOPEN_RETURN_IF_FAILED(round_trip);
  const bool fits_code_page = round_trip.Value() == command_line;
  if (!fits_code_page && IsWindows9x()) return common::ErrorFromWin32(ERROR_INVALID_NAME);
  std::u16string wide = command_line;  // the entries may write into their buffer
  PROCESS_INFORMATION process{};
  BOOL started = FALSE;
  // The viewer gets the system's usual error boxes back; only the launcher keeps them off.
  if (fits_code_page) {
    STARTUPINFOA startup = ShownWindow<STARTUPINFOA>(window_style);
    started = CreateProcessA(nullptr, ansi.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                             nullptr, nullptr, &startup, &process);
  } else {
    STARTUPINFOW startup = ShownWindow<STARTUPINFOW>(window_style);
    started = CreateProcessW(nullptr, WideBuffer(wide), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                             nullptr, nullptr, &startup, &process);
  }
  if (!started) return common::ErrorFromWin32(GetLastError());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return {};
}

}  // namespace win32
