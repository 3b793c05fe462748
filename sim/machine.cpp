#include "sim/machine.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/numbered_error.h"
#include "sim/code_page.h"
#include "sim/machine_helpers.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Extension(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  const std::size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return u"";
  return FoldCase(path.substr(dot));
}

}  // namespace

std::vector<std::u16string> NormalizedNames(const std::u16string& path) {
  // Windows takes "/" for a separator too; empty names ("\\", "//") are skipped.
  std::vector<std::u16string> parts;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == u'\\' || path[i] == u'/') {
      if (i > begin) parts.push_back(path.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  std::vector<std::u16string> names;
  for (const std::u16string& name : parts) {
    if (name == u".") continue;
    if (name == u"..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    names.push_back(name);
  }
  return names;
}

std::string ProgramImageStandIn() {
  std::string image(0x44, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 0x40;  // where the PE header begins
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  return image;
}

Machine::Machine() = default;

void Machine::MapDrive(char16_t letter, std::string host_folder) {
  std::error_code error;
  canonical_drives_[FoldCase(letter)] = std::filesystem::weakly_canonical(host_folder, error).lexically_normal().string();
  drives_[FoldCase(letter)] = std::move(host_folder);
}

void Machine::SetEnvironmentVariable(const std::u16string& name, std::u16string value) {
  environment_[FoldCase(name)] = {name, std::move(value)};
}

std::optional<std::string> Machine::HostPath(const std::u16string& windows_path) const {
  if (!HasDriveLetter(windows_path)) return std::nullopt;
  const auto drive = canonical_drives_.find(FoldCase(windows_path[0]));
  if (drive == canonical_drives_.end()) return std::nullopt;

  // The path is followed one name at a time, each looked up as written, then without regard to
  // case. A link is followed only to a place that exists inside the drive's folder, so nothing
  // outside it is read or written through a link, dangling or not.
  const fs::path drive_folder = drive->second;
  const auto inside_drive = [&drive_folder](const fs::path& path) {
    const fs::path relative = path.lexically_relative(drive_folder);
    return !relative.empty() && *relative.begin() != "..";
  };
  fs::path host = drive_folder;
  bool exists = true;
  for (const std::u16string& name : NormalizedNames(windows_path.substr(2))) {
    fs::path next = host / ToUtf8(name);
    std::error_code error;
    if (exists && !fs::exists(fs::symlink_status(next, error)) && fs::is_directory(host, error)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(host, error)) {
        if (FoldCase(FromUtf8(entry.path().filename().string())) == FoldCase(name)) {
          next = entry.path();
          break;
        }
      }
    }
    const fs::file_status status = fs::symlink_status(next, error);
    exists = exists && fs::exists(status);
    if (exists && fs::is_symlink(status)) {
      next = fs::canonical(next, error);
      if (error || !inside_drive(next)) return std::nullopt;
    }
    host = next;
  }
  if (!inside_drive(host.lexically_normal())) return std::nullopt;
  return host.string();
}

bool Machine::IsFile(const std::u16string& windows_path) const {
  const auto host = HostPath(windows_path);
  std::error_code error;
  return host && fs::is_regular_file(*host, error);
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
