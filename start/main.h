// mdlMain: the launcher's whole run.
#pragma once

namespace mdlMain {

// Opens the document named on the command line, or "index.html", from the program folder in
// the viewer that HKEY_CLASSES_ROOT registers for its type, after the start-up tasks have run.
// Never fails: every failing statement is skipped and the launch goes on.
void Main();

}  // namespace mdlMain
