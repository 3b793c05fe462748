// The system ANSI code page, and environment references.
#include <windows.h>

#include <vector>

#include "common/numbered_error.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace win32 {

std::string Win32Platform::ToAnsi(const std::u16string& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) throw common::ErrorFromWin32(GetLastError());
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide(text), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::u16string Win32Platform::FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return std::u16string();
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) throw common::ErrorFromWin32(GetLastError());
  std::vector<wchar_t> text(static_cast<std::size_t>(size));
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), size);
  return FromWide(text.data(), text.size());
}

std::u16string Win32Platform::ExpandEnvironment(const std::u16string& text) {
  std::vector<wchar_t> expanded(text.size() + 1);
  for (;;) {
    const DWORD size = ExpandEnvironmentStringsW(Wide(text), expanded.data(),
                                                 static_cast<DWORD>(expanded.size()));
    if (size == 0) throw common::ErrorFromWin32(GetLastError());
    if (size <= expanded.size()) return FromWide(expanded.data(), size - 1);
    expanded.resize(size);
  }
}

}  // namespace win32
