// The stand-ins that Windows 95, 98 and Me take for the wide entries, held to the wide entries
// themselves: what each answers, writes and leaves, for a text that the ANSI code page holds, one
// it cannot hold (a file name in Russian, outside Wine's code page 1252) and one too long for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/conformance/machine.h"
#include "tests/windows/wine.h"
#include "win32/text_entries.h"

namespace tests {
namespace {

using win32::TextEntries;

// What a call answered (its number, or its text), then its last error when it failed.
std::string Answer(long long number, bool failed) {
  return std::to_string(number) + (failed ? " failed " + std::to_string(GetLastError()) : "");
}
std::string Text(const wchar_t* text, DWORD length) {
  return std::to_string(length) + " \"" + conformance::Show(std::u16string(text, text + (length < MAX_PATH ? length : 0))) + "\"";
}

TEST(TextEntriesTest, TheStandInsOf9xAnswerAsTheWideEntries) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring work = std::wstring(temp) + L"tolopen-text-entries-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring russian = work + L"\\\u0416\u0443\u0440";
  std::wstring too_long = work;
  while (too_long.size() < static_cast<std::size_t>(win32::kAnsiTextBytes)) too_long += L"\\" + std::wstring(200, L'n');
  // Each row runs in a folder whose name the code page holds (the stand-in answers as the wide
  // entry), one whose name it cannot hold and one too long for the stand-ins (the stand-in fails
  // with ERROR_INVALID_NAME and makes nothing under another name).
  using Call = std::function<std::string(const TextEntries&, const std::wstring& path)>;
  const struct {
    const char* what;
    Call call;
  } cases[] = {
      {"a folder made", [](const TextEntries& e, const std::wstring& p) {
         const BOOL made = e.CreateDirectoryW((p + L"\\made").c_str(), nullptr);
         const std::string answer = Answer(made, !made);
         return answer + ", " + std::to_string(GetFileAttributesW((p + L"\\made").c_str()));
       }},
      {"a file's attributes and length", [](const TextEntries& e, const std::wstring& p) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         const BOOL found = e.GetFileAttributesExW((p + L"\\file.ocx").c_str(), GetFileExInfoStandard, &data);
         const std::string answer = Answer(found, !found);
         return answer + ", " + std::to_string(data.dwFileAttributes) + " " +
                std::to_string(data.nFileSizeLow) + ", " + std::to_string(e.GetFileAttributesW((p + L"\\file.ocx").c_str()));
       }},
      {"a missing file's attributes", [](const TextEntries& e, const std::wstring& p) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         const BOOL found = e.GetFileAttributesExW((p + L"\\gone.ocx").c_str(), GetFileExInfoStandard, &data);
         return Answer(found, !found);
       }},
      {"a name with a wildcard names no file", [](const TextEntries& e, const std::wstring& p) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         const BOOL found = e.GetFileAttributesExW((p + L"\\file.*").c_str(), GetFileExInfoStandard, &data);
         return Answer(found, !found);
       }},
      {"a folder's attributes", [](const TextEntries& e, const std::wstring& p) {
         WIN32_FILE_ATTRIBUTE_DATA data{};
         const BOOL found = e.GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data);
         return Answer(found, !found) + ", " + std::to_string(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
       }},
      {"a copy made read-only, then writable", [](const TextEntries& e, const std::wstring& p) {
         const std::wstring copy = p + L"\\copy.ocx";
         const BOOL copied = e.CopyFileW((p + L"\\file.ocx").c_str(), copy.c_str(), FALSE);
         const std::string copy_answer = Answer(copied, !copied);
         const BOOL read_only = e.SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_READONLY);
         const std::string read_only_answer = Answer(read_only, !read_only);
         const std::string seen = std::to_string(GetFileAttributesW(copy.c_str()));
         e.SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
         return copy_answer + ", " + read_only_answer + ", " + seen;
       }},
      {"a file opened for reading", [](const TextEntries& e, const std::wstring& p) {
         const HANDLE file = e.CreateFileW((p + L"\\file.ocx").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
         const bool opened = file != INVALID_HANDLE_VALUE;
         const std::string answer = Answer(opened, !opened);
         const std::string size = opened ? std::to_string(GetFileSize(file, nullptr)) : "";
         if (opened) CloseHandle(file);
         return answer + " " + size;
       }},
      {"the current folder set and read, and a buffer too small", [](const TextEntries& e, const std::wstring& p) {
         wchar_t before[MAX_PATH];
         GetCurrentDirectoryW(MAX_PATH, before);
         const BOOL set = e.SetCurrentDirectoryW(p.c_str());
         const std::string answer = Answer(set, !set);
         wchar_t read[MAX_PATH];
         const DWORD length = e.GetCurrentDirectoryW(MAX_PATH, read);
         const DWORD needed = e.GetCurrentDirectoryW(3, read);
         SetCurrentDirectoryW(before);
         return answer + ", " + Text(read, length) + ", needs " + std::to_string(needed);
       }},
      {"a full path, and a buffer too small", [](const TextEntries& e, const std::wstring& p) {
         wchar_t full[MAX_PATH];
         const DWORD length = e.GetFullPathNameW((p + L"\\a\\..\\b").c_str(), MAX_PATH, full, nullptr);
         const std::string answer = length == 0 ? Answer(0, true) : "";
         const DWORD needed = e.GetFullPathNameW((p + L"\\a\\..\\b").c_str(), 3, full, nullptr);
         return Text(full, length) + answer + ", needs " + std::to_string(needed);
       }},
      {"a variable set, read and expanded", [](const TextEntries& e, const std::wstring& p) {
         const BOOL set = e.SetEnvironmentVariableW(L"TOLOPEN_TEXT_ENTRY", p.c_str());
         const std::string answer = Answer(set, !set);
         wchar_t value[MAX_PATH];
         const DWORD length = e.GetEnvironmentVariableW(L"TOLOPEN_TEXT_ENTRY", value, MAX_PATH);
         const DWORD needed = e.ExpandEnvironmentStringsW(L"%TOLOPEN_TEXT_ENTRY%\\x", value, 3);
         const DWORD expanded = e.ExpandEnvironmentStringsW(L"%TOLOPEN_TEXT_ENTRY%\\x", value, MAX_PATH);
         SetEnvironmentVariableW(L"TOLOPEN_TEXT_ENTRY", nullptr);
         return answer + ", " + Text(value, length) + ", needs " + std::to_string(needed) + ", " +
                std::to_string(expanded);
       }},
      {"a library loaded from its folder", [](const TextEntries& e, const std::wstring& p) {
         const HMODULE library = e.LoadLibraryExW((p + L"\\file.ocx").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
         if (library != nullptr) FreeLibrary(library);
         return Answer(library != nullptr, library == nullptr);
       }},
  };
  const TextEntries& wide = win32::Kernel32();
  ASSERT_NE(&wide, &win32::kAnsiStandIns) << "this process runs on the NT family";
  std::error_code ignored;
  for (const auto& c : cases) {
    for (const std::wstring& folder : {work, russian, too_long}) {
      SCOPED_TRACE(std::string(c.what) + (folder == work ? "" : folder == russian ? ", a Russian name" : ", a long name"));
      const auto make = [&] {  // the long name is never made: the call must not get so far
        std::filesystem::remove_all(work, ignored);
        if (folder == too_long) return;
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(BuildFile(TEST_CONTROL_DLL), folder + L"\\file.ocx");
      };
      make();
      const std::string by_stand_in = c.call(win32::kAnsiStandIns, folder);
      if (folder == work) {
        make();
        EXPECT_EQ(by_stand_in, c.call(wide, folder));
      } else {
        EXPECT_NE(by_stand_in.find("failed 123"), std::string::npos) << by_stand_in << ": ERROR_INVALID_NAME";
        EXPECT_FALSE(std::filesystem::exists(folder + L"\\made", ignored)) << "nothing made under another name";
      }
    }
  }
  std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace tests
