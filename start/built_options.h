// The start-up options a program's entry is built with (CMake options TOLOPEN_*, compiled into
// one constant set). Only an entry point includes this, and the tests that run Main as one does;
// the modules take their options as values.
#pragma once

#include "start/startup_options.h"

#ifndef TOLOPEN_INSTALL_FLASH_AT_START
#error "the build must define the TOLOPEN_* options"
#endif

namespace mdlMain {

inline constexpr StartupOptions kBuiltOptions{
    TOLOPEN_INSTALL_FLASH_AT_START ? &InstallFlashControlAtStart : nullptr,
    TOLOPEN_REGISTER_FILE_TYPE_AT_START ? &RegisterCourseFileTypeAtStart : nullptr,
    {TOLOPEN_FLASH_OCX_ON_DISC != 0, TOLOPEN_FLASH_OCX_IN_SYSTEM_FOLDER != 0},
};

// The same with the course file type registered too, as the course build's program is.
inline constexpr StartupOptions kBuiltOptionsWithFileType{kBuiltOptions.install_flash_control,
                                                          &RegisterCourseFileTypeAtStart,
                                                          kBuiltOptions.control_file_names};

}  // namespace mdlMain
