#include "start/document.h"

#include "common/text.h"

namespace mdlMain {
namespace {

bool IsDocumentPlaceholder(char16_t c) { return c == u'1' || c == u'l' || c == u'L'; }

}  // namespace

std::u16string ExtensionOf(const std::u16string& document) {
  const std::size_t dot = document.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : document.substr(dot);
}

std::u16string WithoutEnclosingQuotes(const std::u16string& argument) {
  if (argument.size() >= 2 && argument.front() == u'"' && argument.back() == u'"') {
    return argument.substr(1, argument.size() - 2);
  }
  return argument;
}

bool IsAbsolutePath(const std::u16string& path) {
  const bool drive_rooted = common::IsDrivePath(path);
  const bool network = path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
  return drive_rooted || network;
}

std::u16string LaunchCommandLine(const std::u16string& registered_command, const std::u16string& path) {
  // A command stored with its terminating NULs counted keeps one after the read; a process
  // start would end the command line there, before the document.
  const std::u16string open_command = registered_command.substr(0, registered_command.find(u'\0'));
  std::u16string line;
  bool inside_quotes = false;
  bool placed = false;
  for (std::size_t i = 0; i < open_command.size(); ++i) {
    const char16_t c = open_command[i];
    if (c == u'"') inside_quotes = !inside_quotes;
    if (c == u'%' && i + 1 < open_command.size()) {
      const char16_t next = open_command[i + 1];
      if (IsDocumentPlaceholder(next)) {
        line += inside_quotes ? path : common::QuotedIfBlank(path);
        placed = true;
        ++i;
        continue;
      }
      if (next == u'*') {
        ++i;
        continue;
      }
    }
    line += c;
  }
  if (!placed) line += u" " + common::QuotedIfBlank(path);
  return line;
}

}  // namespace mdlMain
