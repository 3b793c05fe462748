// Copying the control into the system folder and registering it, at every start.
#include <gtest/gtest.h>

#include "flash/flash.h"
#include "start/main.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

constexpr char16_t kDestination[] = u"C:\\WINDOWS\\SYSTEM\\macromed\\flash\\flash.ocx";
constexpr char16_t kDiscCopy[] = u"D:\\tools\\flash\\flash.ocx";

// A machine with the course on D:, the setup library beside the program, and C:\WINDOWS\SYSTEM.
class ControlMachine : public SimMachine {
 public:
  ControlMachine() {
    std::filesystem::create_directories(*machine_.HostPath(u"C:\\WINDOWS\\SYSTEM"));
    CreateFile(u"D:\\vb5stkit.dll");
    CreateFile(kDiscCopy, 500000);
    machine_.SetCurrentFolder(u"D:\\");
  }

  std::uintmax_t SizeOf(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::file_size(*machine_.HostPath(path), error);
  }

  // Runs the installation; gives the one path registered.
  std::string Install() {
    const std::size_t before = machine_.Registrations().size();
    mdlFlash::InstallFlashControl();
    EXPECT_EQ(machine_.Registrations().size(), before + 1) << "exactly one registration per run";
    EXPECT_EQ(machine_.CurrentDrive(), u'D');
    EXPECT_EQ(Show(machine_.FolderOfDrive(u'D')), "D:\\");
    EXPECT_EQ(machine_.OpenFileCount(), 0u);
    return machine_.Registrations().empty() ? "" : Show(machine_.Registrations().back().path);
  }
};

class InstallFlashTest : public ::testing::Test, public ControlMachine {};

// Failures that only the simulated machine can plant; the real ones are in the conformance suite.
TEST_F(InstallFlashTest, FailedCopyRegistersTheDiscCopy) {
  const struct {
    const char* what;
    std::function<void(ControlMachine&)> arrange;
    const char* registered;
  } cases[] = {
      {"copy refused", [](ControlMachine& m) { m.machine_.InjectFault(sim::Operation::kCopyFile, 112); },
       "D:\\tools\\flash\\flash.ocx"},
      {"folders cannot be created", [](ControlMachine& m) {
         m.machine_.InjectFault(sim::Operation::kMakeFolder, 5);
       }, "D:\\tools\\flash\\flash.ocx"},
      {"length unreadable", [](ControlMachine& m) {
         m.CreateFile(kDestination, 500000);
         m.machine_.InjectFault(sim::Operation::kFileLength, 5);
       }, "D:\\tools\\flash\\flash.ocx"},
      {"no system folder: its levels go to the current drive", [](ControlMachine& m) {
         m.machine_.InjectFault(sim::Operation::kGetSystemDirectory, 5);
       }, "\\macromed\\flash\\flash.ocx"},
  };
  for (const auto& c : cases) {
    ControlMachine machine;
    c.arrange(machine);
    EXPECT_EQ(machine.Install(), c.registered) << c.what;
  }
}

TEST_F(InstallFlashTest, TheDriveAndFolderAreSetBack) {
  std::filesystem::create_directories(*machine_.HostPath(u"D:\\COURSE\\PAGES"));
  machine_.SetCurrentFolder(u"D:\\COURSE\\PAGES");
  mdlFlash::InstallFlashControl();
  EXPECT_EQ(machine_.CurrentDrive(), u'D');
  EXPECT_EQ(Show(machine_.FolderOfDrive(u'D')), "D:\\COURSE\\PAGES");
  // The system folder's drive keeps the folder the registration ran in.
  EXPECT_EQ(Show(machine_.FolderOfDrive(u'C')), "C:\\WINDOWS\\SYSTEM\\macromed\\flash");
}

TEST_F(InstallFlashTest, UnreadableCurrentFolderRegistersWhereTheProcessIs) {
  // Only the read after the copy fails (MakePath reads the folder first).
  machine_.InjectFault(sim::Operation::kCurrentFolder, 21, 2);
  EXPECT_EQ(Install(), Show(kDestination));
  // MakePath left C: at the last level that existed; the registration did not move it on.
  EXPECT_EQ(Show(machine_.FolderOfDrive(u'C')), "C:\\WINDOWS\\SYSTEM");
}

TEST_F(InstallFlashTest, TheViewerStartsAfterTheRegistration) {
  SetText(u".html", u"htmlfile");
  SetText(u"htmlfile\\shell\\open\\command", u"C:\\viewer.exe");
  CreateFile(u"C:\\viewer.exe");
  mdlMain::Main();
  const std::vector<sim::Operation>& calls = machine_.CallLog();
  const auto registered = std::find(calls.begin(), calls.end(), sim::Operation::kDLLSelfRegister);
  const auto started = std::find(calls.begin(), calls.end(), sim::Operation::kStartProcess);
  ASSERT_NE(registered, calls.end());
  EXPECT_LT(registered, started);
}

}  // namespace
}  // namespace tests
