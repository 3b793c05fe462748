// A start-up task in a file of its own: a build that does not name it does not link it, nor the
// registry writes it rests on.
#include "filetype/filetype.h"
#include "start/startup_options.h"

namespace mdlMain {

void RegisterCourseFileTypeAtStart(const StartupOptions&) {
  mdlAsociace::RegisterFileType(u".tv1", u"Tolvex Ubra", u"tolDownload.exe");
}

}  // namespace mdlMain
