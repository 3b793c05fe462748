// Prints, for every extension under HKEY_CLASSES_ROOT of the machine it runs on, the file type and
// open command that the launcher's two lookups give, tab-separated: what tolopen-sim --lookups
// prints for an export of the same registry.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/platform.h"
#include "registry/registry.h"
#include "win32/win32_platform.h"

namespace {

std::string Utf8(const std::u16string& text) {
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  return bytes;
}

}  // namespace

int main() {
  win32::Win32Platform windows;
  const platform::ScopedPlatform installed(windows);
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::u16string extension(reinterpret_cast<const char16_t*>(name), length);
    if (extension.empty() || extension[0] != u'.') continue;
    std::u16string file_type;
    std::u16string open_command;
    static_cast<void>(mdlRegistry::GetRegistryValue(platform::kClassesRoot, extension + u"\\", u"", file_type, u""));
    static_cast<void>(mdlRegistry::GetRegistryValue(platform::kClassesRoot, file_type + u"\\shell\\open\\command", u"",
                                                    open_command, u""));
    std::printf("%s\t%s\t%s\n", Utf8(extension).c_str(), Utf8(file_type).c_str(), Utf8(open_command).c_str());
  }
  return 0;
}
