// win32/: the platform operations on the real Windows API (the ANSI entries the routines name,
// the wide ones where a path must survive any code page), and the delivered program's entry and
// run-time support. The only folder that includes <windows.h> for the program; nothing here
// decides anything the routines decide.
#pragma once

#include <vector>

#include "common/platform.h"
#include "common/platform_operations.h"
#include "win32/file_handle.h"

namespace win32 {

class Win32Platform final : public platform::Platform {
 public:
#define TOLOPEN_OPERATION TOLOPEN_OVERRIDE_DECLARATION
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION

 private:
  std::vector<FileHandle> open_files_;  // file number n is open_files_[n - 1]; closed ones are not open
};

}  // namespace win32
