// UTF-16 text of the program as the wide strings of the Windows API (both 16-bit units).
#pragma once

#include <string>

namespace win32 {

inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// A text buffer for the wide entries that write into one.
inline wchar_t* WideBuffer(std::u16string& buffer) { return reinterpret_cast<wchar_t*>(buffer.data()); }

}  // namespace win32
