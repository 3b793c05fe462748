// The one failure type of the program: a number, a description and a source. It travels as a
// value (common/result.h) from where it arises to the nearest error trap.
#pragma once

#include <cstdint>
#include <string>

namespace common {

// Every failure that arises in this program's own code names the project as its source.
inline constexpr char16_t kProjectName[] = u"tolOpen";

// Numbers of the classic run-time library that the platform layer reports.
enum ErrorNumber : std::int32_t {
  kInvalidArgument = 5,  // "Invalid procedure call or argument"
  kOverflow = 6,
  kOutOfMemory = 7,
  kTypeMismatch = 13,
  kInternalError = 51,
  kBadFileName = 52,
  kFileNotFound = 53,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kTooManyFiles = 67,
  kDeviceUnavailable = 68,
  kPermissionDenied = 70,
  kDiskNotReady = 71,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kInvalidUseOfNull = 94,
  kErrorInLoadingDll = 48,
  kDllEntryPointNotFound = 453,
  // The program's own numbers.
  kRegistryWriteFailed = 40153,
  kRegistryReadFailed = 40154,
  kUnexpectedFailure = 49999,
};

class NumberedError {
 public:
  // A failure with the standard description of its number and the project as source. A number
  // of 0 is a fault in the code (common::FaultInTheCode): 0 means that nothing failed.
  explicit NumberedError(std::int32_t number);
  NumberedError(std::int32_t number, std::u16string description,
                std::u16string source = kProjectName);

  std::int32_t Number() const { return number_; }
  const std::u16string& Description() const { return description_; }
  const std::u16string& Source() const { return source_; }
  // The Win32 status the failure was reported for (ErrorFromWin32), or 0.
  std::uint32_t Win32Status() const { return win32_status_; }

 private:
  // No failure: what a success holds, and nothing else makes.
  NumberedError() = default;
  template <typename T>
  friend class Result;
  friend NumberedError ErrorFromWin32(std::uint32_t status);
  std::int32_t number_ = 0;
  std::uint32_t win32_status_ = 0;
  std::u16string description_;
  std::u16string source_;
};

// The run-time library's text for a number; numbers without a text of their own
// (40153, 40154 among them) get "Application-defined or object-defined error".
std::u16string StandardDescription(std::int32_t number);

// The numbered error that a failed platform operation reports for a Win32 status.
NumberedError ErrorFromWin32(std::uint32_t status);

}  // namespace common
