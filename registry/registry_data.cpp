#include "registry/registry_data.h"

#include <cmath>
#include <cstdint>

#include "common/numbered_error.h"
#include "common/text.h"

namespace mdlRegistry {
namespace {

using common::NumberedError;
using common::Result;

using common::kInvalidUseOfNull;
using common::kOverflow;
using common::kTypeMismatch;

// A whole number in the signed 32-bit range, halves rounded to even as the run-time library does.
Result<std::int32_t> WholeNumber(double number) {
  if (std::isnan(number)) return NumberedError(kOverflow);
  const double rounded = std::nearbyint(number);
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return NumberedError(kOverflow);
  return static_cast<std::int32_t>(rounded);
}

// Text that reads as a number: blanks around it, a sign, digits, and a fraction after ".".
Result<double> NumberInText(const std::u16string& text) {
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
  if (!digits || i != end) return NumberedError(kTypeMismatch);
  return negative ? -number : number;
}

// The 15 significant digits of a positive magnitude whose decimal exponent is `exponent`, as a
// whole number: magnitude / 10^(exponent - 14). Below the normal range that power of ten is not
// a double, so the magnitude is scaled up in steps instead.
std::int64_t SignificantDigits(double magnitude, int exponent) {
  int power = 14 - exponent;
  if (power <= 290) return std::llround(magnitude / std::pow(10.0, -power));
  while (power > 290) {
    magnitude *= 1e290;
    power -= 290;
  }
  return std::llround(magnitude * std::pow(10.0, power));
}

}  // namespace

std::u16string FloatingText(double number) {
  if (std::isnan(number)) return u"NaN";
  if (std::isinf(number)) return number < 0 ? u"-Infinity" : u"Infinity";
  if (number == 0) return u"0";
  std::u16string text = number < 0 ? u"-" : u"";
  const double magnitude = std::fabs(number);
  int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  // The logarithm rounds up just below a power of ten (log10 of fifteen nines is 15.0).
  if (exponent > -300 && magnitude < std::pow(10.0, exponent)) --exponent;
  std::int64_t digits = SignificantDigits(magnitude, exponent);
  // Rounding to 15 digits may carry into a 16th: 9.999999999999999 becomes 10.
  if (digits >= 1000000000000000) {
    digits /= 10;
    ++exponent;
  }
  std::u16string significant = common::DecimalText(digits);
  while (significant.size() > 1 && significant.back() == u'0') significant.pop_back();

  if (exponent >= 15 || exponent < -5) {
    text += significant.substr(0, 1);
    if (significant.size() > 1) text += u"." + significant.substr(1);
    text += exponent < 0 ? u"E-" : u"E+";
    const std::u16string power = common::DecimalText(exponent < 0 ? -exponent : exponent);
    return text + (power.size() < 2 ? u"0" + power : power);
  }
  if (exponent < 0) return text + u"0." + std::u16string(static_cast<std::size_t>(-exponent - 1), u'0') + significant;
  const auto whole = static_cast<std::size_t>(exponent + 1);
  if (significant.size() <= whole) return text + significant + std::u16string(whole - significant.size(), u'0');
  return text + significant.substr(0, whole) + u"." + significant.substr(whole);
}

Result<std::uint32_t> NumberBits(const RegistryData& value) {
  if (const auto* number = std::get_if<std::int16_t>(&value)) {
    return std::uint32_t{static_cast<std::uint16_t>(*number)};
  }
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    return static_cast<std::uint32_t>(*number);
  }
  const auto bits = [](std::int32_t whole) { return static_cast<std::uint32_t>(whole); };
  if (const auto* number = std::get_if<double>(&value)) return WholeNumber(*number).Map(bits);
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    return NumberInText(*text).AndThen(WholeNumber).Map(bits);
  }
  return NumberedError(kInvalidUseOfNull);
}

Result<std::u16string> TextOf(const RegistryData& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int16_t>(&value)) return common::DecimalText(*number);
  if (const auto* number = std::get_if<std::int32_t>(&value)) return common::DecimalText(*number);
  if (const auto* number = std::get_if<double>(&value)) return FloatingText(*number);
  return NumberedError(kInvalidUseOfNull);
}

}  // namespace mdlRegistry
