// tolopen-sim: runs the launcher's real Main on a simulated machine kept in a folder, and
// prints every platform operation it makes, in order.
//
//   tolopen-sim --machine DIR [--program WINPATH] [--argument TEXT]
//               [--current-folder WINPATH] [--system-folder WINPATH]
//
// DIR/registry.reg is HKEY_CLASSES_ROOT (REGEDIT4); each one-letter subfolder of DIR is the
// drive of that letter (DIR/c is C:, DIR/d is D:). The registry is saved back after a run that
// changed it. No path of the machine leads outside DIR.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "common/platform.h"
#include "common/text.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "sim/regedit4.h"
#include "start/main.h"

namespace {

namespace fs = std::filesystem;

constexpr const char kUsage[] =
    "usage: tolopen-sim --machine DIR [--program WINPATH] [--argument TEXT]\n"
    "                   [--current-folder WINPATH] [--system-folder WINPATH]\n"
    "  --machine DIR             the machine: DIR/registry.reg and one folder per drive (DIR/c, DIR/d)\n"
    "  --program WINPATH         the launcher's path on the machine (default D:\\tolOpen.exe)\n"
    "  --argument TEXT           the command-line argument text (default: none)\n"
    "  --current-folder WINPATH  the current drive and folder at start (default: the program's folder)\n"
    "  --system-folder WINPATH   the Windows system folder (default C:\\WINDOWS\\SYSTEM)\n";

struct Options {
  std::string machine;
  std::u16string program = u"D:\\tolOpen.exe";
  std::u16string argument;
  std::u16string current_folder;  // "" for the program's folder
  std::u16string system_folder = u"C:\\WINDOWS\\SYSTEM";
};

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
    if (option != "--machine" && option != "--program" && option != "--argument" &&
        option != "--current-folder" && option != "--system-folder") {
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
    } else if (option == "--system-folder") {
      options.system_folder = sim::FromUtf8(value);
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
    std::fprintf(stderr, "tolopen-sim: the machine folder '%s' does not exist\n", options.machine.c_str());
    return 2;
  }
  const std::string registry_file = (fs::path(options.machine) / "registry.reg").string();

  sim::Machine machine;
  try {
    machine.ClassesRoot() = sim::LoadRegistryFile(registry_file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolopen-sim: %s\n", e.what());
    return 2;
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(options.machine, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0])) && entry.is_directory()) {
      machine.MapDrive(static_cast<char16_t>(name[0]), entry.path().string());
    }
  }
  // The places the options name lie on the machine, in folders that exist.
  const struct {
    const char* option;
    std::u16string folder;
  } places[] = {
      {"--program", options.program.substr(0, options.program.rfind(u'\\') + 1)},
      {"--current-folder", options.current_folder},
      {"--system-folder", options.system_folder},
  };
  for (const auto& place : places) {
    const auto host = machine.HostPath(place.folder);
    const std::string shown = sim::ToUtf8(place.folder);
    if (!host) {
      std::fprintf(stderr, "tolopen-sim: %s '%s' is on no drive of the machine, or leads outside it\n", place.option,
                   shown.c_str());
      return 2;
    }
    if (std::string(place.option) != "--system-folder" && !fs::is_directory(*host, error)) {
      std::fprintf(stderr, "tolopen-sim: %s '%s': the machine has no such folder\n", place.option, shown.c_str());
      return 2;
    }
  }
  machine.SetProgramPath(options.program);
  machine.SetCommandLineArgument(options.argument);
  machine.SetSystemFolder(options.system_folder);
  machine.SetCurrentFolder(options.current_folder);
  machine.SetTrace([](const std::string& line) { std::printf("%s\n", line.c_str()); });

  {
    const platform::ScopedPlatform installed(machine);
    mdlMain::Main();
  }

  // A run that wrote nothing leaves the file as it was, byte for byte.
  if (!machine.RegistryChanged()) return 0;
  try {
    sim::SaveRegistryFile(machine.ClassesRoot(), registry_file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolopen-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
