// The simulated machine's drives, folders and files, and the setup toolkit's self-registration.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "common/numbered_error.h"
#include "sim/code_page.h"
#include "sim/host_file.h"
#include "sim/machine.h"
#include "sim/machine_helpers.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

using platform::kERROR_ACCESS_DENIED;
using platform::kERROR_ALREADY_EXISTS;
using platform::kERROR_DISK_FULL;
using platform::kERROR_FILE_NOT_FOUND;
using platform::kERROR_INVALID_DRIVE;
using platform::kERROR_PATH_NOT_FOUND;
using platform::kERROR_SHARING_VIOLATION;


// The status Windows gives for a write that the host refused: a full disk is a full disk.
platform::Status WriteFailure(int error) { return error == ENOSPC ? kERROR_DISK_FULL : kERROR_ACCESS_DENIED; }

// Copies a host file's bytes over another's, as CopyFile does; the status Windows gives when it
// cannot (the library's own copy reports a full disk as an input/output error).
platform::Status CopyBytes(const std::string& from, const std::string& to) {
  const ScopedDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.valid()) return kERROR_ACCESS_DENIED;
  const ScopedDescriptor destination(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!destination.valid()) return WriteFailure(errno);
  char buffer[1 << 16];
  for (;;) {
    const ssize_t read = ::read(source.get(), buffer, sizeof buffer);
    if (read < 0) return kERROR_ACCESS_DENIED;
    if (read == 0) return ::fsync(destination.get()) == 0 ? platform::kSuccess : WriteFailure(errno);
    if (!WriteAll(destination.get(), buffer, static_cast<std::size_t>(read))) return WriteFailure(errno);
  }
}

std::u16string Root(char16_t drive) { return std::u16string(1, drive) + u":\\"; }

}  // namespace

std::u16string ParentOf(const std::u16string& full) {
  const std::size_t slash = full.rfind(u'\\');
  return slash <= 2 ? full.substr(0, 3) : full.substr(0, slash);
}

void Machine::SetCurrentFolder(const std::u16string& path) {
  current_drive_ = FoldCase(path[0]);
  std::u16string full;
  if (Resolve(path, &full) == platform::kSuccess) drive_folders_[current_drive_] = full;
}

void Machine::SetReadOnlyDrive(char16_t letter) { read_only_drives_.push_back(FoldCase(letter)); }

void Machine::LockFile(const std::u16string& path) {
  std::u16string full;
  if (Resolve(path, &full) == platform::kSuccess) locked_files_.push_back(FoldCase(full));
}

void Machine::HoldForReading(const std::u16string& path) {
  std::u16string full;
  if (Resolve(path, &full) == platform::kSuccess) read_held_files_.push_back(FoldCase(full));
}

std::u16string Machine::FolderOfDrive(char16_t letter) const {
  const auto it = drive_folders_.find(FoldCase(letter));
  return it == drive_folders_.end() ? Root(FoldCase(letter)) : it->second;
}

platform::Status Machine::Resolve(const std::u16string& path, std::u16string* full) const {
  if (path.empty()) return kERROR_PATH_NOT_FOUND;
  std::u16string absolute;
  if (HasDriveLetter(path)) {
    absolute = path.size() >= 3 && path[2] == u'\\' ? path : FolderOfDrive(path[0]) + u"\\" + path.substr(2);
  } else if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    return kERROR_PATH_NOT_FOUND;  // network paths are not simulated
  } else if (path[0] == u'\\') {
    absolute = std::u16string(1, current_drive_) + u":" + path;
  } else {
    absolute = FolderOfDrive(current_drive_) + u"\\" + path;
  }
  const char16_t drive = FoldCase(absolute[0]);
  if (drives_.count(drive) == 0) return kERROR_PATH_NOT_FOUND;
  const std::vector<std::u16string> names = NormalizedNames(absolute.substr(2));
  std::u16string result = std::u16string(1, drive) + u":";
  for (const std::u16string& name : names) result += u"\\" + name;
  if (names.empty()) result += u"\\";
  *full = result;
  return platform::kSuccess;
}

bool Machine::IsFolder(const std::u16string& windows_path) const {
  const auto host = HostPath(windows_path);
  std::error_code error;
  return host && fs::is_directory(*host, error);
}

bool Machine::IsReadOnly(const std::u16string& full) const {
  const std::u16string system = FoldCase(system_folder_);
  const std::u16string folded = FoldCase(full);
  const bool in_system_folder = folded.compare(0, system.size(), system) == 0 &&
                                (folded.size() == system.size() || folded[system.size()] == u'\\');
  return (limited_user_ && in_system_folder) ||
         std::find(read_only_drives_.begin(), read_only_drives_.end(), FoldCase(full[0])) != read_only_drives_.end();
}

bool Machine::IsLocked(const std::u16string& full) const {
  return std::find(locked_files_.begin(), locked_files_.end(), FoldCase(full)) != locked_files_.end();
}

platform::Status Machine::ReadableFileStatus(const std::u16string& full) const {
  if (IsFolder(full)) return kERROR_ACCESS_DENIED;
  if (!IsFile(full)) return IsFolder(ParentOf(full)) ? kERROR_FILE_NOT_FOUND : kERROR_PATH_NOT_FOUND;
  if (IsLocked(full)) return kERROR_SHARING_VIOLATION;
  const auto host = HostPath(full);
  std::error_code error;
  const fs::perms permissions = fs::status(*host, error).permissions();
  if ((permissions & fs::perms::owner_read) == fs::perms::none) return kERROR_ACCESS_DENIED;
  return platform::kSuccess;
}

