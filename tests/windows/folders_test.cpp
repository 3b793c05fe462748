// What only the Win32 backend has: its model of one current drive and one current folder per
// drive, its files, and the run-time support of the delivered program.
#include <gtest/gtest.h>

#include "common/numbered_error.h"
#include "tests/windows/wine_fixture.h"
#include "win32/win32_platform.h"

namespace tests {
namespace {

std::string Show(const std::u16string& text) { return Narrow(std::wstring(text.begin(), text.end())); }

TEST(Win32FoldersTest, EachDriveKeepsItsFolder) {
  ScratchFolder scratch(L"folders");  // on C:, below %TEMP%
  const std::wstring c_folder = scratch.Path();
  CreateDirectoryW((c_folder + L"\\sub").c_str(), nullptr);
  ASSERT_TRUE(SetCurrentDirectoryW(L"Z:\\tmp"));

  win32::Win32Platform windows;
  const std::u16string c_path(c_folder.begin(), c_folder.end());

  // Another drive's folder changes; the current drive and its folder stay.
  ASSERT_TRUE(windows.ChangeFolder(c_path + u"\\sub"));
  EXPECT_EQ(Show(windows.CurrentFolder().Value()), "Z:\\tmp");

  // Moving to that drive finds the folder it was given, and moving back finds Z:'s.
  ASSERT_TRUE(windows.ChangeDrive(u"C:\\anything"));
  EXPECT_EQ(Show(windows.CurrentFolder().Value()), Narrow(c_folder + L"\\sub"));
  ASSERT_TRUE(windows.ChangeDrive(u"Z:"));
  EXPECT_EQ(Show(windows.CurrentFolder().Value()), "Z:\\tmp");

  // A folder given with a final "\" is the same folder.
  ASSERT_TRUE(windows.ChangeFolder(u"Z:\\tmp\\"));
  EXPECT_EQ(Show(windows.CurrentFolder().Value()), "Z:\\tmp");

  // Failures change nothing.
  const struct {
    const char* what;
    std::function<common::Outcome()> change;
    std::int32_t number;
  } failures[] = {
      {"missing folder", [&] { return windows.ChangeFolder(c_path + u"\\missing"); }, 76},
      {"a file is no folder", [&] { return windows.ChangeFolder(u"Z:\\bin\\sh"); }, 76},
      {"no drive letter", [&] { return windows.ChangeDrive(u"\\macromed\\flash\\"); }, 68},
      {"no such drive", [&] { return windows.ChangeDrive(u"Q:\\"); }, 68},
  };
  for (const auto& f : failures) {
    EXPECT_EQ(f.change().Error().Number(), f.number) << f.what;
    EXPECT_EQ(Show(windows.CurrentFolder().Value()), "Z:\\tmp") << f.what;
  }
}

TEST(Win32FoldersTest, FilesAndSystemFolder) {
  ScratchFolder scratch(L"files");
  const std::u16string folder(scratch.Path().begin(), scratch.Path().end());
  WriteFileBytes(scratch.Path() + L"\\a.bin", std::string(1000, 'a'));
  win32::Win32Platform windows;

  EXPECT_EQ(windows.FileLength(folder + u"\\a.bin").Value(), 1000);
  ASSERT_TRUE(windows.CopyFileReplacing(folder + u"\\a.bin", folder + u"\\b.bin"));
  EXPECT_EQ(FileSize(scratch.Path() + L"\\b.bin"), 1000);
  const int file = windows.OpenForInput(folder + u"\\b.bin").Value();
  ASSERT_TRUE(windows.CloseFile(file));
  EXPECT_FALSE(windows.CloseFile(file));
  EXPECT_FALSE(windows.OpenForInput(folder)) << "a folder";
  EXPECT_FALSE(windows.OpenForInput(folder + u"\\none"));
  ASSERT_TRUE(windows.MakeFolder(folder + u"\\new"));
  EXPECT_FALSE(windows.MakeFolder(folder + u"\\new")) << "exists";

  // A file held open without sharing can be neither read nor replaced.
  const HANDLE held = CreateFileW((scratch.Path() + L"\\b.bin").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(windows.OpenForInput(folder + u"\\b.bin"));
  EXPECT_FALSE(windows.CopyFileReplacing(folder + u"\\a.bin", folder + u"\\b.bin"));
  CloseHandle(held);

  platform::AnsiString buffer(255, ' ');
  const std::uint32_t length = windows.GetSystemDirectoryA(buffer).Value();
  EXPECT_EQ(std::string(buffer.c_str(), length), Narrow(SystemFolder()));
  EXPECT_EQ(buffer[length], '\0');
  platform::AnsiString small(3, ' ');
  EXPECT_GT(windows.GetSystemDirectoryA(small).Value(), 3u);
  EXPECT_TRUE(small == "   ") << "nothing is written when the folder does not fit";
}

// An allocation that fails ends the run at once and quietly, with the out-of-memory exit code.
TEST(RunTimeSupportTest, AllocationFailureEndsTheRunQuietly) {
  EXPECT_EQ(RunAndWait(BuildFile(ALLOCATION_FAILURE_EXE), L""), 7u);
}

}  // namespace
}  // namespace tests
