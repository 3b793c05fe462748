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

constexpr platform::Status kFileNotFound = 2;
constexpr platform::Status kPathNotFound = 3;
constexpr platform::Status kAccessDenied = 5;
constexpr platform::Status kInvalidDrive = 15;
constexpr platform::Status kSharingViolation = 32;
constexpr platform::Status kDiskFull = 112;
constexpr platform::Status kAlreadyExists = 183;

// The status Windows gives for a write that the host refused: a full disk is a full disk.
platform::Status WriteFailure(int error) { return error == ENOSPC ? kDiskFull : kAccessDenied; }

// Copies a host file's bytes over another's, as CopyFile does; the status Windows gives when it
// cannot (the library's own copy reports a full disk as an input/output error).
platform::Status CopyBytes(const std::string& from, const std::string& to) {
  const ScopedDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.valid()) return kAccessDenied;
  const ScopedDescriptor destination(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!destination.valid()) return WriteFailure(errno);
  char buffer[1 << 16];
  for (;;) {
    const ssize_t read = ::read(source.get(), buffer, sizeof buffer);
    if (read < 0) return kAccessDenied;
    if (read == 0) return ::fsync(destination.get()) == 0 ? platform::kSuccess : WriteFailure(errno);
    if (!WriteAll(destination.get(), buffer, static_cast<std::size_t>(read))) return WriteFailure(errno);
  }
}

std::u16string Root(char16_t drive) { return std::u16string(1, drive) + u":\\"; }

std::u16string ParentOf(const std::u16string& full) {
  const std::size_t slash = full.rfind(u'\\');
  return slash <= 2 ? full.substr(0, 3) : full.substr(0, slash);
}

}  // namespace

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
  if (path.empty()) return kPathNotFound;
  std::u16string absolute;
  if (HasDriveLetter(path)) {
    absolute = path.size() >= 3 && path[2] == u'\\' ? path : FolderOfDrive(path[0]) + u"\\" + path.substr(2);
  } else if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    return kPathNotFound;  // network paths are not simulated
  } else if (path[0] == u'\\') {
    absolute = std::u16string(1, current_drive_) + u":" + path;
  } else {
    absolute = FolderOfDrive(current_drive_) + u"\\" + path;
  }
  const char16_t drive = FoldCase(absolute[0]);
  if (drives_.count(drive) == 0) return kPathNotFound;
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
  return std::find(read_only_drives_.begin(), read_only_drives_.end(), FoldCase(full[0])) !=
         read_only_drives_.end();
}

bool Machine::IsLocked(const std::u16string& full) const {
  return std::find(locked_files_.begin(), locked_files_.end(), FoldCase(full)) != locked_files_.end();
}

platform::Status Machine::ReadableFileStatus(const std::u16string& full) const {
  if (IsFolder(full)) return kAccessDenied;
  if (!IsFile(full)) return IsFolder(ParentOf(full)) ? kFileNotFound : kPathNotFound;
  if (IsLocked(full)) return kSharingViolation;
  const auto host = HostPath(full);
  std::error_code error;
  const fs::perms permissions = fs::status(*host, error).permissions();
  if ((permissions & fs::perms::owner_read) == fs::perms::none) return kAccessDenied;
  return platform::kSuccess;
}

common::NumberedError Machine::Fail(const char* operation, const std::string& what, platform::Status status) const {
  Trace(std::string(operation) + " " + what + " -> fails (" + StatusText(status) + ")");
  return common::ErrorFromWin32(static_cast<std::uint32_t>(status));
}

common::Result<std::u16string> Machine::CurrentFolder() {
  const std::u16string folder = FolderOfDrive(current_drive_);
  Trace("CurrentFolder -> " + Quoted(folder));
  return folder;
}

common::Outcome Machine::ChangeDrive(const std::u16string& path) {
  if (!HasDriveLetter(path) || drives_.count(FoldCase(path[0])) == 0) {
    return Fail("ChangeDrive", Quoted(path), kInvalidDrive);
  }
  current_drive_ = FoldCase(path[0]);
  Trace("ChangeDrive " + Quoted(path) + " -> " + ToUtf8(std::u16string(1, current_drive_)) + ":");
  return {};
}

common::Outcome Machine::ChangeFolder(const std::u16string& path) {
  std::u16string full;
  const platform::Status status = Resolve(path, &full);
  if (status != platform::kSuccess || !IsFolder(full)) {
    return Fail("ChangeFolder", Quoted(path), kPathNotFound);
  }
  drive_folders_[FoldCase(full[0])] = full;
  Trace("ChangeFolder " + Quoted(path) + " -> " + Quoted(full));
  return {};
}

common::Outcome Machine::MakeFolder(const std::u16string& path) {
  std::u16string full;
  if (Resolve(path, &full) != platform::kSuccess) return Fail("MakeFolder", Quoted(path), kPathNotFound);
  if (IsFolder(full) || IsFile(full)) return Fail("MakeFolder", Quoted(path), kAlreadyExists);
  if (!IsFolder(ParentOf(full))) return Fail("MakeFolder", Quoted(path), kPathNotFound);
  if (IsReadOnly(full)) return Fail("MakeFolder", Quoted(path), kAccessDenied);
  // A name that is a link leading nowhere, or out of the drive, is no place to create a folder.
  const auto host = HostPath(full);
  if (!host) return Fail("MakeFolder", Quoted(path), kAccessDenied);
  std::error_code error;
  if (!fs::create_directory(*host, error)) {
    return Fail("MakeFolder", Quoted(path), WriteFailure(error == std::errc::no_space_on_device ? ENOSPC : 0));
  }
  Trace("MakeFolder " + Quoted(path) + " -> created");
  return {};
}

