// Which family of Windows runs the program, told once: Windows 95, 98 and Me, whose wide (W)
// entries are mostly stubs that fail with ERROR_CALL_NOT_IMPLEMENTED, or the NT family (NT 4 to
// 11), where the wide entries are the real ones.
#pragma once

namespace win32 {

// True on Windows 95, 98 and Me: the high bit of GetVersion's answer.
bool IsWindows9x();

}  // namespace win32
