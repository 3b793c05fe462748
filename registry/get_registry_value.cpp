#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/error_trap.h"
#include "common/numbered_error.h"
#include "common/platform.h"
#include "common/registry_key.h"
#include "common/text.h"
#include "registry/registry.h"

namespace mdlRegistry {
namespace {

using common::NumberedError;
using common::Result;

// One buffer per read; longer data is reported by the platform as ERROR_MORE_DATA and the
// value counts as unreadable.
constexpr std::uint32_t kReadBufferSize = 1024;

// The number that up to four data bytes hold, the first byte least significant.
std::int32_t LittleEndianNumber(const std::uint8_t* data, std::size_t length) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < length && i < 4; ++i) value |= std::uint32_t{data[i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

// The value's text form by its type, from data already cut at one terminating NUL; nothing for
// a type without one.
common::Outcome ConvertValue(platform::Platform& os, std::uint32_t type,
                          const std::uint8_t* data, std::size_t length, std::u16string& result) {
  const platform::AnsiStringView bytes(reinterpret_cast<const char*>(data), length);
  switch (type) {
    case platform::kRegSz: {
      Result<std::u16string> text = os.FromAnsi(bytes);
      TOLOPEN_RETURN_IF_FAILED(text);
      result = std::move(text).Value();
      return {};
    }
    case platform::kRegExpandSz: {
      // A viewer registered with %SystemRoot% or %ProgramFiles% in its path still starts.
      Result<std::u16string> text = os.FromAnsi(bytes).AndThen(
          [&](const std::u16string& unexpanded) { return os.ExpandEnvironment(unexpanded); });
      TOLOPEN_RETURN_IF_FAILED(text);
      result = std::move(text).Value();
      return {};
    }
    case platform::kRegDword:
      result = common::DecimalText(LittleEndianNumber(data, length));
      return {};
    default:
      return {};  // no text form: result stays as the caller had it
  }
}

// What a read came to when nothing failed on the way: the registry gave the value or it did not.
enum class ValueRead { kRead, kUnreadable };

// Reads the value into `result`: kUnreadable when the key or the value cannot be read; a failure
// for anything else. The key is closed on every path out.
Result<ValueRead> ReadValue(std::uint32_t root, const std::u16string& key_path,
                       const std::u16string& value_name, std::u16string& result) {
  platform::Platform& os = platform::Current();
  const Result<platform::AnsiString> ansi_key_path = os.ToAnsi(key_path);
  TOLOPEN_RETURN_IF_FAILED(ansi_key_path);
  common::RegistryKey key;
  const Result<platform::Status> opened =
      os.RegOpenKeyExA(root, ansi_key_path.Value(), 0, platform::kKeyRead, key.Receive());
  TOLOPEN_RETURN_IF_FAILED(opened);
  if (opened.Value() != platform::kSuccess) return ValueRead::kUnreadable;

  std::array<std::uint8_t, kReadBufferSize> buffer{};
  std::uint32_t count = kReadBufferSize;
  std::uint32_t type = platform::kRegNone;
  const Result<platform::Status> queried = os.ToAnsi(value_name).AndThen(
      [&](const platform::AnsiString& name) {
        return os.RegQueryValueExA(key.Get(), name, &type, buffer.data(), &count);
      });
  TOLOPEN_RETURN_IF_FAILED(queried);
  if (queried.Value() != platform::kSuccess) return ValueRead::kUnreadable;

  // Cut a terminating NUL: at most one byte, whatever the type. Data of no bytes has no last
  // byte to look at, and a length past the buffer is no data this read can hold.
  if (count == 0 || count > kReadBufferSize) return NumberedError(common::kInvalidArgument);
  std::size_t length = count;
  if (buffer[length - 1] == 0) --length;
  const common::Outcome converted = ConvertValue(os, type, buffer.data(), length, result);
  TOLOPEN_RETURN_IF_FAILED(converted);
  return ValueRead::kRead;
}

}  // namespace

common::Outcome GetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                                 const std::u16string& value_name, std::u16string& result,
                                 const std::u16string& default_value) {
  const Result<ValueRead> read = ReadValue(root, key_path, value_name, result);
  if (!read) {
    return NumberedError(common::kUnexpectedFailure, common::UnexpectedFailureDescription(read.Error()));
  }
  if (read.Value() == ValueRead::kUnreadable) {
    result = default_value;
    return NumberedError(common::kRegistryReadFailed);
  }
  return {};
}

}  // namespace mdlRegistry
