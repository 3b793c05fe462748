#include "sim/regedit4.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "sim/code_page.h"

namespace sim {
namespace {

constexpr std::string_view kRootName = "HKEY_CLASSES_ROOT";
// Windows keeps keys at most this many levels deep.
constexpr std::size_t kDeepestKey = 512;
// A line (with its continuations) longer than this is no registry export.
constexpr std::size_t kLongestLine = 64 * 1024 * 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  Parser(std::string_view text, const std::string& file_name) : text_(text), file_(file_name) {}

  RegistryNode Parse() {
    RegistryNode root;
    RegistryNode* key = nullptr;
    bool header_seen = false;
    while (NextLine()) {
      const std::string_view line = Trim(line_);
      if (line.empty() || line.front() == ';') continue;
      if (!header_seen) {
        if (line != "REGEDIT4") Fail("the first line must be REGEDIT4");
        header_seen = true;
        continue;
      }
      if (line.front() == '[') {
        key = &OpenKey(root, line);
      } else {
        if (key == nullptr) Fail("a value before the first [key] line");
        key->SetValue(ParseValue(line));
      }
    }
    if (!header_seen) Fail("the file is empty; it must begin with REGEDIT4");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const {
    throw RegistryFileError(file_ + ":" + std::to_string(line_number_) + ": " + message);
  }

  // The next logical line: a value whose hexadecimal data ends in "\" goes on in the next one.
  bool NextLine() {
    if (position_ >= text_.size()) return false;
    line_.clear();
    ++line_number_;
    for (;;) {
      std::size_t end = text_.find('\n', position_);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view piece = text_.substr(position_, end - position_);
      position_ = end + 1;
      if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
      line_ += line_.empty() ? piece : Trim(piece);
      if (line_.size() > kLongestLine) Fail("a line longer than 64 MiB");
      const std::string_view joined = Trim(line_);
      // A comment ends with its line, also one that ends in "\".
      const bool continues = !joined.empty() && joined.front() != ';' && joined.back() == '\\' &&
                             joined.find("=hex") != std::string_view::npos &&
                             position_ < text_.size();
      if (!continues) return true;
      line_.resize(line_.find_last_of('\\'));
      ++line_number_;
    }
  }

  RegistryNode& OpenKey(RegistryNode& root, std::string_view line) {
    if (line.back() != ']') Fail("a key line must end in ]");
    std::string_view path = line.substr(1, line.size() - 2);
    if (StartsWith(path, "-")) Fail("deleting a key ([-...]) is not supported");
    if (!StartsWith(path, kRootName)) Fail("only keys under HKEY_CLASSES_ROOT are simulated");
    path.remove_prefix(kRootName.size());
    if (!path.empty() && path.front() != '\\') Fail("only keys under HKEY_CLASSES_ROOT are simulated");
    const std::vector<std::u16string> names = SplitKeyPath(DecodeWindows1252(path));
    if (names.size() > kDeepestKey) Fail("a key deeper than the 512 levels Windows allows");
    RegistryNode* node = &root;
    for (const std::u16string& name : names) node = &node->CreateSubkey(name);
    return *node;
  }

  // A quoted text at the start of `s`, with \\ and \" unescaped; `s` moves past it.
  std::string QuotedText(std::string_view& s) {
    if (s.empty() || s.front() != '"') Fail("expected a quoted text");
    std::string text;
    std::size_t i = 1;
    for (; i < s.size() && s[i] != '"'; ++i) {
      if (s[i] == '\\') {
        if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
          Fail("in a quoted text a backslash is written \\\\ and a quote \\\"");
        }
        ++i;
      }
      text += s[i];
    }
    if (i >= s.size()) Fail("a quoted text has no closing quote");
    s.remove_prefix(i + 1);
    return text;
  }

  std::vector<std::uint8_t> HexBytes(std::string_view s) {
    std::vector<std::uint8_t> bytes;
    s = Trim(s);
    while (!s.empty()) {
      const std::size_t comma = s.find(',');
      const std::string_view item = Trim(s.substr(0, comma));
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
        Fail("hexadecimal data is pairs of hex digits separated by commas");
      }
      bytes.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
      if (comma == std::string_view::npos) break;
      s.remove_prefix(comma + 1);
      if (Trim(s).empty()) Fail("hexadecimal data ends in a comma");
    }
    return bytes;
  }

