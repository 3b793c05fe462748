// sim/: a Windows machine modelled in memory, the platform backend of the host tests and of the
// dry-run tool: the registry's HKEY_CLASSES_ROOT, drives mapped to host folders, the running
// program, the ANSI code page (Windows-1252), the environment, and what the run started.
//
// The machine answers calls, as the Windows it models would: the conformance suite holds it to
// the Win32 backend under Wine. Besides its state it keeps what Windows would leave no trace of
// but the tests and the dry run read: the processes it started, the registrations it played,
// each key creation's parameters and the access each open asked for. Everything else stands
// around it as a wrapper or a user of its public interface: planted faults and the call log
// (wrappers/faulting_platform.h), the trace (wrappers/tracing_platform.h), and the dry run's
// registry files and change journal (tools/dry_run/).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/platform.h"
#include "common/platform_operations.h"
#include "sim/registry_tree.h"

namespace sim {

// The smallest file that the machine starts as a program: the signatures of a PE image.
std::string ProgramImageStandIn();

// The file that the Flash control's class key names in those classes (its InprocServer32's
// default value, up to its NUL), or nothing when they have no such key or value.
std::optional<std::u16string> RegisteredServer(const MergedClasses& classes);
inline std::optional<std::u16string> RegisteredServer(RegistryNode& classes) {
  return RegisteredServer({classes, nullptr});
}

struct Registration {
  std::u16string path;  // as DLLSelfRegister received it, after the ANSI code page
  std::int16_t result = 0;  // vb5stkit.dll's answer: 0 registered, 5 registered for the user
  std::u16string folder;  // the current folder that the registration ran in
  bool for_user = false;  // the machine refused, and the control registered itself for the user
};

struct StartedProcess {
  std::u16string command_line;  // as the new process receives it
  int window_style = 0;
};

class Machine final : public platform::Platform {
 public:
  Machine();

  // --- Setting the machine up ---
  // The machine's classes (HKEY_LOCAL_MACHINE\Software\Classes).
  RegistryNode& ClassesRoot() { return classes_root_; }
  // The current user's classes (HKEY_CURRENT_USER\Software\Classes, created when missing): what
  // a run registers for the user alone. HKEY_CLASSES_ROOT shows a key of theirs over the
  // machine's of the same path.
  RegistryNode& UserClasses();
  // HKEY_CLASSES_ROOT: the user's classes over the machine's.
  MergedClasses Classes() { return {classes_root_, UserClassesIfAny()}; }
  // Drive `letter` (A-Z, either case) shows the host folder `host_folder`.
  void MapDrive(char16_t letter, std::string host_folder);
  // The running executable's full path, for example "D:\tolOpen.exe".
  void SetProgramPath(std::u16string path) { program_path_ = std::move(path); }
  void SetCommandLineArgument(std::u16string text) { argument_ = std::move(text); }
  // The folder that GetSystemDirectoryA reports (default C:\WINDOWS\SYSTEM).
  void SetSystemFolder(std::u16string path) { system_folder_ = std::move(path); }
  // Makes the drive of a full folder path current, with that folder as its current folder.
  void SetCurrentFolder(const std::u16string& path);
  // A drive on read-only media (a CD): nothing on it can be created or replaced.
  void SetReadOnlyDrive(char16_t letter);
  // Another program holds the file open without sharing: it cannot be read or replaced.
  void LockFile(const std::u16string& path);
  // Another program reads the file and shares it for reading only: it can be read, not replaced.
  void HoldForReading(const std::u16string& path);
  void SetEnvironmentVariable(const std::u16string& name, std::u16string value);
  // A limited user (a standard user, or an administrator whose program was not elevated): the
  // machine's classes refuse every open and creation that asks for more than reading, and the
  // system folder every folder and file made or replaced (ERROR_ACCESS_DENIED); the user's
  // classes take both.
  void SetLimitedUser(bool limited) { limited_user_ = limited; }
  // Every control's DllRegisterServer reports a failure (E_ACCESSDENIED), also for the user.
  void SetServerRefuses(bool refuses) { server_refuses_ = refuses; }

