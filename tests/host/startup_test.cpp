// Whole runs of the launcher, and the control's installation, where only the simulated machine
// can go: drive roots, failing calls, read-only media, the order of the calls.
#include <gtest/gtest.h>

#include "flash/flash.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

using StartupTest = SimTest;

// Whole runs where only the simulated machine can go: a program folder at a drive root, program
// paths with blanks as CreateProcess finds them, a name without an extension, and a test of the program
// folder's end whose value cannot be had (it counts as true; the second read gives the folder).
TEST(StartupRunTest, WhatTheViewerIsGiven) {
  const struct {
    const char* what;
    void (*arrange)(SimMachine&);
    std::u16string argument;
    std::u16string program;
    const char* expected;
  } cases[] = {
      {"at a drive root", nullptr, u"", u"D:\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\index.html"},
      {"at a drive root, a page in a folder", nullptr, u"docs\\intro.htm", u"D:\\tolOpen.exe",
       "C:\\viewer.exe -nohome D:\\docs\\intro.htm"},
      {"a quoted program path with a blank", [](SimMachine& m) {
         m.CreateProgram(u"C:\\Program Files\\Viewer\\v.exe");
         SetText(m.machine_, u"htmlfile\\shell\\open\\command", u"\"C:\\Program Files\\Viewer\\v.exe\" %1");
       }, u"", u"D:\\tolOpen.exe", "\"C:\\Program Files\\Viewer\\v.exe\" D:\\index.html"},
      {"an unquoted program path with a blank", [](SimMachine& m) {
         m.CreateProgram(u"C:\\Program Files\\Viewer\\v.exe");
         SetText(m.machine_, u"htmlfile\\shell\\open\\command", u"C:\\Program Files\\Viewer\\v.exe");
       }, u"", u"D:\\tolOpen.exe", "C:\\Program Files\\Viewer\\v.exe D:\\index.html"},
      {"a name without a dot looks up the key \"\\\"", nullptr, u"README", u"D:\\tolOpen.exe", "(none)"},
      {"a failed test of the program folder's end", [](SimMachine& m) {
         m.faults_.InjectFault(platform::Operation::kProgramFolder, 5, 1);
       }, u"", u"D:\\COURSE\\tolOpen.exe", "C:\\viewer.exe -nohome D:\\COURSE\\index.html"},
  };
  for (const auto& c : cases) {
    SimMachine machine;
    machine.MakeCourse();
    if (c.arrange != nullptr) c.arrange(machine);
    EXPECT_EQ(machine.Launch(c.argument, c.program), c.expected) << c.what;
    // A run that starts nothing leaves its last failure pending.
    if (std::string(c.expected) == "(none)") {
      EXPECT_NE(common::GetCurrentError().number, 0) << c.what;
    }
  }
}

// The lookups ask for read access only, so a limited user, whose classes root refuses more,
// still gets the viewer started. The system folder refuses that user's copy, also into a
// macromed\flash that an administrator made: the control registers from the disc.
TEST_F(StartupTest, TheLookupsOnlyRead) {
  MakeCourse();
  std::filesystem::create_directories(*machine_.HostPath(u"C:\\WINDOWS\\SYSTEM\\macromed\\flash"));
  for (const bool limited : {true, false}) {
    machine_.SetLimitedUser(limited);
    EXPECT_EQ(Launch(), "C:\\viewer.exe -nohome D:\\index.html") << (limited ? "a limited user" : "an administrator");
    EXPECT_EQ(Show(machine_.Registrations().back().path), Show(limited ? kDiscCopy : kSystemCopy)) << limited;
  }
  ASSERT_FALSE(machine_.KeyOpenAccesses().empty());
  for (const std::uint32_t access : machine_.KeyOpenAccesses()) EXPECT_EQ(access, platform::kKeyRead);
}

