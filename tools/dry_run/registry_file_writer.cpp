// The registry file's writer: a run's changes added to the file in its own format, the file
// replaced whole.
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

std::u16string Quote(const std::u16string& text) {
  std::u16string quoted = u"\"";
  for (const char16_t c : text) {
    if (c == u'\\' || c == u'"') quoted += u'\\';
    quoted += c;
  }
  return quoted + u"\"";
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

class Writer {
 public:
  Writer(const RegistryFile& file) : file_(file), end_(file.crlf ? u"\r\n" : u"\n") {}

  void Key(const std::u16string& path, const std::u16string& key_class) {
    text_ += end_ + u"[" + file_.write_root + (path.empty() ? u"" : u"\\" + path) + u"]" + end_;
    if (!key_class.empty()) text_ += u"; class=" + key_class + end_;
  }

  void Value(const RegistryValue& value) {
    std::u16string line = value.name.empty() ? u"@=" : Quote(value.name) + u"=";
    if (IsPlainText(value)) {
      line += Quote(DecodeWindows1252(std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                                       value.data.size() - 1)));
    } else if (value.type == 4 && value.data.size() == 4) {
      char digits[9];
      const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                   static_cast<std::uint32_t>(value.data[3]) << 24;
      std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
      line += u"dword:" + DecodeWindows1252(digits);
    } else {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, value.type == 3 ? "hex:" : "hex(%x):", static_cast<unsigned>(value.type));
      line += DecodeWindows1252(prefix);
      const bool utf16 = file_.format != RegistryFileFormat::kRegedit4 && IsTextType(value.type);
      const std::vector<std::uint8_t> data = utf16 ? Utf16FromAnsi(value.data) : value.data;
      for (std::size_t i = 0, column = line.size(); i < data.size(); ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(data[i]));
        line += DecodeWindows1252(pair);
        column += 2;
        if (i + 1 < data.size()) {
          line += u',';
          if (++column > 76) {
            line += u"\\" + end_ + u"  ";
            column = 2;
          }
        }
      }
    }
    text_ += line + end_;
  }

  // The text in the file's encoding.
  std::string Encoded() const {
    switch (file_.format) {
      case RegistryFileFormat::kRegedit4:
        return EncodeWindows1252(text_);
      case RegistryFileFormat::kVersion5Utf8:
        return ToUtf8(text_);
      case RegistryFileFormat::kVersion5Utf16:
        break;
    }
    return Utf16Bytes(text_);
  }

  std::u16string& Text() { return text_; }

 private:
  const RegistryFile& file_;
  const std::u16string end_;
  std::u16string text_;
};

void WriteKeys(Writer& writer, const RegistryNode& node, const std::u16string& path) {
  if (!path.empty() || !node.Values().empty() || !node.KeyClass().empty()) writer.Key(path, node.KeyClass());
  for (const auto& entry : node.Values()) writer.Value(entry.second);
  for (const auto& entry : node.Subkeys()) {
    WriteKeys(writer, *entry.second, path.empty() ? entry.second->Name() : path + u"\\" + entry.second->Name());
  }
}

}  // namespace

std::string FormatChanges(const RegistryFile& file, const sim::MergedClasses& classes,
                          const std::vector<RegistryChange>& changes) {
  Writer writer(file);
  for (const RegistryChange& change : changes) {
    const RegistryNode* const key = classes.Find(SplitKeyPath(change.key_path));
    if (key == nullptr) continue;
    writer.Key(change.key_path, change.created ? change.key_class : std::u16string());
    for (const std::u16string& name : change.values) {
      if (const RegistryValue* value = key->FindValue(name)) writer.Value(*value);
    }
  }
  return writer.Encoded();
}

std::string FormatRegistryFile(const RegistryFile& file, const RegistryNode& root) {
  Writer writer(file);
  writer.Text() = file.format == RegistryFileFormat::kRegedit4 ? u"REGEDIT4" : u"Windows Registry Editor Version 5.00";
  writer.Text() += file.crlf ? u"\r\n" : u"\n";
  WriteKeys(writer, root, u"");
  const std::string body = writer.Encoded();
  return file.format == RegistryFileFormat::kVersion5Utf16 ? "\xFF\xFE" + body : body;
}

common::Outcome SaveChanges(const std::string& path, const RegistryFile& file, const sim::MergedClasses& classes,
                            const std::vector<RegistryChange>& changes) {
  // The file's own last line ends before the added ones begin.
  const bool utf16 = file.format == RegistryFileFormat::kVersion5Utf16;
  const std::string line_feed = utf16 ? std::string("\n\0", 2) : "\n";
  std::string content = file.bytes;
  if (content.size() < line_feed.size() || content.compare(content.size() - line_feed.size(), line_feed.size(), line_feed) != 0) {
    content += file.crlf ? (utf16 ? std::string("\r\0", 2) : "\r") + line_feed : line_feed;
  }
  content += FormatChanges(file, classes, changes);
  // The new file is made under a name of its own that nothing else has (created exclusively,
  // never through a link) and put in the old one's place only when it is complete.
  std::string temporary = path + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return FileProblem(path + ": cannot be written (" + std::strerror(errno) + ")");
  bool written;
  {
    const ScopedDescriptor file(descriptor);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) static_cast<void>(::fchmod(descriptor, info.st_mode & 07777));
    written = WriteAll(descriptor, content.data(), content.size()) && ::fsync(descriptor) == 0;
  }
  struct stat info {};
  if (!written || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return FileProblem(path + (written ? ": cannot be replaced" : ": cannot be written (is the disk full?)"));
  }
  return {};
}

}  // namespace dry_run
