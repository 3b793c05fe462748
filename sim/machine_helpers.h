// Small helpers of the simulated machine: how it writes statuses and texts into its trace, and
// how it reads Windows paths.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"
#include "common/text.h"
#include "sim/code_page.h"

namespace sim {

std::string StatusText(platform::Status status);

// A text in double quotes for the trace (which shows every character of it: see ShownLine).
inline std::string Quoted(const std::u16string& text) { return "\"" + ToUtf8(text) + "\""; }

// A line of the trace as it is shown: one line whatever the texts in it hold. Control
// characters are written as \r, \n, \t or \xNN, a NUL as \0.
inline std::string ShownLine(const std::string& line) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
    } else if (c == '\0') {
      shown += "\\0";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
    }
  }
  return shown;
}

using common::HasDriveLetter;

// The names of a path below its drive, with "." dropped and ".." taking its parent's place.
std::vector<std::u16string> NormalizedNames(const std::u16string& path);

}  // namespace sim
