// The running program's folder, read from its own path however long that is: for the platform's
// ProgramFolder and for the libraries loaded from beside the program.
#pragma once

#include <string>

#include "common/result.h"

namespace win32 {

// "D:\COURSE", or a drive root with its "\" ("D:\").
common::Result<std::u16string> RunningProgramFolder();

}  // namespace win32
