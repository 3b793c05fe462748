// How the tools and the trace show text: UTF-8, one line whatever the text holds.
#pragma once

#include <string>

#include "common/utf8.h"

namespace wrappers {

// A line as it is shown: control characters are written as \r, \n, \t or \xNN, a NUL as \0,
// so that no text can end a line or forge another.
std::string ShownLine(const std::string& line);

// A text in double quotes (the line it goes into is shown by ShownLine).
inline std::string Quoted(const std::u16string& text) { return "\"" + common::ToUtf8(text) + "\""; }

}  // namespace wrappers
