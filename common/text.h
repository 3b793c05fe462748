// Small text helpers. Text is UTF-16 inside the program; positions are 0-based here.
#pragma once

#include <cstdint>
#include <string>

namespace common {

// True when the text's last character is `c` (false for an empty text).
inline bool EndsWith(const std::u16string& text, char16_t c) {
  return !text.empty() && text.back() == c;
}

// The signed decimal form of a number: "-1", "65536".
std::u16string DecimalText(std::int64_t number);

}  // namespace common
