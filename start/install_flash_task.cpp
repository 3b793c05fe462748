// A start-up task in a file of its own: a build that does not name it does not link it.
#include "flash/flash.h"
#include "start/startup_options.h"

namespace mdlMain {

void InstallFlashControlAtStart(const StartupOptions& options) {
  mdlFlash::InstallFlashControl(options.control_file_names);
}

}  // namespace mdlMain
