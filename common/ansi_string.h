// Text in the system ANSI code page: the bytes that the ANSI entries of Windows take and give.
//
// A type of its own, so that a signature says which strings are code-page bytes. Its traits are
// those of char; being a distinct instantiation, only the members the program uses are compiled
// into it, where std::string would link the run-time library's whole copy.
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct AnsiTraits : std::char_traits<char> {};

using AnsiString = std::basic_string<char, AnsiTraits>;
using AnsiStringView = std::basic_string_view<char, AnsiTraits>;

}  // namespace platform
