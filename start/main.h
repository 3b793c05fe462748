// mdlMain: the launcher's whole run.
#pragma once

#include "start/startup_options.h"

namespace mdlMain {

// Opens the document named on the command line, or "index.html", from the program folder in
// the viewer that HKEY_CLASSES_ROOT registers for its type, after the options' start-up tasks
// have run. Never fails: every failing statement is skipped and the launch goes on.
void Main(const StartupOptions& options);

}  // namespace mdlMain
