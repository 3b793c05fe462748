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

// One buffer per read; longer data is reported by the platform as ERROR_MORE_DATA and the
// value counts as unreadable.
constexpr std::uint32_t kReadBufferSize = 1024;

// The number that up to four data bytes hold, the first byte least significant.
std::int32_t LittleEndianNumber(const std::uint8_t* data, std::size_t length) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < length && i < 4; ++i) value |= std::uint32_t{data[i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

// Reads the value into `result`. Returns false when the key or the value cannot be read;
// throws on any other failure. The key is closed before this returns or throws.
bool ReadValue(std::uint32_t root, const std::u16string& key_path,
               const std::u16string& value_name, std::u16string& result) {
  platform::Platform& os = platform::Current();
  common::RegistryKey key;
  if (os.RegOpenKeyExA(root, os.ToAnsi(key_path), 0, platform::kKeyRead, key.Receive()) !=
      platform::kSuccess) {
    return false;
  }

  std::array<std::uint8_t, kReadBufferSize> buffer{};
  std::uint32_t count = kReadBufferSize;
  std::uint32_t type = platform::kRegNone;
  if (os.RegQueryValueExA(key.Get(), os.ToAnsi(value_name), &type, buffer.data(), &count) !=
      platform::kSuccess) {
    return false;
  }

  // Cut a terminating NUL: at most one byte, whatever the type. Data of no bytes has no last
  // byte to look at, and a length past the buffer is no data this read can hold.
  if (count == 0 || count > kReadBufferSize) throw NumberedError(common::kInvalidArgument);
  std::size_t length = count;
  if (buffer[length - 1] == 0) --length;

  const platform::AnsiStringView bytes(reinterpret_cast<const char*>(buffer.data()), length);
  switch (type) {
    case platform::kRegSz:
      result = os.FromAnsi(bytes);
      break;
    case platform::kRegExpandSz:
      // A viewer registered with %SystemRoot% or %ProgramFiles% in its path still starts.
      result = os.ExpandEnvironment(os.FromAnsi(bytes));
      break;
    case platform::kRegDword:
      result = common::DecimalText(LittleEndianNumber(buffer.data(), length));
      break;
    default:
      break;  // no text form: result stays as the caller had it
  }
  return true;
}

}  // namespace

void GetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                      const std::u16string& value_name, std::u16string& result,
                      const std::u16string& default_value) {
  bool readable = false;
  try {
    readable = ReadValue(root, key_path, value_name, result);
    if (!readable) result = default_value;
  } catch (...) {
    throw NumberedError(common::kUnexpectedFailure,
                        common::UnexpectedFailureDescription(common::FailureInFlight()));
  }
  if (!readable) throw NumberedError(common::kRegistryReadFailed);
}

}  // namespace mdlRegistry
