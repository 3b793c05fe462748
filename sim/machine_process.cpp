// The simulated machine's process: its argument and folder, its environment and code page, and
// the programs it starts, found as CreateProcess finds them.
#include <fstream>

#include "common/numbered_error.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "sim/machine_helpers.h"

namespace sim {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Extension(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  const std::size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return u"";
  return FoldCase(path.substr(dot));
}

}  // namespace

std::string ProgramImageStandIn() {
  std::string image(0x44, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 0x40;  // where the PE header begins
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  return image;
}

void Machine::SetEnvironmentVariable(const std::u16string& name, std::u16string value) {
  environment_[FoldCase(name)] = {name, std::move(value)};
}

common::Result<std::u16string> Machine::CommandLineArgument() {
  // As on Windows, the blanks that separate the argument from the program's name, and those
  // that end the command line, are not part of it.
  const std::size_t first = argument_.find_first_not_of(u" \t");
  const std::u16string argument = first == std::u16string::npos
                                      ? u""
                                      : argument_.substr(first, argument_.find_last_not_of(u" \t") + 1 - first);
  return argument;
}

common::Result<std::u16string> Machine::ProgramFolder() {
  return ParentOf(program_path_);
}

platform::Status Machine::FindProgram(const std::u16string& command_line) const {
  // A quoted name is taken whole; an unquoted one is tried up to each blank in turn. A command
  // line that begins with a blank names no program.
  std::vector<std::u16string> candidates;
  if (!command_line.empty() && command_line[0] == u'"') {
    const std::size_t close = command_line.find(u'"', 1);
    candidates.push_back(command_line.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1));
  } else {
    for (std::size_t end = 1; end <= command_line.size(); ++end) {
      if (end == command_line.size() || IsBlank(command_line[end])) candidates.push_back(command_line.substr(0, end));
    }
  }

  for (std::u16string name : candidates) {
    if (Extension(name).empty()) name += u".exe";
    std::u16string full;
    if (HasDriveLetter(name) || (!name.empty() && (name[0] == u'\\' || name.find(u'\\') != std::u16string::npos))) {
      // A name with a folder is taken from the current drive and folder when it is not full.
      if (Resolve(name, &full) == platform::kSuccess && IsFile(full)) return ProgramImageStatus(full);
      continue;
    }
    for (const std::u16string& folder : ProgramSearchFolders()) {
      if (Resolve(folder + u"\\" + name, &full) == platform::kSuccess && IsFile(full)) return ProgramImageStatus(full);
    }
  }
  return platform::kERROR_FILE_NOT_FOUND;
}

std::vector<std::u16string> Machine::ProgramSearchFolders() const {
  // Where CreateProcess looks for a program named without a folder: the starting program's
  // folder, the current folder, the system folder, the 16-bit system folder, the Windows folder,
  // then each folder of PATH.
  std::u16string system = system_folder_;
  while (system.size() > 3 && system.back() == u'\\') system.pop_back();
  const std::u16string windows = ParentOf(system);
  std::vector<std::u16string> folders = {ParentOf(program_path_),
                                         FolderOfDrive(current_drive_), system, windows + u"\\SYSTEM", windows};
  if (const auto path = environment_.find(FoldCase(std::u16string(u"PATH"))); path != environment_.end()) {
    const std::u16string& list = path->second.second;
    for (std::size_t start = 0; start <= list.size();) {
      std::size_t end = list.find(u';', start);
      if (end == std::u16string::npos) end = list.size();
      if (end > start) folders.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  return folders;
}

platform::Status Machine::ProgramImageStatus(const std::u16string& full) const {
  // Windows judges a program by what it holds, not by its name: a PE image starts whatever its
  // extension; a batch file is run by the command interpreter; anything else is no program.
  const std::u16string extension = Extension(full);
  if (extension == u".BAT" || extension == u".CMD") return platform::kSuccess;
  const auto host = HostPath(full);
  if (!host) return platform::kERROR_FILE_NOT_FOUND;
  std::ifstream file(*host, std::ios::binary);
  char header[0x40] = {};
  file.read(header, sizeof header);
  if (file.gcount() == sizeof header && header[0] == 'M' && header[1] == 'Z') {
    std::uint32_t offset = 0;
    for (int i = 3; i >= 0; --i) offset = offset << 8 | static_cast<unsigned char>(header[0x3C + i]);
    char signature[4] = {};
    file.seekg(offset);
    file.read(signature, sizeof signature);
    if (file.gcount() == 4 && std::string_view(signature, 4) == std::string_view("PE\0\0", 4)) return platform::kSuccess;
  }
  return platform::kERROR_BAD_EXE_FORMAT;
}

common::Outcome Machine::StartProcess(const std::u16string& command_line, int window_style) {
  const platform::Status status = FindProgram(command_line);
  if (status != platform::kSuccess) return Failure(status);
  // The command line reaches the process unchanged (as the ANSI or the wide entry passes it).
  started_.push_back({command_line, window_style});
  return {};
}

common::Result<platform::AnsiString> Machine::ToAnsi(const std::u16string& text) {
  const std::string bytes = EncodeWindows1252(text);
  return platform::AnsiString(bytes.begin(), bytes.end());
}

common::Result<std::u16string> Machine::FromAnsi(platform::AnsiStringView bytes) {
  return DecodeWindows1252(std::string_view(bytes.data(), bytes.size()));
}

common::Result<std::u16string> Machine::ExpandEnvironment(const std::u16string& text) {
  // The text ends at its first NUL, as a C string does. A name between two "%" that names no
  // variable is kept with both, and the search goes on after the second.
  const std::u16string source = text.substr(0, text.find(u'\0'));
  std::u16string expanded;
  std::size_t i = 0;
  while (i < source.size()) {
    const std::size_t close = source[i] == u'%' ? source.find(u'%', i + 1) : std::u16string::npos;
    if (close == std::u16string::npos) {
      expanded += source[i++];
      continue;
    }
    const auto variable = environment_.find(FoldCase(source.substr(i + 1, close - i - 1)));
    expanded += variable != environment_.end() ? variable->second.second : source.substr(i, close + 1 - i);
    i = close + 1;
  }
  return expanded;
}

}  // namespace sim
