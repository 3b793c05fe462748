#include "win32/windows_family.h"

#include <windows.h>

namespace win32 {

bool IsWindows9x() {
  // Read at the first call and kept; zero-initialised, so that it costs the program no data.
  static DWORD version;
  if (version == 0) version = GetVersion();
  return (version & 0x80000000u) != 0;
}

}  // namespace win32
