// The system ANSI code page, and environment references.
#include <windows.h>

#include "common/numbered_error.h"
#include "win32/text_entries.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace win32 {

common::Result<platform::AnsiString> Win32Platform::ToAnsi(const std::u16string& text) {
  if (text.empty()) return platform::AnsiString();
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return common::ErrorFromWin32(GetLastError());
  platform::AnsiString bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide(text), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

common::Result<std::u16string> Win32Platform::FromAnsi(platform::AnsiStringView bytes) {
  if (bytes.empty()) return std::u16string();
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return common::ErrorFromWin32(GetLastError());
  std::u16string text(static_cast<std::size_t>(size), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, WideBuffer(text), size);
  return text;
}

common::Result<std::u16string> Win32Platform::ExpandEnvironment(const std::u16string& text) {
  std::u16string expanded(text.size() + 1, u'\0');
  for (;;) {
    const DWORD size = Kernel32().ExpandEnvironmentStringsW(Wide(text), WideBuffer(expanded),
                                                 static_cast<DWORD>(expanded.size()));
    if (size == 0) return common::ErrorFromWin32(GetLastError());
    if (size <= expanded.size()) {
      expanded.resize(size - 1);
      return expanded;
    }
    expanded.resize(size);
  }
}

}  // namespace win32
