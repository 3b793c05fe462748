// The build-time options, fixed when the program is built (CMake options TOLOPEN_*).
// The code behind an option that is off is compiled all the same; only its test decides.
#pragma once

#ifndef TOLOPEN_INSTALL_FLASH_AT_START
#error "the build must define the TOLOPEN_* options"
#endif

namespace common::options {

inline constexpr bool InstallFlashAtStart = TOLOPEN_INSTALL_FLASH_AT_START;
inline constexpr bool RegisterFileTypeAtStart = TOLOPEN_REGISTER_FILE_TYPE_AT_START;
inline constexpr bool FlashOcxOnDisc = TOLOPEN_FLASH_OCX_ON_DISC;
inline constexpr bool FlashOcxInSystemFolder = TOLOPEN_FLASH_OCX_IN_SYSTEM_FOLDER;

}  // namespace common::options
