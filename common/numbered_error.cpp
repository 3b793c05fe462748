#include "common/numbered_error.h"

#include <utility>

namespace common {
namespace {

struct Description {
  std::int32_t number;
  const char* text;  // ASCII
};

constexpr Description kDescriptions[] = {
    {3, "Return without GoSub"},
    {5, "Invalid procedure call or argument"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {13, "Type mismatch"},
    {48, "Error in loading DLL"},
    {49, "Bad DLL calling convention"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {61, "Disk full"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {94, "Invalid use of Null"},
    {453, "Can't find DLL entry point"},
};

struct Win32Mapping {
  std::uint32_t status;
  std::int32_t number;
};

// How the run-time library reports the Win32 statuses that its file, folder,
// process and library operations meet.
constexpr Win32Mapping kWin32Mappings[] = {
    {2, kFileNotFound},          // ERROR_FILE_NOT_FOUND
    {3, kPathNotFound},          // ERROR_PATH_NOT_FOUND
    {4, kTooManyFiles},          // ERROR_TOO_MANY_OPEN_FILES
    {5, kPathFileAccessError},   // ERROR_ACCESS_DENIED
    {8, kOutOfMemory},           // ERROR_NOT_ENOUGH_MEMORY
    {14, kOutOfMemory},          // ERROR_OUTOFMEMORY
    {15, kDeviceUnavailable},    // ERROR_INVALID_DRIVE
    {19, kPermissionDenied},     // ERROR_WRITE_PROTECT
    {21, kDiskNotReady},         // ERROR_NOT_READY
    {32, kPermissionDenied},     // ERROR_SHARING_VIOLATION
    {33, kPermissionDenied},     // ERROR_LOCK_VIOLATION
    {39, kDiskFull},             // ERROR_HANDLE_DISK_FULL
    {53, kPathNotFound},         // ERROR_BAD_NETPATH
    {67, kPathNotFound},         // ERROR_BAD_NET_NAME
    {80, kFileAlreadyExists},    // ERROR_FILE_EXISTS
    {87, kInvalidArgument},      // ERROR_INVALID_PARAMETER
    {112, kDiskFull},            // ERROR_DISK_FULL
    {123, kBadFileName},         // ERROR_INVALID_NAME
    {126, kErrorInLoadingDll},   // ERROR_MOD_NOT_FOUND
    {127, kDllEntryPointNotFound},  // ERROR_PROC_NOT_FOUND
    {161, kPathNotFound},        // ERROR_BAD_PATHNAME
    {183, kPathFileAccessError},  // ERROR_ALREADY_EXISTS
    {193, kErrorInLoadingDll},   // ERROR_BAD_EXE_FORMAT
    {206, kBadFileName},         // ERROR_FILENAME_EXCED_RANGE
};

}  // namespace

NumberedError::NumberedError(std::int32_t number)
    : NumberedError(number, StandardDescription(number)) {}

NumberedError::NumberedError(std::int32_t number, std::u16string description,
                             std::u16string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {}

std::u16string StandardDescription(std::int32_t number) {
  for (const Description& d : kDescriptions) {
    if (d.number == number) return std::u16string(d.text, d.text + std::char_traits<char>::length(d.text));
  }
  return u"Application-defined or object-defined error";
}

NumberedError ErrorFromWin32(std::uint32_t status) {
  for (const Win32Mapping& m : kWin32Mappings) {
    if (m.status == status) return NumberedError(m.number);
  }
  return NumberedError(kPathFileAccessError);
}

}  // namespace common
