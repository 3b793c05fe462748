// Fuzz target: the command-line argument text through the whole start-up to the started
// command line. The first byte picks the registered open command, the rest is the argument
// (UTF-8). Main returns, leaves nothing open and sets the drive and folder back; a started
// command line begins with the registered program.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/platform.h"
#include "fuzz/fuzz_machine.h"
#include "start/main.h"

namespace {

const char16_t* const kOpenCommands[] = {
    u"C:\\viewer.exe -nohome",
    u"C:\\viewer.exe \"%1\"",
    u"C:\\viewer.exe %1 %*",
    u"\"C:\\viewer.exe\" %L",
    u"",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::u16string open_command = kOpenCommands[data[0] % (sizeof kOpenCommands / sizeof kOpenCommands[0])];
  sim::Machine machine;
  fuzz::Prepare(machine);
  fuzz::SetText(machine, u".html", u"htmlfile");
  fuzz::SetText(machine, u"htmlfile\\shell\\open\\command", open_command);
  machine.SetCommandLineArgument(sim::FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1)));
  {
    const platform::ScopedPlatform installed(machine);
    mdlMain::Main();
  }
  if (machine.OpenKeyCount() != 0 || machine.OpenFileCount() != 0) std::abort();
  if (machine.CurrentDrive() != u'D' || machine.FolderOfDrive(u'D') != u"D:\\") std::abort();
  for (const sim::StartedProcess& process : machine.StartedProcesses()) {
    const std::u16string program = open_command.empty() ? u"" : open_command.substr(0, open_command.find(u' '));
    if (process.command_line.compare(0, program.size(), program) != 0) std::abort();
  }
  return 0;
}
