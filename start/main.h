// mdlMain (start/): the launcher's whole run, and the start-up options it runs with. The routines
// are written once for every build: a build's options are values (start/startup_options.h), and
// only a program's entry knows which backend and which options it runs with.
#pragma once

#include <string>

#include "start/startup_options.h"

namespace mdlMain {

// Opens the document named on the command line, or "index.html", from the program folder in
// the viewer that HKEY_CLASSES_ROOT registers for its type, after the options' start-up tasks
// have run. Never fails: every failing statement is skipped and the launch goes on.
void Main(const StartupOptions& options);

// The launcher's two lookups under HKEY_CLASSES_ROOT: the extension's file type ("." included),
// then the command that opens that type. A failing lookup is skipped under the resume-next trap:
// its output keeps what it had.
void LookUpViewer(const std::u16string& extension, std::u16string& file_type, std::u16string& open_command);

}  // namespace mdlMain
