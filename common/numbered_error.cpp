#include "common/numbered_error.h"

#include <utility>

#include "common/result.h"
#include "common/win32_status.h"

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

}  // namespace

NumberedError::NumberedError(std::int32_t number)
    : NumberedError(number, StandardDescription(number)) {}

NumberedError::NumberedError(std::int32_t number, std::u16string description,
                             std::u16string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {
  if (number == 0) FaultInTheCode();
}

std::u16string StandardDescription(std::int32_t number) {
  for (const Description& d : kDescriptions) {
    if (d.number == number) return std::u16string(d.text, d.text + std::char_traits<char>::length(d.text));
  }
  return u"Application-defined or object-defined error";
}

NumberedError ErrorFromWin32(std::uint32_t status) {
  // How the run-time library reports the Win32 statuses that its file, folder, process and
  // library operations meet; any other is a path or file access error.
  struct Mapping {
    std::uint32_t status;
    std::int32_t number;
  };
  static constexpr Mapping kMappings[] = {
#define TOLOPEN_WIN32_STATUS_MAPPING(Name, value, number) {value, number},
      TOLOPEN_WIN32_STATUSES(TOLOPEN_WIN32_STATUS_MAPPING)
#undef TOLOPEN_WIN32_STATUS_MAPPING
  };
  std::int32_t reported = kPathFileAccessError;
  for (const Mapping& mapping : kMappings) {
    if (mapping.status == status && mapping.number != 0) reported = mapping.number;
  }
  NumberedError error(reported);
  error.win32_status_ = status;
  return error;
}

}  // namespace common
