// The simulated machine's drives: each mapped to a host folder, and how a Windows path finds its
// host file (one name at a time, without regard to case, never through a link out of the drive).
#include "sim/machine.h"

#include <filesystem>

#include "sim/code_page.h"
#include "sim/machine_helpers.h"

namespace sim {

namespace fs = std::filesystem;

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

Machine::Machine() = default;

void Machine::MapDrive(char16_t letter, std::string host_folder) {
  std::error_code error;
  canonical_drives_[FoldCase(letter)] = std::filesystem::weakly_canonical(host_folder, error).lexically_normal().string();
  drives_[FoldCase(letter)] = std::move(host_folder);
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

}  // namespace sim