common::Result<std::u16string> Machine::CurrentFolder() {
  const std::u16string folder = FolderOfDrive(current_drive_);
  return folder;
}

common::Outcome Machine::ChangeDrive(const std::u16string& path) {
  if (!HasDriveLetter(path) || drives_.count(FoldCase(path[0])) == 0) {
    return Failure(kERROR_INVALID_DRIVE);
  }
  current_drive_ = FoldCase(path[0]);
  return {};
}

common::Outcome Machine::ChangeFolder(const std::u16string& path) {
  std::u16string full;
  const platform::Status status = Resolve(path, &full);
  if (status != platform::kSuccess || !IsFolder(full)) {
    return Failure(kERROR_PATH_NOT_FOUND);
  }
  drive_folders_[FoldCase(full[0])] = full;
  return {};
}

common::Outcome Machine::MakeFolder(const std::u16string& path) {
  std::u16string full;
  if (Resolve(path, &full) != platform::kSuccess) return Failure(kERROR_PATH_NOT_FOUND);
  if (IsFolder(full) || IsFile(full)) return Failure(kERROR_ALREADY_EXISTS);
  if (!IsFolder(ParentOf(full))) return Failure(kERROR_PATH_NOT_FOUND);
  if (IsReadOnly(full)) return Failure(kERROR_ACCESS_DENIED);
  // A name that is a link leading nowhere, or out of the drive, is no place to create a folder.
  const auto host = HostPath(full);
  if (!host) return Failure(kERROR_ACCESS_DENIED);
  std::error_code error;
  if (!fs::create_directory(*host, error)) {
    return Failure(WriteFailure(error == std::errc::no_space_on_device ? ENOSPC : 0));
  }
  return {};
}

common::Result<int> Machine::OpenForInput(const std::u16string& path) {
  std::u16string full;
  platform::Status status = Resolve(path, &full);
  if (status == platform::kSuccess) status = ReadableFileStatus(full);
  if (status != platform::kSuccess) return Failure(status);
  const int number = next_file_++;
  open_files_[number] = full;
  return number;
}

common::Outcome Machine::CloseFile(int file_number) {
  const bool was_open = open_files_.erase(file_number) != 0;
  if (!was_open) {
    return common::NumberedError(common::kBadFileName);
  }
  return {};
}

common::Result<std::int32_t> Machine::FileLength(const std::u16string& path) {
  std::u16string full;
  platform::Status status = Resolve(path, &full);
  if (status == platform::kSuccess && !IsFile(full)) {
    status = IsFolder(ParentOf(full)) ? kERROR_FILE_NOT_FOUND : kERROR_PATH_NOT_FOUND;
  }
  if (status != platform::kSuccess) return Failure(status);
  std::error_code error;
  const auto size = static_cast<std::uint64_t>(fs::file_size(*HostPath(full), error));
  const auto length = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
  return length;
}

common::Outcome Machine::CopyFileReplacing(const std::u16string& source, const std::u16string& destination) {
  std::u16string from;
  std::u16string to;
  platform::Status status = Resolve(source, &from);
  if (status == platform::kSuccess) status = ReadableFileStatus(from);
  if (status == platform::kSuccess) status = Resolve(destination, &to);
  if (status == platform::kSuccess && !IsFolder(ParentOf(to))) status = kERROR_PATH_NOT_FOUND;
  if (status == platform::kSuccess && (IsFolder(to) || IsReadOnly(to))) status = kERROR_ACCESS_DENIED;
  const bool read_held = std::find(read_held_files_.begin(), read_held_files_.end(), FoldCase(to)) != read_held_files_.end();
  if (status == platform::kSuccess && (IsLocked(to) || read_held)) status = kERROR_SHARING_VIOLATION;
  // A destination that is a link leading nowhere, or out of the drive, cannot be written.
  const auto host_from = HostPath(from);
  const auto host_destination = HostPath(to);
  if (status == platform::kSuccess && (!host_from || !host_destination)) status = kERROR_ACCESS_DENIED;
  if (status != platform::kSuccess) return Failure(status);

  std::error_code error;
  const std::string& host_to = *host_destination;
  if (fs::exists(host_to, error)) {
    fs::permissions(host_to, fs::perms::owner_write, fs::perm_options::add, error);
  }
  if (const platform::Status failure = CopyBytes(*host_from, host_to); failure != platform::kSuccess) {
    fs::remove(host_to, error);  // no partial copy stays behind
    return Failure(failure);
  }
  // A copy from read-only media stays replaceable.
  fs::permissions(host_to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
  return {};
}

common::Result<std::uint32_t> Machine::GetSystemDirectoryA(platform::AnsiString& buffer) {
  const std::string folder = EncodeWindows1252(system_folder_);
  if (folder.size() + 1 > buffer.size()) {
    return static_cast<std::uint32_t>(folder.size() + 1);
  }
  std::copy(folder.begin(), folder.end(), buffer.begin());
  buffer[folder.size()] = '\0';
  return static_cast<std::uint32_t>(folder.size());
}

}  // namespace sim
