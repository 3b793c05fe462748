#include "common/text.h"

namespace common {

std::u16string DecimalText(std::int64_t number) {
  // Work on the magnitude as unsigned so that the smallest number has one too.
  std::uint64_t magnitude = number < 0 ? 0 - static_cast<std::uint64_t>(number)
                                       : static_cast<std::uint64_t>(number);
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
