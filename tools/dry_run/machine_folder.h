// tools/dry_run/: the dry-run product tolopen-sim, a user of the simulated machine's public
// interface (sim/ knows nothing of it): the machine kept in a folder (here), its registry file in
// every format Windows exports (registry_file.h: its reader, its writer), the change journal that sees from above the
// machine what a run changed (change_journal.h), and the trace (wrappers/tracing_platform.h).
//
// The dry run's machine as a folder: DIR/registry.reg is HKEY_CLASSES_ROOT, each one-letter
// subfolder is the drive of that letter (DIR/c is C:). Setting it up refuses, by name, whatever
// it cannot model faithfully: no path of the machine leads outside DIR.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/result.h"
#include "sim/machine.h"
#include "tools/dry_run/registry_file.h"

namespace dry_run {

struct MachineOptions {
  std::string folder;
  std::u16string program = u"D:\\tolOpen.exe";
  std::u16string argument;
  std::u16string current_folder;  // "" for the program's folder
  std::u16string system_folder = u"C:\\WINDOWS\\SYSTEM";
  bool system_folder_given = false;
  std::vector<std::pair<std::u16string, std::u16string>> environment;  // --env, in order
};

// The environment a Windows machine with this system folder has, as the trace states it.
std::vector<std::pair<std::u16string, std::u16string>> DerivedEnvironment(const std::u16string& system_folder);

// The machine's registry file: DIR/registry.reg.
std::string RegistryFilePath(const MachineOptions& options);

// Sets `machine` up from the folder and the options (a current folder not given becomes the
// program's); gives the registry file it read. A refusal's description is the message that
// names the input.
common::Result<RegistryFile> SetUpMachine(MachineOptions& options, sim::Machine& machine);

}  // namespace dry_run
