// The launcher built with the course file-type registration on: every run registers .tv1 and
// still starts the viewer, on every Windows a course disc meets.
#include <gtest/gtest.h>

#include <string>

#include "tests/conformance/machine.h"

namespace conformance {
namespace {

TEST(ConformanceFileType, RegistersTheCourseTypeEveryRunAndStartsTheViewer) {
  const struct {
    std::u16string folder;
    std::u16string command;
  } cases[] = {
      {u"disc", u"{disc}\\Download\\tolDownload.exe \"%1\""},
      {u"My Course", u"\"{disc}\\Download\\tolDownload.exe\" \"%1\""},
  };
  for (const auto& c : cases) {
    for (const std::string& version : WindowsVersions()) {
      const std::string row = OnVersion(("file type on " + Show(c.folder)).c_str(), version);
      if (!Selected(row.c_str())) continue;
      Course course(c.folder, u"", Build::kFileType);
      Machine* const machine = course.machine.get();
      machine->SetWindowsVersion(version);
      const std::u16string& disc = course.disc;
      const std::u16string expected = Expand(*machine, c.command, disc);
      for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(row + ", run " + std::to_string(run));
        EXPECT_FALSE(machine->Launch(disc, u"page.tolopentest").viewer_command_line.empty()) << "the viewer starts";
        EXPECT_EQ(machine->GetClassesValue(u".tv1", u"").data, std::string("Tolvex Ubra", 12));
        EXPECT_EQ(machine->GetClassesValue(u"Tolvex Ubra\\shell\\open\\command", u"").data, Show(expected) + '\0');
        const ClassesValue flags = machine->GetClassesValue(u"Tolvex Ubra", u"EditFlags");
        EXPECT_EQ(flags.type, 4u);
        EXPECT_EQ(flags.data, std::string("\0\0\1\0", 4));
      }
    }
  }
}

// Where the machine's classes refuse the type, the whole of it goes to the user's classes.
TEST(ConformanceFileType, AStandardUserRegistersTheTypeForTheUser) {
  if (!Selected("file type for a standard user")) return;
  Course course(u"disc", u"", Build::kFileType);
  Machine* const machine = course.machine.get();
  const std::u16string& disc = course.disc;
  machine->SetStandardUser(true);
  EXPECT_FALSE(machine->Launch(disc, u"page.tolopentest").viewer_command_line.empty()) << "the viewer starts";
  EXPECT_FALSE(machine->GetClassesValue(u".tv1", u"").exists) << "the machine's classes stay as they were";
  EXPECT_FALSE(machine->GetClassesValue(u"Tolvex Ubra", u"EditFlags").exists);
  EXPECT_EQ(machine->GetClassesValue(u".tv1", u"", Classes::kUser).data, std::string("Tolvex Ubra", 12));
  EXPECT_EQ(machine->GetClassesValue(u"Tolvex Ubra\\shell\\open\\command", u"", Classes::kUser).data,
            Show(Expand(*machine, u"{disc}\\Download\\tolDownload.exe \"%1\"", disc)) + '\0');
  EXPECT_EQ(machine->GetClassesValue(u"Tolvex Ubra", u"EditFlags", Classes::kUser).data, std::string("\0\0\1\0", 4));
}

}  // namespace
}  // namespace conformance
