// The digits of a signed number, for common/text.h's DecimalText.
#pragma once

#include <cstddef>
#include <string>

namespace common {

// Works on the magnitude as unsigned, so that the smallest number has one too.
template <typename Unsigned, typename Signed>
std::u16string SignedDecimal(Signed number) {
  Unsigned magnitude = number < 0 ? 0 - static_cast<Unsigned>(number) : static_cast<Unsigned>(number);
  char16_t digits[21];
  std::size_t first = sizeof digits / sizeof digits[0];
  do {
    digits[--first] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) digits[--first] = u'-';
  return std::u16string(digits + first, digits + sizeof digits / sizeof digits[0]);
}

}  // namespace common
