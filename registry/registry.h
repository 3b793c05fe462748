// mdlRegistry: one registry value read as text, or written as a number, text or binary data.
//
// A failure is returned to the caller as a numbered error with source "tolOpen":
//   40153  the key cannot be created or opened for writing, or the value cannot be written
//   40154  the key cannot be opened, or the value cannot be read
//   49999  anything else; the description is "#N: D (S)" of the failure that ended the call
// The key path and value name are passed to the platform unchanged and never written back.
#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"
#include "registry/registry_data.h"

namespace mdlRegistry {

// Reads the value `value_name` ("" for the default value) of key `key_path` below `root`.
// REG_SZ gives its text, REG_EXPAND_SZ its text with %NAME% references expanded, REG_DWORD
// its decimal number. Any other type leaves `result` untouched and raises nothing.
// When the key or value cannot be read, `result` becomes `default_value` and the call fails
// with 40154 (the one output written on a failure); on any other failure `result` is untouched
// and the call fails with 49999.
[[nodiscard]] common::Outcome GetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                                               const std::u16string& value_name,
                                               std::u16string& result,
                                               const std::u16string& default_value);

// The kinds of value that SetRegistryValue writes.
enum ValueKind : std::int32_t {
  kNumberValue = 0,  // REG_DWORD: the number's 32 bits, least significant byte first
  kTextValue = 1,    // REG_SZ: the text in the ANSI code page and one NUL byte
  kBinaryValue = 2,  // REG_BINARY: the text in the ANSI code page, no terminator
};

// Creates the key `key_path` below `root` (every missing key along it; class "1") or opens it,
// and writes `value` as `value_name` ("" for the default value) converted for `kind`. Any other
// kind writes nothing. A key that was created stays, whatever happens after.
// Fails with 40153 when the key cannot be created or the write is refused, 49999 when the value
// cannot be converted for its kind.
[[nodiscard]] common::Outcome SetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                                               const std::u16string& value_name,
                                               const RegistryData& value, const std::int32_t& kind);

}  // namespace mdlRegistry
