#include "tools/dry_run/machine_folder.h"

#include <cctype>
#include <filesystem>
#include <map>

#include "common/utf8.h"
#include "sim/machine_helpers.h"

namespace dry_run {

namespace fs = std::filesystem;

// The environment a Windows machine with this system folder has, as the trace states it.
std::vector<std::pair<std::u16string, std::u16string>> DerivedEnvironment(const std::u16string& system_folder) {
  std::u16string system = system_folder;
  while (system.size() > 3 && system.back() == u'\\') system.pop_back();
  const std::u16string root = sim::ParentOf(system);
  const std::u16string drive = system_folder.substr(0, 2);
  return {{u"SystemRoot", root},
          {u"windir", root},
          {u"SystemDrive", drive},
          {u"ProgramFiles", drive + u"\\Program Files"},
          {u"ProgramFiles(x86)", drive + u"\\Program Files (x86)"},
          {u"CommonProgramFiles", drive + u"\\Program Files\\Common Files"}};
}

std::string RegistryFilePath(const MachineOptions& options) {
  return (fs::path(options.folder) / "registry.reg").string();
}

common::Result<RegistryFile> SetUpMachine(MachineOptions& options, sim::Machine& machine) {
  const std::u16string program_folder = options.program.substr(0, options.program.rfind(u'\\') + 1);
  if (options.current_folder.empty()) options.current_folder = program_folder;
  std::error_code error;
  if (!fs::is_directory(options.folder, error)) {
    return FileProblem("the machine folder '" + options.folder + "' " +
                       (fs::exists(options.folder, error) ? "is no folder" : "does not exist"));
  }
  const fs::path machine_folder = fs::canonical(options.folder, error);
  common::Result<RegistryFile> file = LoadRegistryFile(RegistryFilePath(options));
  TOLOPEN_RETURN_IF_FAILED(file);
  RegistryFile loaded = std::move(file).Value();
  machine.ClassesRoot() = std::move(loaded.machine_classes);
  machine.UserClasses() = std::move(loaded.user_classes);
  // Each one-letter folder is a drive. A drive folder that is a link is followed only to a folder
  // inside the machine; two folders of one letter ("c" and "C") are refused, as a guess would
  // pick one of them silently.
  std::map<char, std::string> drive_names;
  for (const fs::directory_entry& entry : fs::directory_iterator(options.folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != 1 || !std::isalpha(static_cast<unsigned char>(name[0]))) continue;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (entry.is_symlink(error)) {
      const fs::path target = fs::canonical(entry.path(), error);
      const fs::path relative = target.lexically_relative(machine_folder);
      if (error || relative.empty() || *relative.begin() == "..") {
        return FileProblem("the drive folder '" + entry.path().string() + "' is a link that leads " +
                           (error ? "nowhere inside" : "outside") + " the machine folder");
      }
    }
    if (!entry.is_directory(error)) continue;
    if (const auto other = drive_names.find(letter); other != drive_names.end()) {
      return FileProblem("the folders '" + other->second + "' and '" + name + "' are both drive " +
                         std::string(1, letter) + ": keep one");
    }
    drive_names[letter] = name;
    machine.MapDrive(static_cast<char16_t>(name[0]), entry.path().string());
  }
  // The places the options name lie on the machine, in folders that exist.
  const struct {
    std::string option;
    std::u16string folder;
    bool must_exist;  // the system folder may still be made by the run
  } places[] = {
      {"--program", program_folder, true},
      {"--current-folder", options.current_folder, true},
      {options.system_folder_given ? "--system-folder" : "the system folder (--system-folder's default)",
       options.system_folder, false},
  };
  for (const auto& place : places) {
    const auto host = machine.HostPath(place.folder);
    const std::string shown = common::ToUtf8(place.folder);
    if (!host) {
      return FileProblem(place.option + " '" + shown + "' is on no drive of the machine (no folder '" +
                         std::string(1, static_cast<char>(std::tolower(place.folder[0]))) + "' in '" + options.folder +
                         "'), or leads outside it");
    }
    if (place.must_exist && !fs::is_directory(*host, error)) {
      return FileProblem(place.option + " '" + shown + "': the machine has no such folder");
    }
  }
  machine.SetProgramPath(options.program);
  machine.SetCommandLineArgument(options.argument);
  machine.SetSystemFolder(options.system_folder);
  machine.SetCurrentFolder(options.current_folder);
  for (const auto& [name, value] : DerivedEnvironment(options.system_folder)) machine.SetEnvironmentVariable(name, value);
  for (const auto& [name, value] : options.environment) machine.SetEnvironmentVariable(name, value);
  return loaded;
}

}  // namespace dry_run
