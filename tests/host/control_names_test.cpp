// The control's file names follow the options: here the disc's copy is named swflash.ocx and
// the system folder's copy flash.ocx.
#include <gtest/gtest.h>

#include "flash/flash.h"
#include "tests/host/sim_fixture.h"

namespace tests {
namespace {

constexpr mdlFlash::ControlFileNames kSwflashOnDisc{false, true};

class ControlNamesTest : public SimTest {
 protected:
  ControlNamesTest() {
    MakeCourse();
    std::filesystem::rename(*machine_.HostPath(kDiscCopy), *machine_.HostPath(u"D:\\tools\\flash\\swflash.ocx"));
  }
};

TEST_F(ControlNamesTest, CopiesSwflashIntoFlash) {
  mdlFlash::InstallFlashControl(kSwflashOnDisc);
  EXPECT_EQ(std::filesystem::file_size(*machine_.HostPath(kSystemCopy)), 500000u);
  ASSERT_EQ(machine_.Registrations().size(), 1u);
  EXPECT_EQ(Show(machine_.Registrations()[0].path), Show(kSystemCopy));
}

TEST_F(ControlNamesTest, FallbackNamesTheSystemFolderFileOnTheDisc) {
  // With the switches set differently, the disc copy is registered under the system folder's
  // name, which the disc does not hold: that registration fails, and the start goes on.
  faults_.InjectFault(platform::Operation::kCopyFileReplacing, 5);
  mdlFlash::InstallFlashControl(kSwflashOnDisc);
  ASSERT_EQ(machine_.Registrations().size(), 1u);
  EXPECT_EQ(Show(machine_.Registrations()[0].path), Show(kDiscCopy));
  EXPECT_NE(machine_.Registrations()[0].result, 0);
}

}  // namespace
}  // namespace tests
