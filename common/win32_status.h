// The Win32 statuses this program meets, listed once: their names as Windows spells them and
// the numbered error that the run-time library reports for each. The simulated machine answers
// with them, the Win32 backend compares with them, and ErrorFromWin32 maps them.
#pragma once

#include <cstdint>

#include "common/numbered_error.h"

// X(Name, value, numbered error the run-time library reports; 0 for none)
#define TOLOPEN_WIN32_STATUSES(X)                                   \
  X(ERROR_SUCCESS, 0, 0)                                            \
  X(ERROR_FILE_NOT_FOUND, 2, common::kFileNotFound)                 \
  X(ERROR_PATH_NOT_FOUND, 3, common::kPathNotFound)                 \
  X(ERROR_TOO_MANY_OPEN_FILES, 4, common::kTooManyFiles)            \
  X(ERROR_ACCESS_DENIED, 5, common::kPathFileAccessError)           \
  X(ERROR_INVALID_HANDLE, 6, 0)                                     \
  X(ERROR_NOT_ENOUGH_MEMORY, 8, common::kOutOfMemory)               \
  X(ERROR_OUTOFMEMORY, 14, common::kOutOfMemory)                    \
  X(ERROR_INVALID_DRIVE, 15, common::kDeviceUnavailable)            \
  X(ERROR_WRITE_PROTECT, 19, common::kPermissionDenied)             \
  X(ERROR_NOT_READY, 21, common::kDiskNotReady)                     \
  X(ERROR_SHARING_VIOLATION, 32, common::kPermissionDenied)         \
  X(ERROR_LOCK_VIOLATION, 33, common::kPermissionDenied)            \
  X(ERROR_HANDLE_DISK_FULL, 39, common::kDiskFull)                  \
  X(ERROR_BAD_NETPATH, 53, common::kPathNotFound)                   \
  X(ERROR_BAD_NET_NAME, 67, common::kPathNotFound)                  \
  X(ERROR_FILE_EXISTS, 80, common::kFileAlreadyExists)              \
  X(ERROR_INVALID_PARAMETER, 87, common::kInvalidArgument)          \
  X(ERROR_DISK_FULL, 112, common::kDiskFull)                        \
  X(ERROR_INVALID_NAME, 123, common::kBadFileName)                  \
  X(ERROR_MOD_NOT_FOUND, 126, common::kErrorInLoadingDll)           \
  X(ERROR_PROC_NOT_FOUND, 127, common::kDllEntryPointNotFound)      \
  X(ERROR_BAD_PATHNAME, 161, common::kPathNotFound)                 \
  X(ERROR_ALREADY_EXISTS, 183, common::kPathFileAccessError)        \
  X(ERROR_BAD_EXE_FORMAT, 193, common::kErrorInLoadingDll)          \
  X(ERROR_FILENAME_EXCED_RANGE, 206, common::kBadFileName)          \
  X(ERROR_MORE_DATA, 234, 0)                                        \
  X(ERROR_REGISTRY_IO_FAILED, 1016, 0)

namespace platform {

using Status = std::int32_t;  // a Win32 error code; 0 is success

// kERROR_FILE_NOT_FOUND and so on: the names Windows gives them, so that a reader finds them.
enum Win32Status : Status {
#define TOLOPEN_WIN32_STATUS_ENUMERATOR(Name, value, number) k##Name = value,
  TOLOPEN_WIN32_STATUSES(TOLOPEN_WIN32_STATUS_ENUMERATOR)
#undef TOLOPEN_WIN32_STATUS_ENUMERATOR
};

inline constexpr Status kSuccess = kERROR_SUCCESS;

// "ERROR_FILE_NOT_FOUND", or nullptr for a status not listed.
const char* StatusName(Status status);

}  // namespace platform
