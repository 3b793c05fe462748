// tolopen-sim: runs the launcher's real Main on a simulated machine kept in a folder, and
// prints every platform operation it makes, in order.
//
//   tolopen-sim --machine DIR [--program WINPATH] [--argument TEXT]
//               [--current-folder WINPATH] [--system-folder WINPATH] [--standard-user]
//
// DIR/registry.reg is HKEY_CLASSES_ROOT (REGEDIT4); each one-letter subfolder of DIR is the
// drive of that letter (DIR/c is C:, DIR/d is D:). registry.reg may be a REGEDIT4 file or one
// that Windows exports ("Windows Registry Editor Version 5.00", UTF-16 or UTF-8); a run that
// changes the registry adds what it changed to it. No path of the machine leads outside DIR.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/platform.h"
#include "vb5stkit/self_registration.h"
#include "common/text.h"
#include "common/utf8.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "start/built_options.h"
#include "start/main.h"
#include "tools/dry_run/change_journal.h"
#include "tools/dry_run/machine_folder.h"
#include "tools/dry_run/registry_file.h"
#include "wrappers/display_text.h"
#include "wrappers/tracing_platform.h"

namespace {

constexpr const char kUsage[] =
    "usage: tolopen-sim --machine DIR [--program WINPATH] [--argument TEXT]\n"
    "                   [--current-folder WINPATH] [--system-folder WINPATH] [--env NAME=VALUE]...\n"
    "                   [--standard-user] [--lookups]\n"
    "  --machine DIR             the machine: DIR/registry.reg and one folder per drive (DIR/c, DIR/d)\n"
    "  --program WINPATH         the launcher's path on the machine (default D:\\tolOpen.exe)\n"
    "  --argument TEXT           the command-line argument text (default: none)\n"
    "  --current-folder WINPATH  the current drive and folder at start (default: the program's folder)\n"
    "  --system-folder WINPATH   the Windows system folder (default C:\\WINDOWS\\SYSTEM)\n"
    "  --env NAME=VALUE          an environment variable; SystemRoot, windir, SystemDrive, ProgramFiles,\n"
    "                            ProgramFiles(x86) and CommonProgramFiles are derived from the system folder\n"
    "  --standard-user           run as a standard user (or an administrator not elevated): the machine's\n"
    "                            classes and the system folder refuse writes, the user's classes take them\n"
    "  --lookups                 instead of a run: for every extension of the registry, the file type and\n"
    "                            open command that the launcher's two lookups give (tab-separated), and the\n"
    "                            file that the Flash control's class key names\n";

// For every extension of the classes root, what the launcher's two lookups give.
void PrintLookups(sim::Machine& machine) {
  const platform::ScopedPlatform installed(machine);
  for (const std::u16string& extension : machine.Classes().TopKeyNames()) {
    if (extension.empty() || extension[0] != u'.') continue;
    std::u16string file_type;
    std::u16string open_command;
    mdlMain::LookUpViewer(extension, file_type, open_command);
    std::printf("%s\t%s\t%s\n", wrappers::ShownLine(common::ToUtf8(extension)).c_str(),
                wrappers::ShownLine(common::ToUtf8(file_type)).c_str(),
                wrappers::ShownLine(common::ToUtf8(open_command)).c_str());
  }
  if (const auto control = sim::RegisteredServer(machine.Classes())) {
    std::printf("%s\tthe Flash control\t%s\n", common::ToUtf8(vb5stkit::kFlashClassKey).c_str(),
                wrappers::ShownLine(common::ToUtf8(*control)).c_str());
  }
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tolopen-sim: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

struct Arguments {
  dry_run::MachineOptions machine;
  bool lookups = false;
  bool standard_user = false;
};

// The command line, or the usage error that it makes (exit status 2); --help prints the usage.
int ParseArguments(int argc, char** argv, Arguments& arguments) {
  dry_run::MachineOptions& options = arguments.machine;
  bool have_machine = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (option == "--lookups" || option == "--standard-user") {
      (option == "--lookups" ? arguments.lookups : arguments.standard_user) = true;
      continue;
    }
    if (option != "--machine" && option != "--program" && option != "--argument" &&
        option != "--current-folder" && option != "--system-folder" && option != "--env") {
      return Usage("unknown option '" + option + "'");
    }
    if (i + 1 >= argc) return Usage(option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--machine") {
      options.folder = value;
      have_machine = true;
    } else if (option == "--program") {
      options.program = common::FromUtf8(value);
    } else if (option == "--current-folder") {
      options.current_folder = common::FromUtf8(value);
    } else if (option == "--env") {
      const std::size_t equals = value.find('=');
      if (equals == 0 || equals == std::string::npos) return Usage("--env takes NAME=VALUE, not '" + value + "'");
      options.environment.emplace_back(common::FromUtf8(value.substr(0, equals)), common::FromUtf8(value.substr(equals + 1)));
    } else if (option == "--system-folder") {
      options.system_folder = common::FromUtf8(value);
      options.system_folder_given = true;
    } else {
      options.argument = common::FromUtf8(value);
    }
  }
  if (!have_machine) return Usage("--machine is required");
  if (!common::IsDrivePath(options.program) || options.program.back() == u'\\') {
    return Usage("--program must be a file's full path on a drive, such as D:\\tolOpen.exe");
  }
  if (!options.current_folder.empty() && !common::IsDrivePath(options.current_folder)) {
    return Usage("--current-folder must be a full path on a drive, such as D:\\");
  }
  if (!common::IsDrivePath(options.system_folder)) {
    return Usage("--system-folder must be a full path on a drive, such as C:\\WINDOWS\\SYSTEM");
  }
  return 0;
}

void PrintLine(const std::string& line) { std::printf("%s\n", wrappers::ShownLine(line).c_str()); }

// The environment the run assumed and the one it was given, as the trace's first lines.
void TraceEnvironment(const dry_run::MachineOptions& options) {
  for (const auto& [name, value] : dry_run::DerivedEnvironment(options.system_folder)) {
    bool given = false;
    for (const auto& option : options.environment) given = given || sim::FoldCase(option.first) == sim::FoldCase(name);
    if (!given) PrintLine("Environment " + common::ToUtf8(name) + "=" + common::ToUtf8(value) + " (assumed)");
  }
  for (const auto& [name, value] : options.environment) {
    PrintLine("Environment " + common::ToUtf8(name) + "=" + common::ToUtf8(value) + " (given)");
  }
}

// Where the run's registrations of the control landed, as the trace's last lines.
void TraceRegistrations(sim::Machine& machine) {
  for (const sim::Registration& registration : machine.Registrations()) {
    if (!vb5stkit::RegisteredItself(registration.result)) continue;
    PrintLine("Registered " + common::ToUtf8(registration.path) +
              (registration.for_user ? " for the current user: HKEY_CURRENT_USER\\Software\\Classes\\"
                                     : " for every user: HKEY_LOCAL_MACHINE\\Software\\Classes\\") +
              common::ToUtf8(vb5stkit::kFlashClassKey) + "\\InprocServer32");
  }
}

int Refuse(const common::NumberedError& problem, int status) {
  std::fprintf(stderr, "tolopen-sim: %s\n", common::ToUtf8(problem.Description()).c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (const int usage_error = ParseArguments(argc, argv, arguments); usage_error != 0) return usage_error;
  dry_run::MachineOptions& options = arguments.machine;

  sim::Machine machine;
  common::Result<dry_run::RegistryFile> file = dry_run::SetUpMachine(options, machine);
  if (!file) return Refuse(file.Error(), 2);
  machine.SetLimitedUser(arguments.standard_user);
  if (arguments.lookups) {
    PrintLookups(machine);
    std::exit(0);
  }

  // The run sees the machine through the change journal, and the trace sees every call.
  TraceEnvironment(options);
  dry_run::ChangeJournal journal(machine);
  wrappers::TracingPlatform tracing(journal, [](const std::string& line) { std::printf("%s\n", line.c_str()); });
  {
    const platform::ScopedPlatform installed(tracing);
    mdlMain::Main(mdlMain::kBuiltOptions);
  }
  TraceRegistrations(machine);

  // A run that changed nothing leaves the file as it was, byte for byte; one that did adds
  // just what it created or changed, in the file's own format and encoding. The machine's tree
  // is not taken apart at the end (std::exit): for an exported registry that takes a while.
  if (journal.Changes().empty()) std::exit(0);
  const common::Outcome saved = dry_run::SaveChanges(dry_run::RegistryFilePath(options), file.Value(), machine.Classes(), journal.Changes());
  if (!saved) std::exit(Refuse(saved.Error(), 1));
  std::exit(0);
}
