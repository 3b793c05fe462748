#include "tests/conformance/machine.h"

#include <cstdlib>

#include "common/utf8.h"

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

std::string Show(const std::u16string& text) { return common::ToUtf8(text); }

}  // namespace conformance
