#include "tools/dry_run/registry_file_encoding.h"

#include <string_view>

#include "sim/code_page.h"

namespace dry_run {

bool IsTextType(std::uint32_t type) { return type == 1 || type == 2 || type == 7; }

std::vector<std::uint8_t> AnsiFromUtf16(const std::vector<std::uint8_t>& bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
  const std::string ansi = sim::EncodeWindows1252(text);
  return {ansi.begin(), ansi.end()};
}
std::string Utf16Bytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(2 * text.size());
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}
std::vector<std::uint8_t> Utf16FromAnsi(const std::vector<std::uint8_t>& bytes) {
  const std::string utf16 =
      Utf16Bytes(sim::DecodeWindows1252(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  return {utf16.begin(), utf16.end()};
}


}  // namespace dry_run
