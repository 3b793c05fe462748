// What a build of the launcher does at start-up besides opening the document. The options are
// values that the program's entry hands to Main: fixed when it is built (start/built_options.h,
// from the build's TOLOPEN_* options, whose defaults are the delivered program's).
//
// A start-up task is named by its routine, not by a flag, so that a build links only the tasks
// it runs: the file-type registration and the registry writes it rests on are not in the
// delivered program, which is read from a CD at every start.
#pragma once

#include "flash/flash.h"

namespace mdlMain {

struct StartupOptions;
using StartupTask = void (*)(const StartupOptions& options);

struct StartupOptions {
  // Run in this order before the viewer starts; an absent task is skipped.
  StartupTask install_flash_control = nullptr;
  StartupTask register_file_type = nullptr;
  mdlFlash::ControlFileNames control_file_names;
};

// The tasks a build can name.
// Copies and registers the Flash control under the options' file names.
void InstallFlashControlAtStart(const StartupOptions& options);
// Registers the course file type ".tv1" ("Tolvex Ubra", opened by "tolDownload.exe").
void RegisterCourseFileTypeAtStart(const StartupOptions& options);

}  // namespace mdlMain