common::Result<int> Machine::OpenForInput(const std::u16string& path) {
  std::u16string full;
  platform::Status status = Resolve(path, &full);
  if (status == platform::kSuccess) status = ReadableFileStatus(full);
  if (status != platform::kSuccess) return Fail("OpenForInput", Quoted(path), status);
  const int number = next_file_++;
  open_files_[number] = full;
  Trace("OpenForInput " + Quoted(path) + " -> file #" + std::to_string(number));
  return number;
}

common::Outcome Machine::CloseFile(int file_number) {
  const bool was_open = open_files_.erase(file_number) != 0;
  if (!was_open) {
    Trace("CloseFile #" + std::to_string(file_number) + " -> fails (no such file)");
    return common::NumberedError(common::kBadFileName);
  }
  Trace("CloseFile #" + std::to_string(file_number) + " -> closed");
  return {};
}

common::Result<std::int32_t> Machine::FileLength(const std::u16string& path) {
  std::u16string full;
  platform::Status status = Resolve(path, &full);
  if (status == platform::kSuccess && !IsFile(full)) {
    status = IsFolder(ParentOf(full)) ? kFileNotFound : kPathNotFound;
  }
  if (status != platform::kSuccess) return Fail("FileLength", Quoted(path), status);
  std::error_code error;
  const auto size = static_cast<std::uint64_t>(fs::file_size(*HostPath(full), error));
  const auto length = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
  Trace("FileLength " + Quoted(path) + " -> " + std::to_string(length));
  return length;
}

common::Outcome Machine::CopyFileReplacing(const std::u16string& source, const std::u16string& destination) {
  const std::string what = Quoted(source) + " to " + Quoted(destination);
  std::u16string from;
  std::u16string to;
  platform::Status status = Resolve(source, &from);
  if (status == platform::kSuccess) status = ReadableFileStatus(from);
  if (status == platform::kSuccess) status = Resolve(destination, &to);
  if (status == platform::kSuccess && !IsFolder(ParentOf(to))) status = kPathNotFound;
  if (status == platform::kSuccess && (IsFolder(to) || IsReadOnly(to))) status = kAccessDenied;
  const bool read_held = std::find(read_held_files_.begin(), read_held_files_.end(), FoldCase(to)) != read_held_files_.end();
  if (status == platform::kSuccess && (IsLocked(to) || read_held)) status = kSharingViolation;
  // A destination that is a link leading nowhere, or out of the drive, cannot be written.
  const auto host_from = HostPath(from);
  const auto host_destination = HostPath(to);
  if (status == platform::kSuccess && (!host_from || !host_destination)) status = kAccessDenied;
  if (status != platform::kSuccess) return Fail("CopyFile", what, status);

  std::error_code error;
  const std::string& host_to = *host_destination;
  if (fs::exists(host_to, error)) {
    fs::permissions(host_to, fs::perms::owner_write, fs::perm_options::add, error);
  }
  if (const platform::Status failure = CopyBytes(*host_from, host_to); failure != platform::kSuccess) {
    fs::remove(host_to, error);  // no partial copy stays behind
    return Fail("CopyFile", what, failure);
  }
  // A copy from read-only media stays replaceable.
  fs::permissions(host_to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
  Trace("CopyFile " + what + " -> copied");
  return {};
}

common::Result<std::uint32_t> Machine::GetSystemDirectoryA(platform::AnsiString& buffer) {
  const std::string folder = EncodeWindows1252(system_folder_);
  if (folder.size() + 1 > buffer.size()) {
    Trace("GetSystemDirectoryA -> " + std::to_string(folder.size() + 1) + " (the buffer is too small)");
    return static_cast<std::uint32_t>(folder.size() + 1);
  }
  std::copy(folder.begin(), folder.end(), buffer.begin());
  buffer[folder.size()] = '\0';
  Trace("GetSystemDirectoryA -> " + Quoted(system_folder_));
  return static_cast<std::uint32_t>(folder.size());
}

common::Result<std::int16_t> Machine::DLLSelfRegister(const platform::AnsiString& path) {
  const std::u16string name = DecodeWindows1252(std::string_view(path.c_str()));
  // The library is found beside the program or in the system folder.
  const std::u16string program_folder = program_path_.substr(0, program_path_.rfind(u'\\'));
  if (!IsFile(program_folder + u"\\vb5stkit.dll") && !IsFile(system_folder_ + u"\\vb5stkit.dll")) {
    Trace("DLLSelfRegister " + Quoted(name) + " -> vb5stkit.dll cannot be loaded");
    return common::NumberedError(common::kErrorInLoadingDll);
  }
  // As vb5stkit.dll answers: 1 for no path, 2 for a file that cannot be loaded as a library (a
  // library image begins with "MZ"); a library is taken to register itself.
  std::u16string full;
  std::int16_t result = name.empty() ? 1 : 2;
  if (!name.empty() && Resolve(name, &full) == platform::kSuccess &&
      ReadableFileStatus(full) == platform::kSuccess) {
    char image[2] = {};
    std::ifstream(*HostPath(full), std::ios::binary).read(image, 2);
    if (image[0] == 'M' && image[1] == 'Z') result = 0;
  }
  registrations_.push_back({name, result, FolderOfDrive(current_drive_)});
  Trace("DLLSelfRegister " + Quoted(name) +
        (result == 0 ? " -> registered" : " -> fails (" + std::to_string(result) + ")"));
  return result;
}

}  // namespace sim
