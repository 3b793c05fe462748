// tolOpen.exe provisions the control for real: a disc with tolOpen.exe, vb5stkit.dll and
// tools\flash\flash.ocx (the tests' own self-registering server), and Wine's system folder.
#include <gtest/gtest.h>

#include "tests/windows/wine_fixture.h"

namespace tests {
namespace {

constexpr char kServerKey[] = "CLSID\\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}\\InprocServer32";

class InstallTest : public ::testing::Test {
 protected:
  InstallTest() {
    RemoveTree(macromed_);
    DeleteClassesTree("CLSID\\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}");
    SetEnvironmentVariableW(L"TOLOPEN_RECORDER_OUT", record_.c_str());
    SetClassesValue(".tolopeninstall", "", REG_SZ, "TolOpenTest.Install");
    SetClassesValue("TolOpenTest.Install\\shell\\open\\command", "", REG_SZ,
                    "\"" + Narrow(BuildFile(RECORDER_EXE)) + "\"");
    CreateDirectoryW(disc_.c_str(), nullptr);
    CreateDirectoryW((disc_ + L"\\tools").c_str(), nullptr);
    CreateDirectoryW((disc_ + L"\\tools\\flash").c_str(), nullptr);
    CopyFileW(BuildFile(TOLOPEN_EXE).c_str(), (disc_ + L"\\tolOpen.exe").c_str(), FALSE);
    CopyFileW(BuildFile(VB5STKIT_DLL).c_str(), (disc_ + L"\\vb5stkit.dll").c_str(), FALSE);
    CopyFileW(BuildFile(TEST_CONTROL_DLL).c_str(), disc_control_.c_str(), FALSE);
  }
  ~InstallTest() override {
    RemoveTree(macromed_);
    DeleteClassesTree("CLSID\\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}");
    DeleteClassesTree(".tolopeninstall");
    DeleteClassesTree("TolOpenTest.Install");
  }

  // Runs the launcher from the disc's root folder; gives what the viewer recorded.
  Recording Launch() {
    DeleteFileW(record_.c_str());
    EXPECT_EQ(RunAndWait(disc_ + L"\\tolOpen.exe", L"page.tolopeninstall", disc_), 0u);
    return AwaitRecording(record_);
  }

  std::string Registered() { return ClassesText(kServerKey, ""); }

  ScratchFolder scratch_{L"install"};
  const std::wstring disc_ = scratch_.Path() + L"\\disc";
  const std::wstring disc_control_ = disc_ + L"\\tools\\flash\\flash.ocx";
  const std::wstring record_ = scratch_.Path() + L"\\record.txt";
  const std::wstring macromed_ = SystemFolder() + L"\\macromed";
  const std::wstring destination_ = macromed_ + L"\\flash\\flash.ocx";
};

TEST_F(InstallTest, FreshMachineThenSecondRun) {
  const Recording first = Launch();
  EXPECT_EQ(FileSize(destination_), FileSize(disc_control_));
  EXPECT_EQ(Registered(), Narrow(destination_));
  // The control registered itself from its own folder.
  EXPECT_EQ(ClassesText(kServerKey, "RegisteredIn"), Narrow(macromed_ + L"\\flash"));
  // The viewer started afterwards, in the folder the launcher was started in.
  EXPECT_EQ(Narrow(first.command_line), Narrow(L"\"" + BuildFile(RECORDER_EXE) + L"\" " + disc_ + L"\\page.tolopeninstall"));
  EXPECT_EQ(Narrow(first.current_folder), Narrow(disc_));

  // A second run copies nothing and registers again.
  WIN32_FILE_ATTRIBUTE_DATA before;
  GetFileAttributesExW(destination_.c_str(), GetFileExInfoStandard, &before);
  DeleteClassesTree("CLSID\\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}");
  Launch();
  WIN32_FILE_ATTRIBUTE_DATA after;
  GetFileAttributesExW(destination_.c_str(), GetFileExInfoStandard, &after);
  EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0) << "copied again";
  EXPECT_EQ(Registered(), Narrow(destination_));
}

TEST_F(InstallTest, TooSmallCopyIsReplaced) {
  CreateDirectoryW(macromed_.c_str(), nullptr);
  CreateDirectoryW((macromed_ + L"\\flash").c_str(), nullptr);
  WriteFileBytes(destination_, std::string(405503, 'x'));
  Launch();
  EXPECT_EQ(FileSize(destination_), FileSize(disc_control_));
  EXPECT_EQ(Registered(), Narrow(destination_));
}

TEST_F(InstallTest, DestinationInUseRegistersTheDiscCopy) {
  CreateDirectoryW(macromed_.c_str(), nullptr);
  CreateDirectoryW((macromed_ + L"\\flash").c_str(), nullptr);
  WriteFileBytes(destination_, std::string(1000, 'x'));
  const HANDLE held = CreateFileW(destination_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Recording recording = Launch();
  CloseHandle(held);
  EXPECT_EQ(FileSize(destination_), 1000);
  EXPECT_EQ(Registered(), Narrow(disc_control_));
  EXPECT_FALSE(recording.command_line.empty()) << "the viewer starts all the same";
}

TEST_F(InstallTest, MissingPiecesStillStartTheViewer) {
  const struct {
    const char* what;
    std::wstring removed;
  } cases[] = {
      {"no vb5stkit.dll", disc_ + L"\\vb5stkit.dll"},
      {"no control on the disc", disc_control_},
  };
  for (const auto& c : cases) {
    RemoveTree(macromed_);
    DeleteFileW(c.removed.c_str());
    EXPECT_FALSE(Launch().command_line.empty()) << c.what;
    EXPECT_EQ(Registered(), "") << c.what;
  }
}

}  // namespace
}  // namespace tests
