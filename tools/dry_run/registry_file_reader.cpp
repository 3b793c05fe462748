// The registry file's reader: every format Windows exports, applied in the file's order.
#include "tools/dry_run/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/utf8.h"
#include "sim/code_page.h"
#include "sim/host_file.h"
#include "tools/dry_run/registry_file_encoding.h"

namespace dry_run {

using namespace sim;  // the machine's registry tree and code page
namespace {

using View = std::u16string_view;

constexpr std::string_view kRegedit4 = "REGEDIT4";
constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr char16_t kClassesRoot[] = u"HKEY_CLASSES_ROOT";
// The classes roots a file may name: the machine's, the merged view, the user's.
constexpr const char16_t* kRoots[] = {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", kClassesRoot,
                                      u"HKEY_CURRENT_USER\\Software\\Classes"};
constexpr std::size_t kDeepestKey = 512;               // Windows keeps keys at most this deep
constexpr std::size_t kLongestLine = 64 * 1024 * 1024;  // no registry export has longer lines

View Trim(View s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
  return s;
}

bool StartsWith(View s, View prefix) { return s.substr(0, prefix.size()) == prefix; }

bool StartsWithFolded(View s, View prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldCase(s[i]) != FoldCase(prefix[i])) return false;
  }
  return true;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// True when `name` folds to `folded`.
bool SameFolded(View name, const std::u16string& folded) {
  if (name.size() != folded.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (FoldCase(name[i]) != folded[i]) return false;
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& file_name) : file_(file_name) {}

  common::Result<RegistryFile> Parse(std::string bytes) {
    RegistryFile file;
    file.bytes = std::move(bytes);
    const common::Outcome begun = Begin(file.bytes, file.format);
    TOLOPEN_RETURN_IF_FAILED(begun);
    const common::Result<bool> first = NextLine();
    TOLOPEN_RETURN_IF_FAILED(first);
    if (!first.Value()) return Fail("the file is empty; it must begin with REGEDIT4 or " + std::string(kVersion5));
    const bool version5 = file.format != RegistryFileFormat::kRegedit4;
    if (Trim(line_) != (version5 ? View(u"Windows Registry Editor Version 5.00") : View(u"REGEDIT4"))) {
      const View found = Trim(line_).substr(0, 60);
      return Fail("the first line must be REGEDIT4 or " + std::string(kVersion5) + ", not \"" + ToUtf8(std::u16string(found)) + "\"");
    }
    file.crlf = !line_.empty() && line_.back() == u'\r';
    RegistryNode roots[3];
    RegistryNode* key = nullptr;
    bool in_key = false;  // under a key line, also one that is passed over
    bool root_used[3] = {};
    for (;;) {
      const common::Result<bool> next = NextLine();
      TOLOPEN_RETURN_IF_FAILED(next);
      if (!next.Value()) break;
      const View line = Trim(line_);
      if (line.empty()) continue;
      if (line.front() == u';') {
        if (key != nullptr && StartsWith(line, u"; class=")) key->SetKeyClass(std::u16string(line.substr(8)));
        continue;
      }
      if (line.front() == u'[') {
        std::size_t root = 3;
        const common::Result<RegistryNode*> opened = OpenKey(roots, line, root);
        TOLOPEN_RETURN_IF_FAILED(opened);
        key = opened.Value();
        in_key = true;
        if (root < 3) root_used[root] = true;
      } else {
        if (!in_key) return Fail("a value before the first [key] line");
        if (key != nullptr) {
          const common::Outcome read = ReadValue(*key, line, file.format);
          TOLOPEN_RETURN_IF_FAILED(read);
        }
      }
    }
    // The user's classes lie over the machine's (HKEY_CLASSES_ROOT's keys went into one of them).
    file.classes_root = std::move(roots[0]);
    file.classes_root.Overlay(std::move(roots[2]));
    // Keys added later go where they win when the file is read again: under the user's classes
    // when the file has them, else HKEY_CLASSES_ROOT, else the machine's classes.
    file.write_root = root_used[2] ? kRoots[2] : root_used[1] || !root_used[0] ? kClassesRoot : kRoots[0];
    return file;
  }

 private:
  // A failure of the file at the current line; the message names file and line.
  common::NumberedError Fail(const std::string& message) const {
    return FileProblem(file_ + ":" + std::to_string(line_number_) + ": " + message);
  }

  // Tells the format from the byte-order mark or the first line; lines are decoded one by one.
  common::Outcome Begin(std::string_view bytes, RegistryFileFormat& format) {
    const auto byte = [&bytes](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100; };
    if (byte(0) == 0xFE && byte(1) == 0xFF) return Fail("the file is UTF-16 in big-endian byte order (it begins FE FF); an export is UTF-16 little-endian (FF FE), UTF-8 or REGEDIT4");
    if (byte(0) != 0 && byte(1) == 0) return Fail("the file looks like UTF-16 without a byte-order mark; an export in UTF-16 begins with FF FE");
    if (byte(0) == 0 && byte(1) != 0) return Fail("the file looks like big-endian UTF-16 without a byte-order mark; an export is UTF-16 little-endian (FF FE), UTF-8 or REGEDIT4");
    if (byte(0) == 0xFF && byte(1) == 0xFE) {
      if (bytes.size() % 2 != 0) return Fail("a UTF-16 file of an odd number of bytes");
      format = RegistryFileFormat::kVersion5Utf16;
      bytes.remove_prefix(2);
    } else {
      if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
      std::string_view first = bytes.substr(0, bytes.find_first_of("\r\n"));
      while (!first.empty() && (first.back() == ' ' || first.back() == '\t')) first.remove_suffix(1);
      format = first == kRegedit4 ? RegistryFileFormat::kRegedit4 : RegistryFileFormat::kVersion5Utf8;
    }
    raw_ = bytes;
    format_ = format;
    return {};
  }

  // The end of the raw line that begins at `start`: the offset of its line feed, or the size.
  std::size_t LineEnd(std::size_t start) const {
    if (format_ != RegistryFileFormat::kVersion5Utf16) {
      const std::size_t end = raw_.find('\n', start);
      return end == std::string_view::npos ? raw_.size() : end;
    }
    // A line feed is the unit 0A 00 at an even offset; 0A may also be half of another character.
    for (std::size_t at = start;;) {
      at = raw_.find('\n', at);
      if (at == std::string_view::npos) return raw_.size();
      if ((at - start) % 2 == 0 && at + 1 < raw_.size() && raw_[at + 1] == '\0') return at;
      ++at;
    }
  }

  // The raw bytes of one line as text, into `piece_`.
  common::Outcome DecodePiece(std::string_view raw) {
    switch (format_) {
      case RegistryFileFormat::kVersion5Utf16:
        piece_.resize(raw.size() / 2);
        for (std::size_t i = 0; i < piece_.size(); ++i) {
          piece_[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                            static_cast<unsigned char>(raw[2 * i + 1]) << 8);
        }
        return {};
      case RegistryFileFormat::kRegedit4:
        piece_.resize(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) piece_[i] = DecodeWindows1252(static_cast<unsigned char>(raw[i]));
        return {};
      case RegistryFileFormat::kVersion5Utf8:
        break;
    }
    bool ascii = true;
    for (const char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
      piece_.assign(raw.begin(), raw.end());
      return {};
    }
    piece_ = FromUtf8(raw);
    // Bytes that are not UTF-8 decode as U+FFFD; only then is the line compared whole.
    if (piece_.find(u'\uFFFD') != std::u16string::npos && ToUtf8(piece_) != raw) {
      return Fail("the file is neither UTF-16 with a byte-order mark nor UTF-8");
    }
    return {};
  }

  // The next logical line: a value whose hexadecimal data ends in "\" goes on in the next one.
  common::Result<bool> NextLine() {
    if (position_ >= raw_.size()) return false;
    bool joining = false;
    ++line_number_;
    for (;;) {
      const std::size_t end = LineEnd(position_);
      const common::Outcome decoded = DecodePiece(raw_.substr(position_, end - position_));
      TOLOPEN_RETURN_IF_FAILED(decoded);
      position_ = end + (format_ == RegistryFileFormat::kVersion5Utf16 ? 2 : 1);
      View piece = piece_;
      if (line_number_ > 1 && !piece.empty() && piece.back() == u'\r') piece.remove_suffix(1);
      if (joining) joined_ += Trim(piece);
      const View whole = joining ? Trim(View(joined_)) : (line_number_ == 1 ? piece : Trim(piece));
      if (whole.size() > kLongestLine) return Fail("a line longer than 64 MiB");
      // A comment ends with its line, also one that ends in "\".
      const bool continues = !whole.empty() && whole.front() != u';' && whole.back() == u'\\' &&
                             whole.find(u"=hex") != View::npos && position_ < raw_.size();
      if (!continues) {
        line_ = whole;
        return true;
      }
      if (!joining) joined_.assign(piece);
      joining = true;
      joined_.resize(joined_.find_last_of(u'\\'));
      ++line_number_;
    }
  }

  // The key of a [key] line, created when missing; null for a key outside the classes roots or
  // one that the line deletes. `root` receives which classes root it lies under.
  common::Result<RegistryNode*> OpenKey(RegistryNode (&roots)[3], View line, std::size_t& root) {
    if (line.back() != u']') return Fail("a key line must end in ]");
    View path = line.substr(1, line.size() - 2);
    const bool deleting = !path.empty() && path.front() == u'-';
    if (deleting) path.remove_prefix(1);
    for (root = 0; root < 3; ++root) {
      const View name = kRoots[root];
      if (StartsWithFolded(path, name) && (path.size() == name.size() || path[name.size()] == u'\\')) break;
    }
    if (root == 3) return static_cast<RegistryNode*>(nullptr);  // not a class: nothing the launcher reads
    path.remove_prefix(View(kRoots[root]).size());
    std::vector<View> names;
    for (std::size_t start = 0; start < path.size();) {
      std::size_t end = path.find(u'\\', start);
      if (end == View::npos) end = path.size();
      if (end > start) names.push_back(path.substr(start, end - start));
      start = end + 1;
    }
    if (names.size() > kDeepestKey) return Fail("a key deeper than the 512 levels Windows allows");
    // A key of HKEY_CLASSES_ROOT is the user's where the user's classes have it, else the
    // machine's, as Windows routes a write or a deletion there; the file is applied in its order.
    std::size_t tree = root;
    if (root == 1) {
      const RegistryNode* users = &roots[2];
      for (std::size_t i = 0; users != nullptr && i < names.size(); ++i) users = users->FindSubkey(std::u16string(names[i]));
      tree = users != nullptr ? 2 : 0;
    }
    RegistryNode* node = &roots[tree];
    if (deleting) {
      for (std::size_t i = 0; node != nullptr && i + 1 < names.size(); ++i) node = node->FindSubkey(std::u16string(names[i]));
      if (node != nullptr && !names.empty()) node->DeleteSubkey(std::u16string(names.back()));
      path_root_ = 3;  // the keys below may be gone: nothing of the last path is reused
      return static_cast<RegistryNode*>(nullptr);
    }
    // Exports list a key's parents before it: the part of the path shared with the last key line
    // is found again without a lookup.
    std::size_t shared = 0;
    if (path_root_ == tree) {
      while (shared < names.size() && shared < path_names_.size() && SameFolded(names[shared], path_names_[shared])) {
        ++shared;
      }
    }
    path_names_.resize(shared);
    path_nodes_.resize(shared);
    if (shared > 0) node = path_nodes_.back();
    for (std::size_t i = shared; i < names.size(); ++i) {
      std::u16string folded = FoldCase(std::u16string(names[i]));
      path_names_.push_back(folded);
      node = &node->CreateSubkey(std::u16string(names[i]), std::move(folded));
      path_nodes_.push_back(node);
    }
    path_root_ = tree;
    return node;
  }

  // A quoted text at the start of `s`, with \\ and \" unescaped; `s` moves past it.
  common::Result<std::u16string> QuotedText(View& s) {
    if (s.empty() || s.front() != u'"') return Fail("expected a quoted text");
    std::u16string text;
    std::size_t i = 1;
    std::size_t run = 1;  // the start of the characters not yet copied
    for (; i < s.size() && s[i] != u'"'; ++i) {
      if (s[i] == u'\\') {
        if (i + 1 >= s.size() || (s[i + 1] != u'\\' && s[i + 1] != u'"')) {
          return Fail("in a quoted text a backslash is written \\\\ and a quote \\\"");
        }
        text.append(s.substr(run, i - run));
        run = ++i;
      }
    }
    if (i < s.size()) text.append(s.substr(run, i - run));
    if (i >= s.size()) return Fail("a quoted text has no closing quote");
    s.remove_prefix(i + 1);
    return text;
  }

  common::Result<std::vector<std::uint8_t>> HexBytes(View s) {
    std::vector<std::uint8_t> bytes;
    s = Trim(s);
    bytes.reserve((s.size() + 1) / 3);
    while (!s.empty()) {
      const std::size_t comma = s.find(u',');
      const View item = Trim(s.substr(0, comma));
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
        return Fail("hexadecimal data is pairs of hex digits separated by commas");
      }
      bytes.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
      if (comma == View::npos) break;
      s.remove_prefix(comma + 1);
      if (Trim(s).empty()) return Fail("hexadecimal data ends in a comma");
    }
    return bytes;
  }

