#include "tests/conformance/machine.h"

#include <cstdlib>

namespace conformance {

bool Selected(const char* what) {
  const char* rows = std::getenv("TOLOPEN_ROWS");
  return rows == nullptr || ("|" + std::string(rows) + "|").find("|" + std::string(what) + "|") != std::string::npos;
}

std::u16string Expand(Machine& machine, std::u16string text, const std::u16string& disc) {
  const struct {
    const char16_t* name;
    std::u16string value;
  } places[] = {{u"{disc}", disc}, {u"{system}", machine.SystemFolder()}, {u"{viewer}", machine.Viewer()}};
  for (const auto& place : places) {
    const std::u16string name = place.name;
    for (std::size_t at; (at = text.find(name)) != std::u16string::npos;) text.replace(at, name.size(), place.value);
  }
  return text;
}

std::string Show(const std::u16string& text) {
  std::string utf8;
  for (const char16_t c : text) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
      utf8 += static_cast<char>(0xC0 | c >> 6);
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | c >> 12);
      utf8 += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

}  // namespace conformance
