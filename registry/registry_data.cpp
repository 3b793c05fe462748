#include "registry/registry_data.h"

#include <cmath>
#include <cstdio>

#include "common/numbered_error.h"
#include "common/text.h"

namespace mdlRegistry {
namespace {

using common::NumberedError;

constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kInvalidUseOfNull = 94;

// A whole number in the signed 32-bit range, halves rounded to even as the run-time library does.
std::int32_t WholeNumber(double number) {
  if (std::isnan(number)) throw NumberedError(kOverflow);
  const double rounded = std::nearbyint(number);
  if (rounded < -2147483648.0 || rounded > 2147483647.0) throw NumberedError(kOverflow);
  return static_cast<std::int32_t>(rounded);
}

// Text that reads as a number: blanks around it, a sign, digits, and a fraction after ".".
double NumberInText(const std::u16string& text) {
  std::size_t i = 0;
  std::size_t end = text.size();
  while (i < end && (text[i] == u' ' || text[i] == u'\t')) ++i;
  while (end > i && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
  bool negative = false;
  if (i < end && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  double number = 0;
  bool digits = false;
  for (; i < end && text[i] >= u'0' && text[i] <= u'9'; ++i, digits = true) number = number * 10 + (text[i] - u'0');
  if (i < end && text[i] == u'.') {
    double scale = 0.1;
    for (++i; i < end && text[i] >= u'0' && text[i] <= u'9'; ++i, scale /= 10, digits = true) {
      number += (text[i] - u'0') * scale;
    }
  }
  if (!digits || i != end) throw NumberedError(kTypeMismatch);
  return negative ? -number : number;
}

}  // namespace

std::uint32_t NumberBits(const RegistryData& value) {
  if (const auto* number = std::get_if<std::int16_t>(&value)) {
    return static_cast<std::uint16_t>(*number);
  }
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    return static_cast<std::uint32_t>(*number);
  }
  if (const auto* number = std::get_if<double>(&value)) {
    return static_cast<std::uint32_t>(WholeNumber(*number));
  }
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    return static_cast<std::uint32_t>(WholeNumber(NumberInText(*text)));
  }
  throw NumberedError(kInvalidUseOfNull);
}

std::u16string TextOf(const RegistryData& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int16_t>(&value)) return common::DecimalText(*number);
  if (const auto* number = std::get_if<std::int32_t>(&value)) return common::DecimalText(*number);
  if (const auto* number = std::get_if<double>(&value)) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.15g", *number);
    std::u16string text;
    for (const char* p = digits; *p != '\0'; ++p) text += static_cast<char16_t>(*p);
    return text;
  }
  throw NumberedError(kInvalidUseOfNull);
}

}  // namespace mdlRegistry
