// The value that SetRegistryValue writes: text, a 16- or 32-bit whole number, a floating-point
// number, or null. Each kind of registry value converts it as it needs.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "common/result.h"

namespace mdlRegistry {

struct Null {};

using RegistryData = std::variant<Null, std::u16string, std::int16_t, std::int32_t, double>;

// The 32 bits stored for a number: a 16-bit number keeps its own width (-1 gives 0x0000FFFF),
// text and floating-point numbers are taken as 32-bit. Fails with 13 (type mismatch) for text
// that is not a number, 6 (overflow) outside the signed 32-bit range, 94 for null.
common::Result<std::uint32_t> NumberBits(const RegistryData& value);

// The value as text: numbers in decimal. Fails with 94 for null.
common::Result<std::u16string> TextOf(const RegistryData& value);

// A floating-point number as text with up to 15 significant digits, as the run-time library
// writes it: "2.5", "-0.001", "1E+15", "1.5E-07", "4.94065645841247E-324".
std::u16string FloatingText(double number);

}  // namespace mdlRegistry