  // --- Observing it ---
  // The creations that RegCreateKeyExA was asked for, in order, with what they were given.
  struct KeyCreation {
    std::u16string path;
    std::u16string key_class;
    std::uint32_t options;
    std::uint32_t access;
    bool inherit_handle;
  };
  const std::vector<KeyCreation>& KeyCreations() const { return key_creations_; }
  // The access that each RegOpenKeyExA asked for, in order.
  const std::vector<std::uint32_t>& KeyOpenAccesses() const { return key_open_accesses_; }
  const std::vector<StartedProcess>& StartedProcesses() const { return started_; }
  // The handles that calls left open, as "2 key(s) left open; " ("" when none is).
  std::string LeftOpen() const {
    std::string left;
    if (!open_keys_.empty()) left += std::to_string(open_keys_.size()) + " key(s) left open; ";
    if (!open_files_.empty()) left += std::to_string(open_files_.size()) + " file(s) left open; ";
    return left;
  }
  const std::vector<Registration>& Registrations() const { return registrations_; }
  char16_t CurrentDrive() const { return current_drive_; }
  // The current folder of a drive, whether it is the current drive or not.
  std::u16string FolderOfDrive(char16_t letter) const;
  // Where a Windows path lies on the host, or nothing when its drive is not mapped or the path
  // would lead outside the drive's folder. Windows paths are split at "\\" and "/".
  std::optional<std::string> HostPath(const std::u16string& windows_path) const;

  // --- The platform operations ---
#define TOLOPEN_OPERATION TOLOPEN_OVERRIDE_DECLARATION
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION

 private:
  // Where a key path below a root lies: the key (null when missing), whether it is one of the
  // machine's classes, and whether the root is a key at all.
  struct KeyPlace {
    RegistryNode* node;
    bool machine_wide;
    bool root_valid;
  };
  KeyPlace Find(platform::KeyHandle root, const std::vector<std::u16string>& names);
  platform::KeyHandle Open(RegistryNode* node, bool machine_wide);
  RegistryNode* UserClassesIfAny();
  bool WriteServerKey(const std::u16string& file, bool for_user);
  // The file that a command line starts, found as CreateProcess finds it, or a status.
  platform::Status FindProgram(const std::u16string& command_line) const;
  std::vector<std::u16string> ProgramSearchFolders() const;
  // ERROR_SUCCESS for a file Windows starts as a program, else ERROR_BAD_EXE_FORMAT.
  platform::Status ProgramImageStatus(const std::u16string& full) const;
  bool IsFile(const std::u16string& windows_path) const;
  bool IsFolder(const std::u16string& windows_path) const;
  // The full path ("C:\A\B", "C:\") of a path, relative ones taken from the current
  // folders; a status when it names no place on a mapped drive.
  platform::Status Resolve(const std::u16string& path, std::u16string* full) const;
  bool IsReadOnly(const std::u16string& full) const;
  bool IsLocked(const std::u16string& full) const;
  // A status for a file that cannot be read (0 when it can).
  platform::Status ReadableFileStatus(const std::u16string& full) const;

  RegistryNode classes_root_;
  std::map<char16_t, std::string> drives_;
  std::map<char16_t, std::string> canonical_drives_;  // the same folders, resolved once
  std::u16string program_path_ = u"D:\\tolOpen.exe";
  std::u16string argument_;
  std::u16string system_folder_ = u"C:\\WINDOWS\\SYSTEM";
  char16_t current_drive_ = u'C';
  std::map<char16_t, std::u16string> drive_folders_;  // drives whose folder is not the root
  std::vector<char16_t> read_only_drives_;
  std::vector<std::u16string> locked_files_;  // full paths, case folded
  std::vector<std::u16string> read_held_files_;  // the same
  std::map<int, std::u16string> open_files_;
  int next_file_ = 1;
  std::vector<Registration> registrations_;
  std::vector<KeyCreation> key_creations_;
  std::vector<std::uint32_t> key_open_accesses_;
  bool limited_user_ = false;
  bool server_refuses_ = false;
  RegistryNode current_user_;  // HKEY_CURRENT_USER
  std::map<std::u16string, std::pair<std::u16string, std::u16string>> environment_;

  struct OpenKey {
    RegistryNode* node;
    bool machine_wide;
  };
  std::map<platform::KeyHandle, OpenKey> open_keys_;
  platform::KeyHandle next_key_ = 0x1000;

  std::vector<StartedProcess> started_;
};

}  // namespace sim
