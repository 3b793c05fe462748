// Prints, for every extension under HKEY_CLASSES_ROOT of the machine it runs on, the file type and
// open command that the launcher's two lookups give, tab-separated: what tolopen-sim --lookups
// prints for an export of the same registry.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/platform.h"
#include "common/utf8.h"
#include "start/main.h"
#include "win32/win32_platform.h"

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
    mdlMain::LookUpViewer(extension, file_type, open_command);
    std::printf("%s\t%s\t%s\n", common::ToUtf8(extension).c_str(), common::ToUtf8(file_type).c_str(),
                common::ToUtf8(open_command).c_str());
  }
  return 0;
}
