// The registry file's reader: every format Windows exports, applied in the file's order.
#include "tools/dry_run/registry_file.h"

#include <utility>

#include "common/utf8.h"
#include "sim/code_page.h"
#include "tools/dry_run/registry_file_encoding.h"
#include "tools/dry_run/registry_file_lines.h"

namespace dry_run {

using namespace sim;  // the machine's registry tree and code page
namespace {

using View = std::u16string_view;

constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr char16_t kClassesRoot[] = u"HKEY_CLASSES_ROOT";
// The classes roots a file may name: the machine's, the merged view, the user's.
constexpr const char16_t* kRoots[] = {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", kClassesRoot,
                                      u"HKEY_CURRENT_USER\\Software\\Classes"};
constexpr std::size_t kDeepestKey = 512;               // Windows keeps keys at most this deep

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
  explicit Parser(const std::string& file_name) : lines_(file_name) {}

  common::Result<RegistryFile> Parse(std::string bytes) {
    RegistryFile file;
    file.bytes = std::move(bytes);
    const common::Outcome begun = lines_.Begin(file.bytes, file.format);
    TOLOPEN_RETURN_IF_FAILED(begun);
    const common::Result<bool> first = lines_.Next();
    TOLOPEN_RETURN_IF_FAILED(first);
    if (!first.Value()) return Fail("the file is empty; it must begin with REGEDIT4 or " + std::string(kVersion5));
    const bool version5 = file.format != RegistryFileFormat::kRegedit4;
    if (TrimLine(lines_.Line()) != (version5 ? View(u"Windows Registry Editor Version 5.00") : View(u"REGEDIT4"))) {
      const View found = TrimLine(lines_.Line()).substr(0, 60);
      return Fail("the first line must be REGEDIT4 or " + std::string(kVersion5) + ", not \"" + ToUtf8(std::u16string(found)) + "\"");
    }
    file.crlf = !lines_.Line().empty() && lines_.Line().back() == u'\r';
    RegistryNode roots[3];
    RegistryNode* key = nullptr;
    bool in_key = false;  // under a key line, also one that is passed over
    bool root_used[3] = {};
    for (;;) {
      const common::Result<bool> next = lines_.Next();
      TOLOPEN_RETURN_IF_FAILED(next);
      if (!next.Value()) break;
      const View line = TrimLine(lines_.Line());
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
    // HKEY_CLASSES_ROOT's keys went into one of them.
    file.machine_classes = std::move(roots[0]);
    file.user_classes = std::move(roots[2]);
    // Keys added later go where they win when the file is read again: under the user's classes
    // when the file has them, else HKEY_CLASSES_ROOT, else the machine's classes.
    file.write_root = root_used[2] ? kRoots[2] : root_used[1] || !root_used[0] ? kClassesRoot : kRoots[0];
    return file;
  }

 private:
  common::NumberedError Fail(const std::string& message) const { return lines_.Fail(message); }

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
      const MergedClasses classes_root(roots[0], &roots[2]);
      tree = &classes_root.Holder(std::vector<std::u16string>(names.begin(), names.end())) == &roots[2] ? 2 : 0;
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
    s = TrimLine(s);
    bytes.reserve((s.size() + 1) / 3);
    while (!s.empty()) {
      const std::size_t comma = s.find(u',');
      const View item = TrimLine(s.substr(0, comma));
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
        return Fail("hexadecimal data is pairs of hex digits separated by commas");
      }
      bytes.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
      if (comma == View::npos) break;
      s.remove_prefix(comma + 1);
      if (TrimLine(s).empty()) return Fail("hexadecimal data ends in a comma");
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
    line = TrimLine(line);
    if (line.empty() || line.front() != u'=') return Fail("expected = after the value name");
    line = TrimLine(line.substr(1));
    if (line.empty()) return Fail("a value needs data");
    if (line.front() == u'"') {
      const common::Result<std::u16string> quoted = QuotedText(line);
      TOLOPEN_RETURN_IF_FAILED(quoted);
      const std::string text = EncodeWindows1252(quoted.Value());
      if (!TrimLine(line).empty()) return Fail("unexpected text after the quoted value");
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

  RegistryFileLines lines_;
  // The last key line's path: its root, names (folded) and keys.
  std::size_t path_root_ = 3;
  std::vector<std::u16string> path_names_;
  std::vector<RegistryNode*> path_nodes_;
};

}  // namespace

common::NumberedError FileProblem(const std::string& message) {
  return common::NumberedError(common::kPathFileAccessError, common::FromUtf8(message), u"tolopen-sim");
}

common::Result<RegistryFile> ParseRegistryFile(std::string bytes, const std::string& file_name) {
  return Parser(file_name).Parse(std::move(bytes));
}

}  // namespace dry_run
