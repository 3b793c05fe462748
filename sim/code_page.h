// Text encodings of the simulated machine: its ANSI code page is Windows-1252, and the host's
// file names and the dry-run tool's output are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// A character that Windows-1252 cannot hold becomes "?" (one per character).
std::string EncodeWindows1252(const std::u16string& text);
std::u16string DecodeWindows1252(std::string_view bytes);
char16_t DecodeWindows1252(unsigned char byte);

// Invalid UTF-8 decodes as U+FFFD; an unpaired surrogate encodes as U+FFFD.
std::string ToUtf8(const std::u16string& text);
std::u16string FromUtf8(std::string_view bytes);

// Windows compares registry and file names without regard to case.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string text);

}  // namespace sim
