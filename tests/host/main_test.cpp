// Whole runs of the launcher on the simulated machine.
#include <gtest/gtest.h>

#include "start/main.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

// A machine where web pages open in C:\viewer.exe.
class LaunchMachine : public SimMachine {
 public:
  LaunchMachine() {
    SetText(u".html", u"htmlfile");
    SetText(u".htm", u"htmlfile");
    SetText(u"htmlfile\\shell\\open\\command", u"C:\\viewer.exe -nohome");
    CreateFile(u"C:\\viewer.exe");
  }

  // Runs Main; gives the command line of the process it started, or "(none)".
  std::string Launch(const std::u16string& argument = u"",
                  const std::u16string& program = u"D:\\tolOpen.exe") {
    machine_.SetCommandLineArgument(argument);
    machine_.SetProgramPath(program);
    const std::size_t before = machine_.StartedProcesses().size();
    mdlMain::Main();
    EXPECT_EQ(machine_.OpenKeyCount(), 0u) << "a key handle was left open";
    const auto& started = machine_.StartedProcesses();
    if (started.size() == before) return "(none)";
    EXPECT_EQ(started.size(), before + 1);
    EXPECT_EQ(started.back().window_style, 1);
    return Show(started.back().command_line);
  }
};

class MainTest : public ::testing::Test, public LaunchMachine {};

// A program folder at a drive root, which the conformance suite's discs cannot be on Wine.
TEST_F(MainTest, ProgramFolderAtADriveRoot) {
  const struct {
    std::u16string argument;
    std::u16string program;
    const char* expected;
  } cases[] = {
      {u"", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\index.html"},
      {u"docs\\intro.htm", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\docs\\intro.htm"},
      {u"", u"D:\\COURSE\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\COURSE\\index.html"},
  };
  for (const auto& c : cases) EXPECT_EQ(Launch(c.argument, c.program), c.expected) << Show(c.program);
}

// How CreateProcess finds a program whose path holds a blank, quoted or not.
TEST_F(MainTest, ProgramPathsWithBlanks) {
  CreateFile(u"C:\\Program Files\\Viewer\\v.exe");
  const struct {
    const char* what;
    std::uint32_t type;
    std::string command;
    const char* expected;
  } cases[] = {
      {"quoted program path", 1, "\"C:\\Program Files\\Viewer\\v.exe\" %1",
       "\"C:\\Program Files\\Viewer\\v.exe\" D:\\index.html"},
      {"unquoted path with a blank", 1, "C:\\Program Files\\Viewer\\v.exe",
       "C:\\Program Files\\Viewer\\v.exe D:\\index.html"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> data(c.command.begin(), c.command.end());
    data.push_back(0);
    SetValue(u"htmlfile\\shell\\open\\command", u"", c.type, data);
    EXPECT_EQ(Launch(), c.expected) << c.what;
  }
}

TEST_F(MainTest, UnregisteredTypeStartsNothingAndReturns) {
  CreateFile(u"D:\\notes.txt");
  EXPECT_EQ(Launch(u"notes.txt"), "(none)");
  // The last failure stays pending: " D:\notes.txt" is no program to start.
  EXPECT_NE(common::GetCurrentError().number, 0);
  EXPECT_EQ(Launch(u"README"), "(none)") << "a name without a dot looks up the key \"\\\"";
}

TEST_F(MainTest, FailingOperationsAreSkipped) {
  const struct {
    const char* what;
    sim::Operation operation;
    platform::Status status;
    const char* expected;
  } cases[] = {
      {"no argument text", sim::Operation::kCommandLineArgument, 5,
       "C:\\viewer.exe -nohome D:\\index.html"},
      {"no program folder: the name stays relative", sim::Operation::kProgramFolder, 5,
       "C:\\viewer.exe -nohome index.html"},
      {"registry unreadable", sim::Operation::kRegOpenKeyEx, 5, "(none)"},
      {"advapi32 missing", sim::Operation::kRegOpenKeyEx, 126, "(none)"},
      {"start refused", sim::Operation::kStartProcess, 5, "(none)"},
  };
  for (const auto& c : cases) {
    machine_.ClearFaults();
    machine_.InjectFault(c.operation, c.status);
    EXPECT_EQ(Launch(), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace tests
