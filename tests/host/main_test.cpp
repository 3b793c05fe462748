// Whole runs of the launcher on the simulated machine.
#include <gtest/gtest.h>

#include <ostream>

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

struct LaunchCase {
  std::u16string argument;
  std::u16string program;
  std::string expected;
};

void PrintTo(const LaunchCase& c, std::ostream* out) {
  *out << "argument '" << Show(c.argument) << "' from " << Show(c.program);
}

class LaunchTest : public MainTest, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchTest, StartsTheViewerOnTheDocument) {
  EXPECT_EQ(Launch(GetParam().argument, GetParam().program), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, LaunchTest,
    ::testing::Values(
        LaunchCase{u"", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\index.html"},
        LaunchCase{u"docs\\intro.htm", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\docs\\intro.htm"},
        LaunchCase{u"", u"D:\\COURSE\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\COURSE\\index.html"},
        LaunchCase{u"a.b.html", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\a.b.html"},
        LaunchCase{u"\"index.html\"", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\index.html"},
        LaunchCase{u"C:\\x.htm", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome C:\\x.htm"},
        LaunchCase{u"", u"D:\\My Course\\tolOpen.exe",
                   "C:\\viewer.exe -nohome \"D:\\My Course\\index.html\""},
        // The ANSI code page cannot hold the Cyrillic letter; the viewer receives it all the same.
        LaunchCase{u"\u0416.html", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\\u0416.html"}));

TEST_F(MainTest, KindsOfOpenCommand) {
  CreateFile(u"C:\\Program Files\\Viewer\\v.exe");
  machine_.SetEnvironmentVariable(u"ProgramFiles", u"C:\\Program Files");
  const struct {
    const char* what;
    std::uint32_t type;
    std::string command;
    const char* expected;
  } cases[] = {
      {"appended after one space", 1, "C:\\viewer.exe -nohome", "C:\\viewer.exe -nohome D:\\index.html"},
      {"placeholder replaced", 1, "C:\\viewer.exe \"%1\" -x", "C:\\viewer.exe \"D:\\index.html\" -x"},
      {"quoted program path", 1, "\"C:\\Program Files\\Viewer\\v.exe\" %1",
       "\"C:\\Program Files\\Viewer\\v.exe\" D:\\index.html"},
      {"unquoted path with a blank", 1, "C:\\Program Files\\Viewer\\v.exe",
       "C:\\Program Files\\Viewer\\v.exe D:\\index.html"},
      {"expandable text", 2, "%ProgramFiles%\\Viewer\\v.exe", "C:\\Program Files\\Viewer\\v.exe D:\\index.html"},
      {"a viewer that does not exist is not started", 1, "C:\\gone.exe", "(none)"},
      {"binary data gives no command", 3, "C:\\viewer.exe", "(none)"},
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