// A failing call is skipped: the run goes on, registers one copy of the control (the disc's when
// the system folder's cannot be made) and starts what it can (the fault sweep judges the rest).
// The control's file names follow the options: a disc's swflash.ocx is copied to flash.ocx, and
// where the copy fails the disc's copy is registered under the system folder's name, which the
// disc does not hold.
TEST(StartupFaultTest, FailingOperationsAreSkipped) {
  constexpr char kViewer[] = "C:\\viewer.exe -nohome D:\\index.html";
  const struct {
    const char* what;
    platform::Operation operation;
    platform::Status status;
    const char* started;
    const char16_t* registered;
    bool control_in_place = false;
    bool swflash_on_disc = false;
  } cases[] = {
      {"no argument text", platform::Operation::kCommandLineArgument, 5, kViewer, kSystemCopy},
      {"no program folder: the name stays relative", platform::Operation::kProgramFolder, 5,
       "C:\\viewer.exe -nohome index.html", kSystemCopy},
      {"registry unreadable", platform::Operation::kRegOpenKeyExA, 5, "(none)", kSystemCopy},
      {"start refused", platform::Operation::kStartProcess, 5, "(none)", kSystemCopy},
      {"copy refused", platform::Operation::kCopyFileReplacing, 112, kViewer, kDiscCopy},
      {"folders cannot be created", platform::Operation::kMakeFolder, 5, kViewer, kDiscCopy},
      {"length unreadable", platform::Operation::kFileLength, 5, kViewer, kDiscCopy, true},
      {"no system folder: its levels go to the current drive", platform::Operation::kGetSystemDirectoryA, 5, kViewer,
       u"\\macromed\\flash\\flash.ocx"},
      {"swflash.ocx on the disc", platform::Operation::kCount, 0, kViewer, kSystemCopy, false, true},
      {"swflash.ocx on the disc, copy refused", platform::Operation::kCopyFileReplacing, 5, kViewer, kDiscCopy, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SimMachine machine;
    machine.MakeCourse();
    if (c.control_in_place) WriteControlFile(*machine.machine_.HostPath(kSystemCopy), 500000);
    if (c.swflash_on_disc) {
      std::filesystem::rename(*machine.machine_.HostPath(kDiscCopy), *machine.machine_.HostPath(u"D:\\tools\\flash\\swflash.ocx"));
      machine.options_.control_file_names = {false, true};
    }
    if (c.operation != platform::Operation::kCount) machine.faults_.InjectFault(c.operation, c.status);
    EXPECT_EQ(machine.Launch(), c.started);
    const std::vector<sim::Registration>& registrations = machine.machine_.Registrations();
    ASSERT_EQ(registrations.size(), 1u) << "exactly one registration per run";
    EXPECT_EQ(Show(registrations[0].path), Show(c.registered));
  }
}

// The registration runs in the control's folder; the disc's drive and folder are set back after
// it, and the system folder's drive keeps the folder it ran in. Where the launcher's own read of
// the folder fails (MakePath's does not), it runs where the process is, and C: stays at the last
// level that MakePath found.
TEST(StartupFolderTest, WhereTheRegistrationRuns) {
  const struct {
    const char16_t* current;
    int failing_read;  // the read of the current folder that fails (0: none)
    const char* disc_folder_after;
    const char* system_drive_folder_after;
  } cases[] = {
      {u"D:\\COURSE\\PAGES", 0, "D:\\COURSE\\PAGES", "C:\\WINDOWS\\SYSTEM\\macromed\\flash"},
      {u"D:\\", 1, "D:\\", "C:\\WINDOWS\\SYSTEM"},
  };
  for (const auto& c : cases) {
    SimMachine m;
    m.MakeCourse();
    std::filesystem::create_directories(*m.machine_.HostPath(c.current));
    m.machine_.SetCurrentFolder(c.current);
    if (c.failing_read > 0) m.faults_.InjectFault(platform::Operation::kCurrentFolder, 21, c.failing_read);
    mdlFlash::InstallFlashControl({});
    ASSERT_EQ(m.machine_.Registrations().size(), 1u);
    EXPECT_EQ(Show(m.machine_.Registrations()[0].path), Show(kSystemCopy));
    EXPECT_EQ(m.machine_.CurrentDrive(), u'D');
    EXPECT_EQ(Show(m.machine_.FolderOfDrive(u'D')), c.disc_folder_after);
    EXPECT_EQ(Show(m.machine_.FolderOfDrive(u'C')), c.system_drive_folder_after);
  }
}

// MakePath at the root of the current drive, which the conformance suite cannot touch on Wine,
// and on read-only media, where nothing is made and nothing reported; system folders that only
// the simulated machine can have, and a failed call.
TEST_F(StartupTest, MakePathAtTheRootAndOnReadOnlyMediaAndTheSystemFolder) {
  machine_.SetCurrentFolder(u"C:\\");
  EXPECT_EQ(mdlFlash::MakePath(u"\\R\\S\\"), common::kTrue);
  EXPECT_TRUE(std::filesystem::is_directory(*machine_.HostPath(u"C:\\R\\S")));
  EXPECT_EQ(Show(machine_.FolderOfDrive(u'C')), "C:\\");
  machine_.SetReadOnlyDrive(u'D');
  EXPECT_EQ(mdlFlash::MakePath(u"D:\\A\\B\\"), common::kTrue);
  EXPECT_FALSE(std::filesystem::exists(*machine_.HostPath(u"D:\\A")));
  EXPECT_EQ(common::GetCurrentError().number, 0);
  machine_.SetSystemFolder(u"C:\\" + std::u16string(251, u'S'));  // 254 characters: fits
  EXPECT_EQ(mdlFlash::GetSystemFolder().Value().size(), 255u);
  machine_.SetSystemFolder(u"C:\\" + std::u16string(252, u'S'));  // 255: no room for the NUL
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "\\");
  faults_.InjectFault(platform::Operation::kGetSystemDirectoryA, 5);
  EXPECT_EQ(Show(mdlFlash::GetSystemFolder().Value()), "");
}

}  // namespace
}  // namespace tests
