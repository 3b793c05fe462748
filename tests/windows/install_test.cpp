// tolOpen.exe provisions the control for real: a disc with tolOpen.exe, vb5stkit.dll and
// tools\flash\flash.ocx (the tests' own self-registering server), and Wine's system folder.
#include <gtest/gtest.h>

#include "tests/windows/wine_fixture.h"

namespace tests {
namespace {

class InstallTest : public ::testing::Test, public CourseDisc {
 protected:
  InstallTest() : CourseDisc(L"install", ".tolopeninstall") {}
};

TEST_F(InstallTest, FreshMachineThenSecondRun) {
  const Recording first = Launch(L"page.tolopeninstall");
  EXPECT_EQ(FileSize(destination), FileSize(disc_control));
  EXPECT_EQ(Registered(), Narrow(destination));
  // The control registered itself from its own folder.
  EXPECT_EQ(ClassesText(std::string(kTestControlKey) + "\\InprocServer32", "RegisteredIn"), Narrow(flash_folder));
  // The viewer started afterwards, in the folder the launcher was started in.
  EXPECT_EQ(Narrow(first.command_line), Narrow(ViewerLine(disc + L"\\page.tolopeninstall")));
  EXPECT_EQ(Narrow(first.current_folder), Narrow(disc));

  // A second run copies nothing and registers again.
  WIN32_FILE_ATTRIBUTE_DATA before;
  GetFileAttributesExW(destination.c_str(), GetFileExInfoStandard, &before);
  DeleteClassesTree(kTestControlKey);
  Launch(L"page.tolopeninstall");
  WIN32_FILE_ATTRIBUTE_DATA after;
  GetFileAttributesExW(destination.c_str(), GetFileExInfoStandard, &after);
  EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0) << "copied again";
  EXPECT_EQ(Registered(), Narrow(destination));
}

TEST_F(InstallTest, TooSmallCopyIsReplaced) {
  CreateDirectoryW(macromed.c_str(), nullptr);
  CreateDirectoryW(flash_folder.c_str(), nullptr);
  WriteFileBytes(destination, std::string(405503, 'x'));
  Launch(L"page.tolopeninstall");
  EXPECT_EQ(FileSize(destination), FileSize(disc_control));
  EXPECT_EQ(Registered(), Narrow(destination));
}

TEST_F(InstallTest, DestinationInUseRegistersTheDiscCopy) {
  CreateDirectoryW(macromed.c_str(), nullptr);
  CreateDirectoryW(flash_folder.c_str(), nullptr);
  WriteFileBytes(destination, std::string(1000, 'x'));
  const HANDLE held = CreateFileW(destination.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Recording recording = Launch(L"page.tolopeninstall");
  CloseHandle(held);
  EXPECT_EQ(FileSize(destination), 1000);
  EXPECT_EQ(Registered(), Narrow(disc_control));
  EXPECT_FALSE(recording.command_line.empty()) << "the viewer starts all the same";
}

TEST_F(InstallTest, MissingPiecesStillStartTheViewer) {
  const struct {
    const char* what;
    std::wstring removed;
  } cases[] = {
      {"no vb5stkit.dll", disc + L"\\vb5stkit.dll"},
      {"no control on the disc", disc_control},
  };
  for (const auto& c : cases) {
    RemoveTree(macromed);
    DeleteFileW(c.removed.c_str());
    EXPECT_FALSE(Launch(L"page.tolopeninstall").command_line.empty()) << c.what;
    EXPECT_EQ(Registered(), "") << c.what;
  }
}

}  // namespace
}  // namespace tests
