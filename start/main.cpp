#include "start/main.h"

#include <string>

#include "common/error_trap.h"
#include "common/platform.h"
#include "common/text.h"
#include "registry/registry.h"
#include "start/document.h"

namespace mdlMain {

namespace {

using common::ResumeNext;
using common::ResumeNextTest;

platform::Platform& Os() { return platform::Current(); }

}  // namespace

void LookUpViewer(const std::u16string& extension, std::u16string& file_type, std::u16string& open_command) {
  std::u16string key_path = extension + u"\\";
  ResumeNext(mdlRegistry::GetRegistryValue(platform::kClassesRoot, key_path, u"", file_type, u""));
  key_path = file_type + u"\\shell\\open\\command";
  ResumeNext(mdlRegistry::GetRegistryValue(platform::kClassesRoot, key_path, u"", open_command, u""));
}

void Main(const StartupOptions& options) {
  common::InstallErrorTrap();  // resume next: a failing statement is skipped

  std::u16string document;
  std::u16string extension;
  std::u16string file_type;
  std::u16string open_command;

  // The document: the argument text, else the course's start page.
  ResumeNext(document, Os().CommandLineArgument());
  document = WithoutEnclosingQuotes(document);
  if (document.empty()) document = u"index.html";
  extension = ExtensionOf(document);

  // Its type, and the command that opens that type.
  LookUpViewer(extension, file_type, open_command);

  // The document lies relative to the program folder, unless it names its own location.
  if (!IsAbsolutePath(document)) {
    const auto folder_with = [&](const char16_t* separator) {
      return Os().ProgramFolder().Map(
          [&](const std::u16string& folder) { return folder + separator + document; });
    };
    if (ResumeNextTest(Os().ProgramFolder().Map(
            [](const std::u16string& folder) { return !common::EndsWith(folder, u'\\'); }))) {
      ResumeNext(document, folder_with(u"\\"));
    } else {
      ResumeNext(document, folder_with(u""));
    }
  }

  // Start-up tasks: the viewer starts only after they have run.
  if (options.install_flash_control != nullptr) options.install_flash_control(options);
  if (options.register_file_type != nullptr) options.register_file_type(options);

  ResumeNext(Os().StartProcess(LaunchCommandLine(open_command, document),
                               platform::kNormalFocusWindow));
}

}  // namespace mdlMain
