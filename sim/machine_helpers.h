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

// A text in double quotes for the trace, every character shown: a NUL as \0.
inline std::string Quoted(const std::u16string& text) {
  std::string quoted = "\"";
  for (const char c : ToUtf8(text)) {
    if (c == '\0') {
      quoted += "\\0";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

using common::HasDriveLetter;

// The names of a path below its drive, with "." dropped and ".." taking its parent's place.
std::vector<std::u16string> NormalizedNames(const std::u16string& path);

}  // namespace sim
