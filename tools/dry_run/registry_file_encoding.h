// How a registry file holds value data, for its reader and its writer: the text types, and
// text as the UTF-16LE bytes of a version 5 file or the ANSI bytes the launcher reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dry_run {

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: held as UTF-16 in a version 5 file.
bool IsTextType(std::uint32_t type);
// UTF-16LE bytes as the ANSI bytes that RegQueryValueExA gives for them, and back.
std::vector<std::uint8_t> AnsiFromUtf16(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> Utf16FromAnsi(const std::vector<std::uint8_t>& bytes);
// Text as UTF-16LE bytes, as version 5 files hold it.
std::string Utf16Bytes(const std::u16string& text);

}  // namespace dry_run
