// The registry file's bytes and lines: the file read (a regular file alone), the format told from
// its first bytes, each line decoded, and a value's hexadecimal data that goes on over several
// lines joined into one.
#include "tools/dry_run/registry_file_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "common/utf8.h"
#include "sim/code_page.h"
#include "sim/host_file.h"

namespace dry_run {
namespace {

using View = std::u16string_view;

constexpr std::string_view kRegedit4 = "REGEDIT4";
constexpr std::size_t kLongestLine = 64 * 1024 * 1024;  // no registry export has longer lines

}  // namespace

std::u16string_view TrimLine(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
  return s;
}

common::NumberedError RegistryFileLines::Fail(const std::string& message) const {
  return FileProblem(file_ + ":" + std::to_string(line_number_) + ": " + message);
}

common::Outcome RegistryFileLines::Begin(std::string_view bytes, RegistryFileFormat& format) {
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

std::size_t RegistryFileLines::LineEnd(std::size_t start) const {
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

common::Outcome RegistryFileLines::DecodePiece(std::string_view raw) {
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
      for (std::size_t i = 0; i < raw.size(); ++i) piece_[i] = sim::DecodeWindows1252(static_cast<unsigned char>(raw[i]));
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
  piece_ = common::FromUtf8(raw);
  // Bytes that are not UTF-8 decode as U+FFFD; only then is the line compared whole.
  if (piece_.find(u'\uFFFD') != std::u16string::npos && common::ToUtf8(piece_) != raw) {
    return Fail("the file is neither UTF-16 with a byte-order mark nor UTF-8");
  }
  return {};
}

common::Result<bool> RegistryFileLines::Next() {
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
    if (joining) joined_ += TrimLine(piece);
    const View whole = joining ? TrimLine(View(joined_)) : (line_number_ == 1 ? piece : TrimLine(piece));
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

common::Result<RegistryFile> LoadRegistryFile(const std::string& path) {
  // Only a regular file is read: a link is not followed, and a FIFO or device is refused at
  // once instead of being waited on.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    return FileProblem(path + (errno == ELOOP ? ": is a link; the registry file must be a file of its own"
                                                   : ": cannot be read (" + std::string(std::strerror(errno)) + ")"));
  }
  const sim::ScopedDescriptor file(descriptor);
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
  return ParseRegistryFile(std::move(content), path);
}

}  // namespace dry_run