  RegistryValue ParseValue(std::string_view line) {
    RegistryValue value;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      value.name = DecodeWindows1252(QuotedText(line));
    }
    line = Trim(line);
    if (line.empty() || line.front() != '=') Fail("expected = after the value name");
    line = Trim(line.substr(1));
    if (line.empty()) Fail("a value needs data");
    if (line.front() == '"') {
      const std::string text = QuotedText(line);
      if (!Trim(line).empty()) Fail("unexpected text after the quoted value");
      value.type = 1;
      value.data.assign(text.begin(), text.end());
      value.data.push_back(0);
    } else if (StartsWith(line, "dword:")) {
      const std::string_view digits = line.substr(6);
      if (digits.empty() || digits.size() > 8) Fail("dword: takes 1 to 8 hexadecimal digits");
      std::uint32_t number = 0;
      for (const char c : digits) {
        if (HexDigit(c) < 0) Fail("dword: takes 1 to 8 hexadecimal digits");
        number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
      }
      value.type = 4;
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    } else if (StartsWith(line, "hex:")) {
      value.type = 3;
      value.data = HexBytes(line.substr(4));
    } else if (StartsWith(line, "hex(")) {
      const std::size_t close = line.find("):");
      const std::string_view digits = close == std::string_view::npos ? "" : line.substr(4, close - 4);
      if (digits.empty() || digits.size() > 8) Fail("hex(N): takes the type as 1 to 8 hexadecimal digits");
      std::uint32_t type = 0;
      for (const char c : digits) {
        if (HexDigit(c) < 0) Fail("hex(N): takes the type as 1 to 8 hexadecimal digits");
        type = type * 16 + static_cast<std::uint32_t>(HexDigit(c));
      }
      value.type = type;
      value.data = HexBytes(line.substr(close + 2));
    } else if (line == "-") {
      Fail("deleting a value (=-) is not supported");
    } else {
      Fail("value data must be \"text\", dword:, hex: or hex(N):");
    }
    return value;
  }

  std::string_view text_;
  const std::string& file_;
  std::size_t position_ = 0;
  int line_number_ = 0;
  std::string line_;
};

std::string Quote(std::string_view bytes) {
  std::string quoted = "\"";
  for (const char c : bytes) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// Text that reads back as the same bytes: one final NUL, no other NUL and no line break.
bool IsPlainText(const RegistryValue& value) {
  if (value.type != 1 || value.data.empty() || value.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < value.data.size(); ++i) {
    const std::uint8_t b = value.data[i];
    if (b == 0 || b == '\n' || b == '\r') return false;
  }
  return true;
}

void FormatValue(const RegistryValue& value, std::string& out) {
  std::string line = value.name.empty() ? "@=" : Quote(EncodeWindows1252(value.name)) + "=";
  if (IsPlainText(value)) {
    line += Quote(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
  } else if (value.type == 4 && value.data.size() == 4) {
    char digits[9];
    const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                 static_cast<std::uint32_t>(value.data[3]) << 24;
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
    line += std::string("dword:") + digits;
  } else {
    char prefix[16];
    if (value.type == 3) {
      std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
      std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    }
    line += prefix;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
      char pair[4];
      std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(value.data[i]));
      line += pair;
      if (i + 1 < value.data.size()) {
        line += ',';
        if (line.size() - line.rfind('\n') > 76) line += "\\\n  ";
      }
    }
  }
  out += line + "\n";
}

void FormatKey(const RegistryNode& node, const std::string& path, std::string& out) {
  // Every key is written, also an empty one, so that what was created survives a save.
  if (!path.empty() || !node.Values().empty()) {
    out += "\n[" + std::string(kRootName) + path + "]\n";
    for (const auto& entry : node.Values()) FormatValue(entry.second, out);
  }
  for (const auto& entry : node.Subkeys()) {
    FormatKey(*entry.second, path + "\\" + EncodeWindows1252(entry.second->Name()), out);
  }
}

}  // namespace

RegistryNode ParseRegistryText(std::string_view text, const std::string& file_name) {
  return Parser(text, file_name).Parse();
}

RegistryNode LoadRegistryFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw RegistryFileError(path + ": cannot be read");
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) throw RegistryFileError(path + ": cannot be read");
  return ParseRegistryText(content.str(), path);
}

std::string FormatRegistryText(const RegistryNode& classes_root) {
  std::string out = "REGEDIT4\n";
  FormatKey(classes_root, "", out);
  return out;
}

void SaveRegistryFile(const RegistryNode& classes_root, const std::string& path) {
  const std::string text = FormatRegistryText(classes_root);
  const std::string temporary = path + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.flush();
    if (!file) {
      std::remove(temporary.c_str());
      throw RegistryFileError(path + ": cannot be written");
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw RegistryFileError(path + ": cannot be replaced");
  }
}

}  // namespace sim
