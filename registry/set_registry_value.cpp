#include <cstdint>
#include <string>
#include <vector>

#include "common/error_trap.h"
#include "common/numbered_error.h"
#include "common/platform.h"
#include "common/registry_key.h"
#include "registry/registry.h"

namespace mdlRegistry {
namespace {

using common::NumberedError;

struct EncodedValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> BytesOf(const platform::AnsiString& ansi) {
  return std::vector<std::uint8_t>(ansi.begin(), ansi.end());
}

// Creates or opens the key and writes the value. Returns false when the platform refuses the
// creation or the write; throws on any other failure. The key is closed before this returns.
bool WriteValue(std::uint32_t root, const std::u16string& key_path, const std::u16string& value_name,
                const RegistryData& value, std::int32_t kind) {
  platform::Platform& os = platform::Current();
  common::RegistryKey key;
  std::uint32_t disposition = 0;  // new key or existing one: either will do
  if (os.RegCreateKeyExA(root, os.ToAnsi(key_path), 0, os.ToAnsi(u"1"), 0,
                         platform::kKeyReadWriteCreateLink, platform::SecurityAttributes{true},
                         key.Receive(), &disposition) != platform::kSuccess) {
    return false;
  }

  EncodedValue encoded;
  switch (kind) {
    case kNumberValue: {
      // The same four bytes as the number's eight hexadecimal digits read pair by pair from
      // the last: least significant byte first.
      const std::uint32_t bits = NumberBits(value);
      encoded = {platform::kRegDword,
                 {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                  static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
      break;
    }
    case kTextValue:
      encoded = {platform::kRegSz, BytesOf(os.ToAnsi(TextOf(value)))};
      encoded.data.push_back(0);
      break;
    case kBinaryValue:
      encoded = {platform::kRegBinary, BytesOf(os.ToAnsi(TextOf(value)))};
      break;
    default:
      return true;  // no such kind: the key is there, nothing is written
  }
  return os.RegSetValueExA(key.Get(), os.ToAnsi(value_name), 0, encoded.type, encoded.data.data(),
                           static_cast<std::uint32_t>(encoded.data.size())) == platform::kSuccess;
}

}  // namespace

void SetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                      const std::u16string& value_name, const RegistryData& value,
                      const std::int32_t& kind) {
  bool written = false;
  try {
    written = WriteValue(root, key_path, value_name, value, kind);
  } catch (...) {
    throw NumberedError(common::kUnexpectedFailure,
                        common::UnexpectedFailureDescription(common::FailureInFlight()));
  }
  if (!written) throw NumberedError(common::kRegistryWriteFailed);
}

}  // namespace mdlRegistry
