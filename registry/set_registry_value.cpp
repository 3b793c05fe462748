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

// What a write came to when nothing failed on the way.
enum class ValueWrite {
  kWritten,
  kKeyOnly,   // a kind that writes no value: the key is there, nothing is written
  kRefused,   // the platform refused the creation or the write
};

// Creates or opens the key and writes the value; a failure for anything but the platform's
// refusal. The key is closed on every path out.
Result<ValueWrite> WriteValue(std::uint32_t root, const std::u16string& key_path,
                        const std::u16string& value_name, const RegistryData& value,
                        std::int32_t kind) {
  platform::Platform& os = platform::Current();
  const Result<platform::AnsiString> ansi_key_path = os.ToAnsi(key_path);
  TOLOPEN_RETURN_IF_FAILED(ansi_key_path);
  const Result<platform::AnsiString> key_class = os.ToAnsi(u"1");
  TOLOPEN_RETURN_IF_FAILED(key_class);
  common::RegistryKey key;
  std::uint32_t disposition = 0;  // new key or existing one: either will do
  const Result<platform::Status> created = os.RegCreateKeyExA(
      root, ansi_key_path.Value(), 0, key_class.Value(), 0, platform::kKeyReadWriteCreateLink,
      platform::SecurityAttributes{true}, key.Receive(), &disposition);
  TOLOPEN_RETURN_IF_FAILED(created);
  if (created.Value() != platform::kSuccess) return ValueWrite::kRefused;

  if (kind != kNumberValue && kind != kTextValue && kind != kBinaryValue) return ValueWrite::kKeyOnly;
  const Result<EncodedValue> encoded = Encode(os, value, kind);
  TOLOPEN_RETURN_IF_FAILED(encoded);
  const Result<platform::Status> written = os.ToAnsi(value_name).AndThen(
      [&](const platform::AnsiString& name) {
        return os.RegSetValueExA(key.Get(), name, 0, encoded.Value().type,
                                 encoded.Value().data.data(),
                                 static_cast<std::uint32_t>(encoded.Value().data.size()));
      });
  TOLOPEN_RETURN_IF_FAILED(written);
  return written.Value() == platform::kSuccess ? ValueWrite::kWritten : ValueWrite::kRefused;
}

}  // namespace

common::Outcome SetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                                 const std::u16string& value_name, const RegistryData& value,
                                 const std::int32_t& kind) {
  const Result<ValueWrite> written = WriteValue(root, key_path, value_name, value, kind);
  if (!written) {
    return NumberedError(common::kUnexpectedFailure, common::UnexpectedFailureDescription(written.Error()));
  }
  if (written.Value() == ValueWrite::kRefused) return NumberedError(common::kRegistryWriteFailed);
  return {};
}

}  // namespace mdlRegistry
