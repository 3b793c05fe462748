// The launcher built with the course file-type registration on: every run registers .tv1 and
// still starts the viewer, on every Windows a course disc meets.
#include <gtest/gtest.h>

#include <string>

#include "tests/conformance/machine.h"

namespace conformance {
namespace {

// Where the machine's classes refuse the type (a standard user), the whole of it goes to the
// user's classes, and the machine's stay as they were, also where an administrator's run put it
// there before.
TEST(ConformanceFileType, RegistersTheCourseTypeEveryRunAndStartsTheViewer) {
  const struct {
    const char* what;
    std::u16string folder;
    std::u16string command;
    bool standard_user = false;
    std::u16string administrators_command = u"";  // of the type in the machine's classes beforehand
  } cases[] = {
      {"file type on disc", u"disc", u"{disc}\\Download\\tolDownload.exe \"%1\""},
      {"file type on My Course", u"My Course", u"\"{disc}\\Download\\tolDownload.exe\" \"%1\""},
      {"file type for a standard user", u"disc", u"{disc}\\Download\\tolDownload.exe \"%1\"", true},
      {"file type for a standard user after an administrator", u"disc", u"{disc}\\Download\\tolDownload.exe \"%1\"",
       true, u"E:\\Download\\tolDownload.exe \"%1\""},
  };
  for (const auto& c : cases) {
    for (const std::string& version : WindowsVersions()) {
      const std::string row = OnVersion(c.what, version);
      if (!Selected(row.c_str()) || (c.standard_user && !version.empty())) continue;
      Course course(c.folder, u"", Build::kFileType);
      Machine* const machine = course.machine.get();
      machine->SetWindowsVersion(version);
      const std::string administrators = c.administrators_command.empty() ? "" : Show(c.administrators_command) + '\0';
      if (!administrators.empty()) {
        machine->SetClassesValue(u".tv1", u"", 1, std::string("Tolvex Ubra", 12));
        machine->SetClassesValue(u"Tolvex Ubra\\shell\\open\\command", u"", 1, administrators);
      }
      machine->SetStandardUser(c.standard_user);
      const Classes written = c.standard_user ? Classes::kUser : Classes::kMachine;
      const Classes untouched = c.standard_user ? Classes::kMachine : Classes::kUser;
      const std::string expected = Show(Expand(*machine, c.command, course.disc)) + '\0';
      for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(row + ", run " + std::to_string(run));
        EXPECT_FALSE(machine->Launch(course.disc, u"page.tolopentest").viewer_command_line.empty()) << "the viewer starts";
        EXPECT_EQ(machine->GetClassesValue(u".tv1", u"", written).data, std::string("Tolvex Ubra", 12));
        EXPECT_EQ(machine->GetClassesValue(u"Tolvex Ubra\\shell\\open\\command", u"", written).data, expected);
        const ClassesValue flags = machine->GetClassesValue(u"Tolvex Ubra", u"EditFlags", written);
        EXPECT_EQ(flags.type, 4u);
        EXPECT_EQ(flags.data, std::string("\0\0\1\0", 4));
        EXPECT_EQ(machine->GetClassesValue(u".tv1", u"", untouched).exists, !administrators.empty());
        EXPECT_EQ(machine->GetClassesValue(u"Tolvex Ubra\\shell\\open\\command", u"", untouched).data, administrators)
            << "the other classes as they were";
        EXPECT_FALSE(machine->GetClassesValue(u"Tolvex Ubra", u"EditFlags", untouched).exists);
      }
    }
  }
}

}  // namespace
}  // namespace conformance
