// The platform's operations, listed once. What wraps a platform (wrappers/faulting_platform.h:
// planted failures, a call log) is made from this list, so a new operation is one line here
// besides its declaration in platform.h and each backend.
//
//   X(Name, Return, (parameters), (arguments), Failure, (real failures))
//
// Failure says how a planted failure with a Win32 status is answered, as the real operation
// would answer that status:
//   kNumberedError  the numbered error that the run-time library reports for the status;
//   kImportStatus   a registry entry: the status itself (126 and 127 fail the import's
//                   resolution instead, with 48 or 453, as a missing library or entry does);
//   kImportZero     GetSystemDirectoryA: 0 (126 and 127 as above);
//   kImportNoLoad   DLLSelfRegister: 2, the file cannot be loaded (126 and 127 as above);
//   kClosed...      a close that reports a failure has released the handle all the same: the
//                   call goes through, and its answer is the failure (numbered or a status).
//
// The real failures are the Win32 statuses the operation meets on real machines (a missing file,
// a refused key, memory, a drive not ready, a full disk, a library that cannot be loaded): what
// the fault sweep plants at each of its calls, the first of them in the pairs.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"

#define TOLOPEN_PLATFORM_OPERATIONS(X)                                                                            \
  X(CommandLineArgument, common::Result<std::u16string>, (), (), kNumberedError,                                  \
    (kERROR_NOT_ENOUGH_MEMORY))                                                                                   \
  X(ProgramFolder, common::Result<std::u16string>, (), (), kNumberedError,                                        \
    (kERROR_NOT_ENOUGH_MEMORY))                                                                                   \
  X(StartProcess, common::Outcome, (const std::u16string& command_line, int window_style),                        \
    (command_line, window_style), kNumberedError,                                                                 \
    (kERROR_FILE_NOT_FOUND, kERROR_ACCESS_DENIED, kERROR_BAD_EXE_FORMAT, kERROR_NOT_ENOUGH_MEMORY))               \
  X(ToAnsi, common::Result<platform::AnsiString>, (const std::u16string& text), (text), kNumberedError,           \
    (kERROR_NOT_ENOUGH_MEMORY))                                                                                   \
  X(FromAnsi, common::Result<std::u16string>, (platform::AnsiStringView bytes), (bytes), kNumberedError,          \
    (kERROR_NOT_ENOUGH_MEMORY))                                                                                   \
  X(ExpandEnvironment, common::Result<std::u16string>, (const std::u16string& text), (text), kNumberedError,      \
    (kERROR_NOT_ENOUGH_MEMORY))                                                                                   \
  X(RegOpenKeyExA, common::Result<platform::Status>,                                                              \
    (platform::KeyHandle root, const platform::AnsiString& sub_key, std::uint32_t options, std::uint32_t access,  \
     platform::KeyHandle* key),                                                                                   \
    (root, sub_key, options, access, key), kImportStatus,                                                         \
    (kERROR_FILE_NOT_FOUND, kERROR_ACCESS_DENIED, kERROR_MOD_NOT_FOUND))                                          \
  X(RegQueryValueExA, common::Result<platform::Status>,                                                           \
    (platform::KeyHandle key, const platform::AnsiString& value_name, std::uint32_t* type, std::uint8_t* data,    \
     std::uint32_t* count),                                                                                       \
    (key, value_name, type, data, count), kImportStatus,                                                          \
    (kERROR_FILE_NOT_FOUND, kERROR_ACCESS_DENIED, kERROR_MORE_DATA, kERROR_PROC_NOT_FOUND))                       \
  X(RegCloseKey, common::Result<platform::Status>, (platform::KeyHandle key), (key), kClosedImportStatus,         \
    (kERROR_INVALID_HANDLE))                                                                                      \
  X(RegCreateKeyExA, common::Result<platform::Status>,                                                            \
    (platform::KeyHandle root, const platform::AnsiString& sub_key, std::uint32_t reserved,                       \
     const platform::AnsiString& key_class, std::uint32_t options, std::uint32_t access,                          \
     const platform::SecurityAttributes& security, platform::KeyHandle* key, std::uint32_t* disposition),         \
    (root, sub_key, reserved, key_class, options, access, security, key, disposition), kImportStatus,             \
    (kERROR_ACCESS_DENIED, kERROR_BAD_PATHNAME))                                                                  \
  X(RegSetValueExA, common::Result<platform::Status>,                                                             \
    (platform::KeyHandle key, const platform::AnsiString& value_name, std::uint32_t reserved, std::uint32_t type, \
     const std::uint8_t* data, std::uint32_t count),                                                              \
    (key, value_name, reserved, type, data, count), kImportStatus,                                                \
    (kERROR_ACCESS_DENIED, kERROR_REGISTRY_IO_FAILED))                                                            \
  X(CurrentFolder, common::Result<std::u16string>, (), (), kNumberedError,                                        \
    (kERROR_NOT_ENOUGH_MEMORY, kERROR_NOT_READY))                                                                 \
  X(ChangeDrive, common::Outcome, (const std::u16string& path), (path), kNumberedError,                           \
    (kERROR_INVALID_DRIVE, kERROR_NOT_READY))                                                                     \
  X(ChangeFolder, common::Outcome, (const std::u16string& path), (path), kNumberedError,                          \
    (kERROR_PATH_NOT_FOUND, kERROR_ACCESS_DENIED, kERROR_NOT_READY))                                              \
  X(MakeFolder, common::Outcome, (const std::u16string& path), (path), kNumberedError,                            \
    (kERROR_PATH_NOT_FOUND, kERROR_ACCESS_DENIED, kERROR_WRITE_PROTECT, kERROR_ALREADY_EXISTS))                   \
  X(OpenForInput, common::Result<int>, (const std::u16string& path), (path), kNumberedError,                      \
    (kERROR_FILE_NOT_FOUND, kERROR_PATH_NOT_FOUND, kERROR_ACCESS_DENIED, kERROR_SHARING_VIOLATION))               \
  X(CloseFile, common::Outcome, (int file_number), (file_number), kClosedNumberedError,                           \
    (kERROR_INVALID_HANDLE))                                                                                      \
  X(FileLength, common::Result<std::int32_t>, (const std::u16string& path), (path), kNumberedError,               \
    (kERROR_FILE_NOT_FOUND, kERROR_ACCESS_DENIED))                                                                \
  X(CopyFileReplacing, common::Outcome, (const std::u16string& source, const std::u16string& destination),        \
    (source, destination), kNumberedError,                                                                        \
    (kERROR_ACCESS_DENIED, kERROR_SHARING_VIOLATION, kERROR_DISK_FULL))                                           \
  X(GetSystemDirectoryA, common::Result<std::uint32_t>, (platform::AnsiString & buffer), (buffer), kImportZero,   \
    (kERROR_NOT_ENOUGH_MEMORY))                                                                                   \
  X(DLLSelfRegister, common::Result<std::int16_t>, (const platform::AnsiString& path), (path), kImportNoLoad,     \
    (kERROR_MOD_NOT_FOUND, kERROR_PROC_NOT_FOUND, kERROR_ACCESS_DENIED))

namespace platform {

enum class Operation {
#define TOLOPEN_OPERATION_ENUMERATOR(Name, ...) k##Name,
  TOLOPEN_PLATFORM_OPERATIONS(TOLOPEN_OPERATION_ENUMERATOR)
#undef TOLOPEN_OPERATION_ENUMERATOR
  kCount,
};

// The operation's name as the interface spells it.
inline const char* OperationName(Operation operation) {
  static constexpr const char* kNames[] = {
#define TOLOPEN_OPERATION_NAME(Name, ...) #Name,
      TOLOPEN_PLATFORM_OPERATIONS(TOLOPEN_OPERATION_NAME)
#undef TOLOPEN_OPERATION_NAME
  };
  return kNames[static_cast<int>(operation)];
}

}  // namespace platform
