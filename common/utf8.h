// UTF-8, the text of the host's file names, of the tools' output and of what the tests show.
// The program itself never needs it: it crosses to Windows in the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

inline bool IsHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// An unpaired surrogate encodes as U+FFFD; invalid UTF-8 decodes as U+FFFD.
std::string ToUtf8(const std::u16string& text);
std::u16string FromUtf8(std::string_view bytes);

}  // namespace common
