// Small text helpers. Text is UTF-16 inside the program; positions are 0-based here.
#pragma once

#include <cstdint>
#include <string>

namespace common {

// True when the text's last character is `c` (false for an empty text).
inline bool EndsWith(const std::u16string& text, char16_t c) {
  return !text.empty() && text.back() == c;
}

// True when the path begins with a drive letter and a colon ("C:", "d:\\x").
inline bool HasDriveLetter(const std::u16string& path) {
  return path.size() >= 2 && path[1] == u':' &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

// True when the path is a full path on a drive: a drive letter, a colon and a "\" ("D:\x").
inline bool IsDrivePath(const std::u16string& path) {
  return HasDriveLetter(path) && path.size() >= 3 && path[2] == u'\\';
}

// The path in double quotes when it holds a blank, so that a command line keeps it whole;
// otherwise the path unchanged.
inline std::u16string QuotedIfBlank(const std::u16string& path) {
  return path.find_first_of(u" \t") != std::u16string::npos ? u"\"" + path + u"\"" : path;
}

// The signed decimal form of a number: "-1", "65536". The 32-bit form needs no 64-bit division,
// which the delivered program would otherwise link for it.
std::u16string DecimalText(std::int32_t number);
std::u16string DecimalText(std::int64_t number);

}  // namespace common
