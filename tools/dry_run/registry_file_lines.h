// The lines of a registry file, one logical line at a time: what the reader parses.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/numbered_error.h"
#include "common/result.h"
#include "tools/dry_run/registry_file.h"

namespace dry_run {

// A line without its leading blanks and its trailing blanks and carriage return.
std::u16string_view TrimLine(std::u16string_view line);

class RegistryFileLines {
 public:
  explicit RegistryFileLines(const std::string& file_name) : file_(file_name) {}

  // Tells the format from the byte-order mark or the first line, or fails for a file that is
  // none of Windows' formats. `bytes` must outlive this object.
  common::Outcome Begin(std::string_view bytes, RegistryFileFormat& format);
  // Reads the next logical line (a value whose hexadecimal data ends in "\" goes on in the next
  // one): false at the end of the file.
  common::Result<bool> Next();
  // The line Next read: the first one as it stands, the others trimmed.
  std::u16string_view Line() const { return line_; }
  // A failure of the file at the current line; the message names file and line.
  common::NumberedError Fail(const std::string& message) const;

 private:
  // The end of the raw line that begins at `start`: the offset of its line feed, or the size.
  std::size_t LineEnd(std::size_t start) const;
  // The raw bytes of one line as text, into `piece_`.
  common::Outcome DecodePiece(std::string_view raw);

  const std::string& file_;
  std::string_view raw_;  // the file's bytes after a byte-order mark
  RegistryFileFormat format_ = RegistryFileFormat::kRegedit4;
  std::u16string piece_;  // the current raw line, decoded
  std::size_t position_ = 0;
  int line_number_ = 0;
  std::u16string_view line_;
  std::u16string joined_;
};

}  // namespace dry_run
