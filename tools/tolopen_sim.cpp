// tolopen-sim: runs the launcher's real Main on a simulated machine kept in a folder, and
// prints every platform operation it makes, in order.
//
//   tolopen-sim --machine DIR [--program WINPATH] [--argument TEXT]
//               [--current-folder WINPATH] [--system-folder WINPATH]
//
// DIR/registry.reg is HKEY_CLASSES_ROOT (REGEDIT4); each one-letter subfolder of DIR is the
// drive of that letter (DIR/c is C:, DIR/d is D:). registry.reg may be a REGEDIT4 file or one
// that Windows exports ("Windows Registry Editor Version 5.00", UTF-16 or UTF-8); a run that
// changes the registry adds what it changed to it. No path of the machine leads outside DIR.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/platform.h"
#include "common/text.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "sim/machine_helpers.h"
#include "sim/registry_file.h"
#include "registry/registry.h"
#include "start/built_options.h"
#include "start/main.h"

namespace {

namespace fs = std::filesystem;

constexpr const char kUsage[] =
    "usage: tolopen-sim --machine DIR [--program WINPATH] [--argument TEXT]\n"
    "                   [--current-folder WINPATH] [--system-folder WINPATH] [--env NAME=VALUE]...\n"
    "                   [--lookups]\n"
    "  --machine DIR             the machine: DIR/registry.reg and one folder per drive (DIR/c, DIR/d)\n"
    "  --program WINPATH         the launcher's path on the machine (default D:\\tolOpen.exe)\n"
    "  --argument TEXT           the command-line argument text (default: none)\n"
    "  --current-folder WINPATH  the current drive and folder at start (default: the program's folder)\n"
    "  --system-folder WINPATH   the Windows system folder (default C:\\WINDOWS\\SYSTEM)\n"
    "  --env NAME=VALUE          an environment variable; SystemRoot, windir, SystemDrive, ProgramFiles,\n"
    "                            ProgramFiles(x86) and CommonProgramFiles are derived from the system folder\n"
    "  --lookups                 instead of a run: for every extension of the registry, the file type and\n"
    "                            open command that the launcher's two lookups give (tab-separated)\n";

struct Options {
  std::string machine;
  std::u16string program = u"D:\\tolOpen.exe";
  std::u16string argument;
  std::u16string current_folder;  // "" for the program's folder
  std::u16string system_folder = u"C:\\WINDOWS\\SYSTEM";
  bool system_folder_given = false;
  std::vector<std::pair<std::u16string, std::u16string>> environment;  // --env, in order
  bool lookups = false;
};

// For every extension of the classes root, what the launcher's two lookups give.
void PrintLookups(sim::Machine& machine) {
  const platform::ScopedPlatform installed(machine);
  for (const auto& entry : machine.ClassesRoot().Subkeys()) {
    const std::u16string& extension = entry.second->Name();
    if (extension.empty() || extension[0] != u'.') continue;
    std::u16string file_type;
    std::u16string open_command;
    static_cast<void>(mdlRegistry::GetRegistryValue(platform::kClassesRoot, extension + u"\\", u"", file_type, u""));
    static_cast<void>(mdlRegistry::GetRegistryValue(platform::kClassesRoot, file_type + u"\\shell\\open\\command",
                                                    u"", open_command, u""));
    std::printf("%s\t%s\t%s\n", sim::ShownLine(sim::ToUtf8(extension)).c_str(),
                sim::ShownLine(sim::ToUtf8(file_type)).c_str(), sim::ShownLine(sim::ToUtf8(open_command)).c_str());
  }
}

// The environment a Windows machine with this system folder has, as the trace states it.
std::vector<std::pair<std::u16string, std::u16string>> DerivedEnvironment(const std::u16string& system_folder) {
  std::u16string root = system_folder;
  while (root.size() > 3 && root.back() == u'\\') root.pop_back();
  root = root.substr(0, std::max<std::size_t>(root.rfind(u'\\'), 3));
  if (root.size() > 3 && root.back() == u'\\') root.pop_back();
  const std::u16string drive = system_folder.substr(0, 2);
  return {{u"SystemRoot", root},
          {u"windir", root},
          {u"SystemDrive", drive},
          {u"ProgramFiles", drive + u"\\Program Files"},
          {u"ProgramFiles(x86)", drive + u"\\Program Files (x86)"},
          {u"CommonProgramFiles", drive + u"\\Program Files\\Common Files"}};
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tolopen-sim: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

// A full path on a drive: "D:\\..." (the drive letter, a colon and a backslash).
bool IsDrivePath(const std::u16string& path) {
  return common::HasDriveLetter(path) && path.size() >= 3 && path[2] == u'\\';
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool have_machine = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (option == "--lookups") {
      options.lookups = true;
      continue;
    }
    if (option != "--machine" && option != "--program" && option != "--argument" &&
        option != "--current-folder" && option != "--system-folder" && option != "--env") {
      return Usage("unknown option '" + option + "'");
    }
    if (i + 1 >= argc) return Usage(option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--machine") {
      options.machine = value;
      have_machine = true;
    } else if (option == "--program") {
      options.program = sim::FromUtf8(value);
    } else if (option == "--current-folder") {
      options.current_folder = sim::FromUtf8(value);
    } else if (option == "--env") {
      const std::size_t equals = value.find('=');
      if (equals == 0 || equals == std::string::npos) return Usage("--env takes NAME=VALUE, not '" + value + "'");
      options.environment.emplace_back(sim::FromUtf8(value.substr(0, equals)), sim::FromUtf8(value.substr(equals + 1)));
    } else if (option == "--system-folder") {
      options.system_folder = sim::FromUtf8(value);
      options.system_folder_given = true;
    } else {
      options.argument = sim::FromUtf8(value);
    }
  }
  if (!have_machine) return Usage("--machine is required");
  if (!IsDrivePath(options.program) || options.program.back() == u'\\') {
    return Usage("--program must be a file's full path on a drive, such as D:\\tolOpen.exe");
  }
  if (options.current_folder.empty()) {
    options.current_folder = options.program.substr(0, options.program.rfind(u'\\') + 1);
  }
  if (!IsDrivePath(options.current_folder)) {
    return Usage("--current-folder must be a full path on a drive, such as D:\\");
  }
  if (!IsDrivePath(options.system_folder)) {
    return Usage("--system-folder must be a full path on a drive, such as C:\\WINDOWS\\SYSTEM");
  }

  std::error_code error;
  if (!fs::is_directory(options.machine, error)) {
    std::fprintf(stderr, "tolopen-sim: the machine folder '%s' %s\n", options.machine.c_str(),
                 fs::exists(options.machine, error) ? "is no folder" : "does not exist");
    return 2;
  }
  const fs::path machine_folder = fs::canonical(options.machine, error);
  const std::string registry_file = (fs::path(options.machine) / "registry.reg").string();

  sim::Machine machine;
  sim::RegistryFile file;
  try {
    file = sim::LoadRegistryFile(registry_file);
    machine.ClassesRoot() = std::move(file.classes_root);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolopen-sim: %s\n", e.what());
    return 2;
  }
  // Each one-letter folder is a drive. A drive folder that is a link is followed only to a folder
  // inside the machine; two folders of one letter ("c" and "C") are refused, as a guess would
  // pick one of them silently.
  std::map<char, std::string> drive_names;
  for (const fs::directory_entry& entry : fs::directory_iterator(options.machine, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != 1 || !std::isalpha(static_cast<unsigned char>(name[0]))) continue;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (entry.is_symlink(error)) {
      const fs::path target = fs::canonical(entry.path(), error);
      const fs::path relative = target.lexically_relative(machine_folder);
      if (error || relative.empty() || *relative.begin() == "..") {
        std::fprintf(stderr, "tolopen-sim: the drive folder '%s' is a link that leads %s the machine folder\n",
                     entry.path().string().c_str(), error ? "nowhere inside" : "outside");
        return 2;
      }
    }
    if (!entry.is_directory(error)) continue;
    if (const auto other = drive_names.find(letter); other != drive_names.end()) {
      std::fprintf(stderr, "tolopen-sim: the folders '%s' and '%s' are both drive %c: keep one\n",
                   other->second.c_str(), name.c_str(), letter);
      return 2;
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
      {"--program", options.program.substr(0, options.program.rfind(u'\\') + 1), true},
      {"--current-folder", options.current_folder, true},
      {options.system_folder_given ? "--system-folder" : "the system folder (--system-folder's default)",
       options.system_folder, false},
  };
  for (const auto& place : places) {
    const auto host = machine.HostPath(place.folder);
    const std::string shown = sim::ToUtf8(place.folder);
    if (!host) {
      std::fprintf(stderr, "tolopen-sim: %s '%s' is on no drive of the machine (no folder '%c' in '%s'), or leads outside it\n",
                   place.option.c_str(), shown.c_str(), static_cast<char>(std::tolower(place.folder[0])),
                   options.machine.c_str());
      return 2;
    }
    if (place.must_exist && !fs::is_directory(*host, error)) {
      std::fprintf(stderr, "tolopen-sim: %s '%s': the machine has no such folder\n", place.option.c_str(), shown.c_str());
      return 2;
    }
  }
  machine.SetProgramPath(options.program);
  machine.SetCommandLineArgument(options.argument);
  machine.SetSystemFolder(options.system_folder);
  machine.SetCurrentFolder(options.current_folder);
  for (const auto& [name, value] : DerivedEnvironment(options.system_folder)) machine.SetEnvironmentVariable(name, value);
  for (const auto& [name, value] : options.environment) machine.SetEnvironmentVariable(name, value);
  if (options.lookups) {
    PrintLookups(machine);
    std::exit(0);
  }
  machine.SetTrace([](const std::string& line) { std::printf("%s\n", line.c_str()); });
  for (const auto& [name, value] : DerivedEnvironment(options.system_folder)) {
    bool given = false;
    for (const auto& option : options.environment) given = given || sim::FoldCase(option.first) == sim::FoldCase(name);
    if (!given) std::printf("%s\n", sim::ShownLine("Environment " + sim::ToUtf8(name) + "=" + sim::ToUtf8(value) + " (assumed)").c_str());
  }
  for (const auto& [name, value] : options.environment) {
    std::printf("%s\n", sim::ShownLine("Environment " + sim::ToUtf8(name) + "=" + sim::ToUtf8(value) + " (given)").c_str());
  }

  {
    const platform::ScopedPlatform installed(machine);
    mdlMain::Main(mdlMain::kBuiltOptions);
  }

  // A run that changed nothing leaves the file as it was, byte for byte; one that did adds
  // just what it created or changed, in the file's own format and encoding. The machine's tree
  // is not taken apart at the end (std::exit): for an exported registry that takes a while.
  if (machine.RegistryChanges().empty()) std::exit(0);
  try {
    sim::SaveChanges(registry_file, file, machine.ClassesRoot(), machine.RegistryChanges());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolopen-sim: %s\n", e.what());
    std::exit(1);
  }
  std::exit(0);
}
