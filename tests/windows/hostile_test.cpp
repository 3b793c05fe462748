// tolOpen.exe against what only a real system can do to it. Each case checks what the machine
// looks like afterwards, not only that the program ended.
#include <gtest/gtest.h>

#include "tests/windows/wine_fixture.h"

namespace tests {
namespace {

class HostileTest : public ::testing::Test, public CourseDisc {
 protected:
  HostileTest() : CourseDisc(L"hostile", ".tolopenhostile") {}
};

TEST_F(HostileTest, DestinationFolderIsAFile) {
  CreateDirectoryW(macromed.c_str(), nullptr);
  WriteFileBytes(flash_folder, "not a folder");
  const Recording recording = Launch(L"page.tolopenhostile");
  EXPECT_EQ(ReadFileBytes(flash_folder), "not a folder") << "the file in the way is left alone";
  EXPECT_EQ(Registered(), Narrow(disc_control)) << "the disc copy is registered";
  EXPECT_EQ(Narrow(recording.command_line), Narrow(ViewerLine(disc + L"\\page.tolopenhostile")));
}

TEST_F(HostileTest, ControlOnTheDiscHeldByAnotherProcess) {
  const HANDLE held = CreateFileW(disc_control.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Recording recording = Launch(L"page.tolopenhostile");
  CloseHandle(held);
  EXPECT_EQ(FileSize(destination), -1) << "no copy, not even a partial one";
  EXPECT_EQ(Registered(), "") << "a file held open cannot register itself";
  EXPECT_FALSE(recording.command_line.empty()) << "the viewer starts all the same";
}

TEST_F(HostileTest, DocumentNameOf300Characters) {
  const std::wstring name = std::wstring(300 - 15, L'n') + L".tolopenhostile";
  ASSERT_EQ(name.size(), 300u);
  const Recording recording = Launch(name);
  EXPECT_EQ(Narrow(recording.command_line), Narrow(ViewerLine(disc + L"\\" + name)));
  EXPECT_EQ(FileSize(destination), FileSize(disc_control));
}

TEST_F(HostileTest, ArgumentOutsideTheAnsiCodePage) {
  const std::wstring name = L"\x0416\x0443\x0440\x043D\x0430\x043B \x6F22\x5B57.tolopenhostile";
  const Recording recording = Launch(L"\"" + name + L"\"");
  // The viewer receives the document's real name, quoted for its blank.
  EXPECT_TRUE(recording.command_line == ViewerLine(L"\"" + disc + L"\\" + name + L"\""))
      << Narrow(recording.command_line);
  EXPECT_EQ(Registered(), Narrow(destination));
}

// An allocation that fails ends the run at once and quietly, with the out-of-memory exit code.
TEST(RunTimeSupportTest, AllocationFailureEndsTheRunQuietly) {
  EXPECT_EQ(RunAndWait(BuildFile(ALLOCATION_FAILURE_EXE), L""), 7u);
}

}  // namespace
}  // namespace tests
