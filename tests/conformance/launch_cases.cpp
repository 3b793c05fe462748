// Whole runs of the launcher: the document, the viewer's command line, and the control.
#include <gtest/gtest.h>

#include <string>

#include "tests/conformance/machine.h"

namespace conformance {
namespace {

TEST(ConformanceLaunch, TheViewerReceivesTheDocument) {
  const struct {
    const char* what;
    std::u16string folder;
    std::u16string argument;
    std::u16string expected;
    std::u16string arguments = u" -nohome";  // of the open command, after the quoted viewer
  } cases[] = {
      {"the course's start page", u"disc", u"", u"\"{viewer}\" -nohome {disc}\\index.html"},
      {"a page in a folder", u"disc", u"docs\\intro.tolopentest", u"\"{viewer}\" -nohome {disc}\\docs\\intro.tolopentest"},
      {"the rightmost dot counts", u"disc", u"a.b.tolopentest", u"\"{viewer}\" -nohome {disc}\\a.b.tolopentest"},
      {"enclosing quotes are dropped", u"disc", u"\"page.tolopentest\"", u"\"{viewer}\" -nohome {disc}\\page.tolopentest"},
      {"blanks around the argument are no part of it", u"disc", u" \tpage.tolopentest  ",
       u"\"{viewer}\" -nohome {disc}\\page.tolopentest"},
      {"an absolute path stays as it is", u"disc", u"C:\\x.tolopentest", u"\"{viewer}\" -nohome C:\\x.tolopentest"},
      {"a path with a blank is quoted", u"My Course", u"page.tolopentest",
       u"\"{viewer}\" -nohome \"{disc}\\page.tolopentest\""},
      // Windows cuts the library search path it builds from a folder's name at a ";".
      {"a folder whose name holds a \";\"", u"Kurs;1", u"page.tolopentest", u"\"{viewer}\" -nohome {disc}\\page.tolopentest"},
      {"a name outside the ANSI code page arrives whole", u"disc", u"\"\u0416\u0443\u0440 \u6F22\u5B57.tolopentest\"",
       u"\"{viewer}\" -nohome \"{disc}\\\u0416\u0443\u0440 \u6F22\u5B57.tolopentest\""},
      {"a name of 300 characters", u"disc", std::u16string(288, u'n') + u".tolopentest",
       u"\"{viewer}\" -nohome {disc}\\" + std::u16string(288, u'n') + u".tolopentest"},
      {"a quoted name with a blank and an accent, appended", u"My Course", u"\"Kapitola \u00E9 1.tolopentest\"",
       u"\"{viewer}\" -nohome \"{disc}\\Kapitola \u00E9 1.tolopentest\""},
      {"a quoted name with a blank and an accent, under \"%1\"", u"My Course", u"\"Kapitola \u00E9 1.tolopentest\"",
       u"\"{viewer}\" \"{disc}\\Kapitola \u00E9 1.tolopentest\" -x", u" \"%1\" -x"},
      {"a name outside the ANSI code page, under \"%1\"", u"disc", u"\"\u0416\u0443\u0440 \u6F22\u5B57.tolopentest\"",
       u"\"{viewer}\" \"{disc}\\\u0416\u0443\u0440 \u6F22\u5B57.tolopentest\"", u" \"%1\""},
  };
  for (const auto& c : cases) {
    if (!Selected(c.what)) continue;
    Course course(c.folder, c.arguments);
    const LaunchOutcome run = course.machine->Launch(course.disc, c.argument);
    EXPECT_EQ(Show(run.viewer_command_line), Show(course.Expected(c.expected))) << c.what;
    EXPECT_EQ(Show(run.viewer_folder), Show(course.disc)) << c.what << ": the viewer starts where the launcher did";
    EXPECT_EQ(run.viewer_show_state, 1) << c.what << ": shown normally, with the focus, through either entry";
    EXPECT_EQ(Show(run.registered), Show(course.Destination())) << c.what << ": the control registers itself";
  }
}

// Windows finds a program named without a folder where CreateProcess looks (the launcher's
// folder first), adds ".exe" to a name without an extension, and judges a file by its content.
TEST(ConformanceLaunch, KindsOfOpenCommand) {
  const struct {
    const char* what;
    std::uint32_t type;
    std::u16string command;
    std::u16string expected;         // "" when no viewer starts
    const char16_t* place = u"";     // where a file is put beforehand
    bool is_program = true;          // a copy of the viewer, else a text file
  } cases[] = {
      {"appended after one space", 1, u"\"{viewer}\" -nohome", u"\"{viewer}\" -nohome {disc}\\page.tolopentest"},
      {"%1 is replaced", 1, u"\"{viewer}\" \"%1\" -x", u"\"{viewer}\" \"{disc}\\page.tolopentest\" -x"},
      {"%L is replaced, %* dropped", 1, u"\"{viewer}\" %L%*", u"\"{viewer}\" {disc}\\page.tolopentest"},
      {"expandable text is expanded", 2, u"\"%TOLOPEN_VIEWER%\" -e", u"\"{viewer}\" -e {disc}\\page.tolopentest"},
      {"stored with two NULs", 1, std::u16string(u"\"{viewer}\" -n\0", 14), u"\"{viewer}\" -n {disc}\\page.tolopentest"},
      {"a viewer that does not exist", 1, u"C:\\tolopen-gone.exe", u""},
      {"a command that begins with a blank names no program", 1, u" \"{viewer}\"", u""},
      {"binary data is no command", 3, u"\"{viewer}\"", u""},
      {"a program named .scr", 1, u"{disc}\\v\\recview.scr %1", u"{disc}\\v\\recview.scr {disc}\\page.tolopentest",
       u"{disc}\\v\\recview.scr"},
      {"a text file named .exe", 1, u"{disc}\\v\\text.exe %1", u"", u"{disc}\\v\\text.exe", false},
      {"a name without a folder, in the launcher's folder", 1, u"recview.exe %1",
       u"recview.exe {disc}\\page.tolopentest", u"{disc}\\recview.exe"},
      {"a name without .exe", 1, u"recview %1", u"recview {disc}\\page.tolopentest", u"{disc}\\recview.exe"},
      {"a text file found by its name", 1, u"recview.exe %1", u"", u"{disc}\\recview.exe", false},
  };
  for (const auto& c : cases) {
    Course course;
    course.machine->SetEnvironment(u"TOLOPEN_VIEWER", course.machine->Viewer());
    const std::u16string place = course.Expected(c.place);
    if (!place.empty()) c.is_program ? course.machine->CopyViewer(place) : course.machine->WriteFile(place, 64);
    course.RegisterCommand(c.type, c.command);
    const LaunchOutcome run = course.machine->Launch(course.disc, u"page.tolopentest", !c.expected.empty());
    EXPECT_EQ(Show(run.viewer_command_line), Show(course.Expected(c.expected))) << c.what;
  }
  Course course;
  EXPECT_EQ(Show(course.machine->Launch(course.disc, u"notes.tolopen-unregistered", false).viewer_command_line), "")
      << "an unregistered type starts nothing";
  Course mine;  // the user's own command for the type lies over the machine's
  mine.machine->SetClassesValue(u"TolOpenTest.Document\\shell\\open\\command", u"", 1,
                                Show(mine.Expected(u"\"{viewer}\" -mine")) + '\0', Classes::kUser);
  const std::u16string chosen = mine.machine->UnderWine() ? u"-nohome" : u"-mine";  // Wine shows the machine's alone
  EXPECT_EQ(Show(mine.machine->Launch(mine.disc, u"page.tolopentest").viewer_command_line),
            Show(mine.Expected(u"\"{viewer}\" " + chosen + u" {disc}\\page.tolopentest")))
      << "the user's own command is the one that runs";
}

// On every Windows a course disc meets: the launcher told each version in turn.
TEST(ConformanceControl, FreshMachineThenSecondRun) {
  for (const std::string& version : WindowsVersions()) {
    const std::string row = OnVersion("fresh machine and a second run", version);
    if (!Selected(row.c_str())) continue;
    SCOPED_TRACE(row);
    Course course;
    course.machine->SetWindowsVersion(version);
    const LaunchOutcome first = course.machine->Launch(course.disc, u"page.tolopentest");
    EXPECT_EQ(course.machine->FileSize(course.Destination()), course.machine->FileSize(course.DiscControl()));
    EXPECT_EQ(Show(first.registered), Show(course.Destination()));
    EXPECT_EQ(Show(first.registered_in), Show(course.machine->SystemFolder() + u"\\macromed\\flash"))
        << "the control registers itself from its own folder";
    EXPECT_EQ(Show(first.viewer_command_line), Show(course.Expected(u"\"{viewer}\" -nohome {disc}\\page.tolopentest")));
    EXPECT_EQ(Show(first.viewer_folder), Show(course.disc)) << "the current folder is set back";
    EXPECT_EQ(first.viewer_show_state, 1) << "the viewer's window is shown normally, with the focus (SW_SHOWNORMAL)";

    // A second run finds the copy in place and registers it again.
    course.machine->RemoveFile(course.DiscControl());
    const LaunchOutcome second = course.machine->Launch(course.disc, u"page.tolopentest");
    EXPECT_EQ(Show(second.registered), Show(course.Destination()));
    EXPECT_EQ(Show(second.viewer_command_line), Show(first.viewer_command_line));
  }
}

// A copy in place is kept from 0x63000 bytes on (any copy stays replaceable), also one that another program reads (a browser
// showing a course), which cannot be replaced when it is shorter. A copy that cannot be made is
// registered from the disc; a missing piece registers nothing. A standard user (and an
// administrator whose program was not elevated) may not write the machine's classes: the control
// registers itself for that user alone, from where the run found it, and the machine's classes
// stay as they were; an administrator's run writes nothing for the user. The viewer starts in
// every case.
TEST(ConformanceControl, WhereTheControlIsCopiedAndRegistered) {
  constexpr const char16_t* kCopy = u"{system}\\macromed\\flash\\flash.ocx";
  constexpr const char16_t* kOnDisc = u"{disc}\\tools\\flash\\flash.ocx";
  const struct {
    const char* what;
    void (*arrange)(Course&);
    const char16_t* registered;  // machine-wide; "" when nothing registers itself there
    bool copied;                 // the system folder's copy has the disc's length afterwards
    bool standard_user = false;
    const char16_t* for_user = u"";  // "" when the user's classes name no file
  } cases[] = {
      {"an administrator", [](Course&) {}, kCopy, true},
      {"405,504 bytes in place", [](Course& c) { c.machine->WriteControl(c.Destination(), 405504); }, kCopy, false},
      {"405,503 bytes in place", [](Course& c) { c.machine->WriteControl(c.Destination(), 405503); }, kCopy, true},
      {"a long copy in place, being read", [](Course& c) {
         c.machine->WriteControl(c.Destination(), 500000);
         c.machine->HoldForReading(c.Destination());
       }, kCopy, true},
      {"a short copy in place, being read", [](Course& c) {
         c.machine->WriteControl(c.Destination(), 20000);
         c.machine->HoldForReading(c.Destination());
       }, kOnDisc, false},
      {"destination held by another program", [](Course& c) {
         c.machine->WriteFile(c.Destination(), 1000);
         c.machine->Hold(c.Destination());
       }, kOnDisc, false},
      {"a file where the folder belongs", [](Course& c) { c.machine->WriteFile(c.Folder(), 10); }, kOnDisc, false},
      {"the disc's control held by another program", [](Course& c) { c.machine->Hold(c.DiscControl()); }, u"", false},
      // A copy left read-only (as an older launcher left its copy from a CD) is replaced.
      {"a read-only copy too small", [](Course& c) {
         c.machine->WriteFile(c.Destination(), 1000);
         c.machine->MakeReadOnly(c.Destination());
       }, kCopy, true},
      {"the disc's control read-only, as on a CD", [](Course& c) { c.machine->MakeReadOnly(c.DiscControl()); }, kCopy,
       true},
      {"no vb5stkit.dll", [](Course& c) { c.machine->RemoveFile(c.disc + u"\\vb5stkit.dll"); }, u"", true},
      {"vb5stkit.dll in the system folder alone", [](Course& c) {  // where Windows looks after the disc
         c.machine->MoveFile(c.disc + u"\\vb5stkit.dll", c.machine->SystemFolder() + u"\\vb5stkit.dll");
       }, kCopy, true},
      {"no control on the disc", [](Course& c) { c.machine->RemoveFile(c.DiscControl()); }, u"", false},
      {"the disc's control is no library", [](Course& c) { c.machine->WriteFile(c.DiscControl(), 500000); }, u"", true},
      {"a standard user, the copy refused", [](Course& c) { c.machine->WriteFile(c.Folder(), 10); }, u"", false, true,
       kOnDisc},
      {"a standard user, an administrator's copy in place",
       [](Course& c) { c.machine->WriteControl(c.Destination(), 500000); }, u"", true, true, kCopy},
      {"a standard user, a control that refuses both ways", [](Course& c) {
         c.machine->WriteFile(c.Folder(), 10);
         c.machine->MakeControlRefuse();
       }, u"", false, true},
  };
  for (const auto& c : cases) {
    if (!Selected(c.what)) continue;
    Course course;
    c.arrange(course);
    course.machine->SetStandardUser(c.standard_user);
    const LaunchOutcome run = course.machine->Launch(course.disc, u"page.tolopentest");
    const std::u16string registered = course.Expected(c.registered);
    EXPECT_EQ(Show(run.registered), Show(registered)) << c.what << ": the machine's classes";
    const std::u16string own_folder = registered.empty() ? u"" : registered.substr(0, registered.rfind(u'\\'));
    EXPECT_EQ(Show(run.registered_in), Show(own_folder)) << c.what << ": from its own folder";
    EXPECT_EQ(Show(run.registered_for_user), Show(course.Expected(c.for_user))) << c.what << ": the user's classes";
    EXPECT_EQ(course.machine->FileSize(course.Destination()) == 500000, c.copied) << c.what;
    EXPECT_FALSE(course.machine->IsReadOnly(course.Destination())) << c.what << ": a later run can replace the copy";
    EXPECT_EQ(Show(run.viewer_command_line), Show(course.Expected(u"\"{viewer}\" -nohome {disc}\\page.tolopentest")))
        << c.what << ": the viewer starts all the same";
  }
}

// A user's registration lies over the machine's in what that user sees. An administrator's later
// run leaves it as it is (the user's next run registers the copy the administrator put in place,
// as a row of the cases above shows).
TEST(ConformanceControl, AnAdministratorAfterAStandardUser) {
  if (!Selected("an administrator after a standard user")) return;
  Course course;
  const std::u16string in_the_way = course.Folder();
  course.machine->WriteFile(in_the_way, 10);
  course.machine->SetStandardUser(true);
  const LaunchOutcome user = course.machine->Launch(course.disc, u"page.tolopentest");
  EXPECT_EQ(Show(user.registered_for_user), Show(course.DiscControl())) << "a standard user";

  course.machine->RemoveFile(in_the_way);
  course.machine->SetStandardUser(false);
  const LaunchOutcome administrator = course.machine->Launch(course.disc, u"page.tolopentest");
  EXPECT_EQ(Show(administrator.registered), Show(course.Destination())) << "an administrator";
  EXPECT_EQ(Show(administrator.registered_for_user), Show(course.DiscControl())) << "the user's registration stays";
}

}  // namespace
}  // namespace conformance
