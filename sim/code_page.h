// Text encodings of the simulated machine: its ANSI code page is Windows-1252, and the host's
// file names and the dry-run tool's output are UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "common/utf8.h"

namespace sim {

// A character that Windows-1252 cannot hold becomes "?" (one per character).
std::string EncodeWindows1252(const std::u16string& text);
std::u16string DecodeWindows1252(std::string_view bytes);
char16_t DecodeWindows1252(unsigned char byte);

using common::FromUtf8;
using common::ToUtf8;

// Windows compares registry and file names without regard to case.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string text);

}  // namespace sim
