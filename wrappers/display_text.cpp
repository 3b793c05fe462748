#include "wrappers/display_text.h"

namespace wrappers {

std::string ShownLine(const std::string& line) {
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

}  // namespace wrappers
