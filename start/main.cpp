#include "start/main.h"

#include <string>

#include "common/build_options.h"
#include "common/error_trap.h"
#include "common/platform.h"
#include "common/text.h"
#include "filetype/filetype.h"
#include "flash/flash.h"
#include "registry/registry.h"
#include "start/document.h"

namespace mdlMain {

namespace {

using common::ResumeNext;
using common::ResumeNextTest;

platform::Platform& Os() { return platform::Current(); }

}  // namespace

void Main() noexcept {
  common::InstallErrorTrap();  // resume next: a failing statement is skipped

  std::u16string document;
  std::u16string extension;
  std::u16string key_path;
  std::u16string file_type;
  std::u16string open_command;

  // The document: the argument text, else the course's start page.
  ResumeNext([&] { document = Os().CommandLineArgument(); });
  ResumeNext([&] { document = WithoutEnclosingQuotes(document); });
  if (ResumeNextTest([&] { return document.empty(); })) {
    ResumeNext([&] { document = u"index.html"; });
  }
  ResumeNext([&] { extension = ExtensionOf(document); });

  // Its type, and the command that opens that type.
  ResumeNext([&] { key_path = extension + u"\\"; });
  ResumeNext([&] {
    mdlRegistry::GetRegistryValue(platform::kClassesRoot, key_path, u"", file_type, u"");
  });
  ResumeNext([&] { key_path = file_type + u"\\shell\\open\\command"; });
  ResumeNext([&] {
    mdlRegistry::GetRegistryValue(platform::kClassesRoot, key_path, u"", open_command, u"");
  });

  // The document lies relative to the program folder, unless it names its own location.
  if (ResumeNextTest([&] { return !IsAbsolutePath(document); })) {
    if (ResumeNextTest([&] { return !common::EndsWith(Os().ProgramFolder(), u'\\'); })) {
      ResumeNext([&] { document = Os().ProgramFolder() + u"\\" + document; });
    } else {
      ResumeNext([&] { document = Os().ProgramFolder() + document; });
    }
  }

  // Start-up tasks: the viewer starts only after they have run.
  if (common::options::InstallFlashAtStart) mdlFlash::InstallFlashControl();
  if (common::options::RegisterFileTypeAtStart) {
    mdlAsociace::RegisterFileType(u".tv1", u"Tolvex Ubra", u"tolDownload.exe");
  }

  ResumeNext([&] {
    Os().StartProcess(LaunchCommandLine(open_command, document), platform::kNormalFocusWindow);
  });
}

}  // namespace mdlMain
