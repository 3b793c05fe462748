// The stand-ins that 9x takes for the wide entries refuse, with ERROR_INVALID_NAME and making
// nothing, a name outside the ANSI code page (Russian; Wine's is 1252), one too long, a wildcard.
// (For every other text windows_9x holds them to the suite's file-system cases.)
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/windows/wine.h"
#include "win32/text_entries.h"

namespace tests {
namespace {

TEST(TextEntriesTest, TheStandInsOf9xPassNoTextAltered) {
  const win32::TextEntries& e = win32::kAnsiStandIns;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring work = std::wstring(temp) + L"tolopen-text-entries-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring russian = work + L"\\\u0416\u0443\u0440";
  std::wstring too_long = work;  // never made: a call must not get so far
  while (too_long.size() < static_cast<std::size_t>(win32::kAnsiTextBytes)) too_long += L"\\" + std::wstring(200, L'n');
  std::filesystem::create_directories(russian);
  const std::wstring existing = work + L"\\file.ocx";
  std::filesystem::copy_file(BuildFile(TEST_CONTROL_DLL), existing);
  wchar_t buffer[MAX_PATH];
  WIN32_FILE_ATTRIBUTE_DATA data;
  const std::function<bool(const std::wstring&)> calls[] = {
      [&](const std::wstring& p) { return e.CreateDirectoryW((p + L"\\made").c_str(), nullptr) != FALSE; },
      [&](const std::wstring& p) {
        const HANDLE file = e.CreateFileW((p + L"\\made").c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        return file != INVALID_HANDLE_VALUE && CloseHandle(file);
      },
      [&](const std::wstring& p) { return e.GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; },
      [&](const std::wstring& p) { return e.GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data) != FALSE; },
      [&](const std::wstring& p) { return e.SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE; },
      [&](const std::wstring& p) { return e.CopyFileW(existing.c_str(), (p + L"\\made").c_str(), FALSE) != FALSE; },
      [&](const std::wstring& p) { return e.SetCurrentDirectoryW(p.c_str()) != FALSE; },
      [&](const std::wstring& p) { return e.GetFullPathNameW(p.c_str(), MAX_PATH, buffer, nullptr) != 0; },
      [&](const std::wstring& p) { return e.SetEnvironmentVariableW(L"TOLOPEN_TEXT_ENTRY", p.c_str()) != FALSE; },
      [&](const std::wstring& p) { return e.ExpandEnvironmentStringsW(p.c_str(), buffer, MAX_PATH) != 0; },
      [&](const std::wstring& p) { return e.LoadLibraryExW((p + L"\\file.ocx").c_str(), nullptr, 0) != nullptr; },
  };
  for (const std::wstring& path : {russian, too_long}) {
    for (std::size_t i = 0; i < std::size(calls); ++i) {
      SetLastError(0);
      EXPECT_FALSE(calls[i](path)) << "call " << i << (path == russian ? ", a Russian name" : ", a long name");
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << "call " << i;
    }
    EXPECT_FALSE(std::filesystem::exists(russian + L"\\made")) << "nothing made under another name";
  }
  // The one stand-in that no file-system case calls, answering as the wide entry: the length
  // with the NUL, or the size needed.
  SetEnvironmentVariableW(L"TOLOPEN_TEXT_ENTRY", L"C:\\x");
  for (const DWORD size : {DWORD{MAX_PATH}, DWORD{3}}) {
    EXPECT_EQ(e.ExpandEnvironmentStringsW(L"%TOLOPEN_TEXT_ENTRY%\\y", buffer, size),
              ExpandEnvironmentStringsW(L"%TOLOPEN_TEXT_ENTRY%\\y", buffer, size)) << size << " characters";
  }
  SetEnvironmentVariableW(L"TOLOPEN_TEXT_ENTRY", nullptr);
  SetLastError(0);
  EXPECT_FALSE(e.GetFileAttributesExW((work + L"\\file.*").c_str(), GetFileExInfoStandard, &data)) << "a wildcard";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << "a wildcard names no one file";
  std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace tests