  common::Result<std::uint32_t> HexNumber(View digits, const char* message) {
    if (digits.empty() || digits.size() > 8) return Fail(message);
    std::uint32_t number = 0;
    for (const char16_t c : digits) {
      if (HexDigit(c) < 0) return Fail(message);
      number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
    }
    return number;
  }

  common::Outcome ReadValue(RegistryNode& key, View line, RegistryFileFormat format) {
    RegistryValue value;
    if (line.front() == u'@') {
      line.remove_prefix(1);
    } else {
      const common::Result<std::u16string> name = QuotedText(line);
      TOLOPEN_RETURN_IF_FAILED(name);
      value.name = name.Value();
    }
    line = Trim(line);
    if (line.empty() || line.front() != u'=') return Fail("expected = after the value name");
    line = Trim(line.substr(1));
    if (line.empty()) return Fail("a value needs data");
    if (line.front() == u'"') {
      const common::Result<std::u16string> quoted = QuotedText(line);
      TOLOPEN_RETURN_IF_FAILED(quoted);
      const std::string text = EncodeWindows1252(quoted.Value());
      if (!Trim(line).empty()) return Fail("unexpected text after the quoted value");
      value.type = 1;
      value.data.reserve(text.size() + 1);
      value.data.assign(text.begin(), text.end());
      value.data.push_back(0);
    } else if (StartsWith(line, u"dword:")) {
      const common::Result<std::uint32_t> number = HexNumber(line.substr(6), "dword: takes 1 to 8 hexadecimal digits");
      TOLOPEN_RETURN_IF_FAILED(number);
      value.type = 4;
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number.Value() >> (8 * i)));
    } else if (StartsWith(line, u"hex:")) {
      common::Result<std::vector<std::uint8_t>> bytes = HexBytes(line.substr(4));
      TOLOPEN_RETURN_IF_FAILED(bytes);
      value.type = 3;
      value.data = std::move(bytes).Value();
    } else if (StartsWith(line, u"hex(")) {
      const std::size_t close = line.find(u"):");
      const common::Result<std::uint32_t> type = HexNumber(close == View::npos ? View() : line.substr(4, close - 4),
                                                           "hex(N): takes the type as 1 to 8 hexadecimal digits");
      TOLOPEN_RETURN_IF_FAILED(type);
      common::Result<std::vector<std::uint8_t>> bytes = HexBytes(line.substr(close + 2));
      TOLOPEN_RETURN_IF_FAILED(bytes);
      value.type = type.Value();
      value.data = std::move(bytes).Value();
      // Text types of a version 5 file hold UTF-16; the ANSI entries give them in the code page.
      if (format != RegistryFileFormat::kRegedit4 && IsTextType(value.type)) value.data = AnsiFromUtf16(value.data);
    } else if (line == u"-") {
      key.DeleteValue(value.name);
      return {};
    } else {
      return Fail("value data must be \"text\", dword:, hex:, hex(N): or -");
    }
    key.SetValue(std::move(value));
    return {};
  }

  const std::string& file_;
  std::string_view raw_;  // the file's bytes after a byte-order mark
  RegistryFileFormat format_ = RegistryFileFormat::kRegedit4;
  std::u16string piece_;  // the current raw line, decoded
  std::size_t position_ = 0;
  int line_number_ = 0;
  View line_;
  std::u16string joined_;
  // The last key line's path: its root, names (folded) and keys.
  std::size_t path_root_ = 3;
  std::vector<std::u16string> path_names_;
  std::vector<RegistryNode*> path_nodes_;
};

}  // namespace

common::NumberedError FileProblem(const std::string& message) {
  return common::NumberedError(common::kPathFileAccessError, common::FromUtf8(message), u"tolopen-sim");
}

common::Result<RegistryFile> ParseRegistryFile(std::string_view bytes, const std::string& file_name) {
  return Parser(file_name).Parse(std::string(bytes));
}

common::Result<RegistryFile> LoadRegistryFile(const std::string& path) {
  // Only a regular file is read: a link is not followed, and a FIFO or device is refused at
  // once instead of being waited on.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    return FileProblem(path + (errno == ELOOP ? ": is a link; the registry file must be a file of its own"
                                                   : ": cannot be read (" + std::string(std::strerror(errno)) + ")"));
  }
  const ScopedDescriptor file(descriptor);
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    return FileProblem(path + ": is " + (S_ISDIR(info.st_mode) ? "a folder" : "no regular file") +
                       "; the registry file must be a file");
  }
  std::string content(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t read = ::read(descriptor, content.data() + done, content.size() - done);
    if (read <= 0) return FileProblem(path + ": cannot be read");
    done += static_cast<std::size_t>(read);
  }
  return Parser(path).Parse(std::move(content));
}

}  // namespace dry_run
