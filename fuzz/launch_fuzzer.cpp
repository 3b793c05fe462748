// Fuzz target: the command-line argument text through the whole start-up to the started
// command line. The first byte picks the registered open command, the rest is the argument
// (UTF-8). Main returns, leaves nothing open and sets the drive and folder back; a started
// command line begins with the registered program.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "common/platform.h"
#include "common/utf8.h"
#include "sim/code_page.h"
#include "sim/machine.h"
#include "start/built_options.h"
#include "start/main.h"
#include "tests/support/course.h"

namespace {

const char16_t* const kOpenCommands[] = {
    u"C:\\viewer.exe -nohome",
    u"C:\\viewer.exe \"%1\"",
    u"C:\\viewer.exe %1 %*",
    u"\"C:\\viewer.exe\" %L",
    u"",
};

// The machine's drives C: and D:, made once per process: the viewer C:\viewer.exe, the course on D:.
const std::filesystem::path& MachineFolder() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tolopen-fuzz-" + std::to_string(::getpid()));
    tests::MakeCourseFiles(path);
    return path;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::u16string open_command = kOpenCommands[data[0] % (sizeof kOpenCommands / sizeof kOpenCommands[0])];
  sim::Machine machine;
  machine.MapDrive(u'c', (MachineFolder() / "c").string());
  machine.MapDrive(u'd', (MachineFolder() / "d").string());
  machine.SetCurrentFolder(u"D:\\");
  tests::RegisterViewer(machine, open_command);
  machine.SetCommandLineArgument(common::FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1)));
  {
    const platform::ScopedPlatform installed(machine);
    mdlMain::Main(mdlMain::kBuiltOptions);
  }
  if (!machine.LeftOpen().empty()) std::abort();
  if (machine.CurrentDrive() != u'D' || machine.FolderOfDrive(u'D') != u"D:\\") std::abort();
  for (const sim::StartedProcess& process : machine.StartedProcesses()) {
    const std::u16string program = open_command.empty() ? u"" : open_command.substr(0, open_command.find(u' '));
    if (process.command_line.compare(0, program.size(), program) != 0) std::abort();
  }
  return 0;
}
