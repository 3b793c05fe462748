// A stand-in viewer for the tests: writes the command line it received, the current folder it
// inherited and the show state its window was given (-1 for none), UTF-16 one per line, to the
// file named by TOLOPEN_RECORDER_OUT, then exits.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t out[MAX_PATH];
  if (GetEnvironmentVariableW(L"TOLOPEN_RECORDER_OUT", out, MAX_PATH) == 0) return 1;
  wchar_t folder[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, folder);
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  const int show_state = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  const std::wstring record =
      std::wstring(GetCommandLineW()) + L"\n" + folder + L"\n" + std::to_wstring(show_state) + L"\n";
  // Written under another name and then renamed, so that a reader never sees half of it.
  const std::wstring partial = std::wstring(out) + L".partial";
  const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return MoveFileExW(partial.c_str(), out, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
