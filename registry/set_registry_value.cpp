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
using common::Result;

struct EncodedValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

// The value's type and bytes for its kind; a failure when it cannot be converted for it.
Result<EncodedValue> Encode(platform::Platform& os, const RegistryData& value, std::int32_t kind) {
  const auto ansi_bytes = [&](const std::u16string& text) -> Result<std::vector<std::uint8_t>> {
    return os.ToAnsi(text).Map([](const platform::AnsiString& ansi) {
      return std::vector<std::uint8_t>(ansi.begin(), ansi.end());
    });
  };
  switch (kind) {
    case kNumberValue:
      // The same four bytes as the number's eight hexadecimal digits read pair by pair from
      // the last: least significant byte first.
      return NumberBits(value).Map([](std::uint32_t bits) {
        return EncodedValue{platform::kRegDword,
                            {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                             static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
      });
    case kTextValue:
      return TextOf(value).AndThen(ansi_bytes).Map([](std::vector<std::uint8_t> bytes) {
        bytes.push_back(0);
        return EncodedValue{platform::kRegSz, std::move(bytes)};
      });
    default:  // kBinaryValue
      return TextOf(value).AndThen(ansi_bytes).Map([](const std::vector<std::uint8_t>& bytes) {
        return EncodedValue{platform::kRegBinary, bytes};
      });
  }
}

// Creates or opens the key and writes the value. False when the platform refuses the creation
// or the write; a failure for anything else. The key is closed on every path out.
Result<bool> WriteValue(std::uint32_t root, const std::u16string& key_path,
                        const std::u16string& value_name, const RegistryData& value,
                        std::int32_t kind) {
  platform::Platform& os = platform::Current();
  const Result<platform::AnsiString> ansi_key_path = os.ToAnsi(key_path);
  if (!ansi_key_path) return ansi_key_path.Error();
  const Result<platform::AnsiString> key_class = os.ToAnsi(u"1");
  if (!key_class) return key_class.Error();
  common::RegistryKey key;
  std::uint32_t disposition = 0;  // new key or existing one: either will do
  const Result<platform::Status> created = os.RegCreateKeyExA(
      root, ansi_key_path.Value(), 0, key_class.Value(), 0, platform::kKeyReadWriteCreateLink,
      platform::SecurityAttributes{true}, key.Receive(), &disposition);
  if (!created) return created.Error();
  if (created.Value() != platform::kSuccess) return false;

  if (kind != kNumberValue && kind != kTextValue && kind != kBinaryValue) {
    return true;  // no such kind: the key is there, nothing is written
  }
  const Result<EncodedValue> encoded = Encode(os, value, kind);
  if (!encoded) return encoded.Error();
  const Result<platform::Status> written = os.ToAnsi(value_name).AndThen(
      [&](const platform::AnsiString& name) {
        return os.RegSetValueExA(key.Get(), name, 0, encoded.Value().type,
                                 encoded.Value().data.data(),
                                 static_cast<std::uint32_t>(encoded.Value().data.size()));
      });
  if (!written) return written.Error();
  return written.Value() == platform::kSuccess;
}

}  // namespace

common::Outcome SetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                                 const std::u16string& value_name, const RegistryData& value,
                                 const std::int32_t& kind) {
  const Result<bool> written = WriteValue(root, key_path, value_name, value, kind);
  if (!written) {
    return NumberedError(common::kUnexpectedFailure,
                         common::UnexpectedFailureDescription(written.Error()));
  }
  if (!written.Value()) return NumberedError(common::kRegistryWriteFailed);
  return {};
}

}  // namespace mdlRegistry
