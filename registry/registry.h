// mdlRegistry: one registry value read as text, and (later) written.
//
// Failures are raised as numbered errors with source "tolOpen":
//   40154  the key cannot be opened, or the value cannot be read
//   49999  anything else; the description is "#N: D (S)" of the failure that ended the read
// The key path and value name are passed to the platform unchanged and never written back.
#pragma once

#include <cstdint>
#include <string>

namespace mdlRegistry {

// Reads the value `value_name` ("" for the default value) of key `key_path` below `root`.
// REG_SZ gives its text, REG_EXPAND_SZ its text with %NAME% references expanded, REG_DWORD
// its decimal number. Any other type leaves `result` untouched and raises nothing.
// When the key or value cannot be read, `result` becomes `default_value` and 40154 is raised;
// on any other failure `result` is untouched and 49999 is raised.
void GetRegistryValue(const std::uint32_t& root, const std::u16string& key_path,
                      const std::u16string& value_name, std::u16string& result,
                      const std::u16string& default_value);

}  // namespace mdlRegistry
