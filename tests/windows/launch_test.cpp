// tolOpen.exe run for real: a disc folder, a registered viewer (the recorder), and the command
// line that the viewer receives.
#include <gtest/gtest.h>

#include "tests/windows/wine_fixture.h"

namespace tests {
namespace {

class LaunchTest : public ::testing::Test {
 protected:
  LaunchTest() {
    SetEnvironmentVariableW(L"TOLOPEN_RECORDER_OUT", record_.c_str());
    DeleteFileW(record_.c_str());
  }
  ~LaunchTest() override {
    RemoveTree(SystemFolder() + L"\\macromed");  // made by the launcher's control provisioning
    DeleteClassesTree(".tolopentest");
    DeleteClassesTree("TolOpenTest.Document");
  }

  // Registers the recorder for ".tolopentest" with the given arguments after its path.
  void RegisterViewer(const std::string& arguments) {
    SetClassesValue(".tolopentest", "", REG_SZ, "TolOpenTest.Document");
    SetClassesValue("TolOpenTest.Document\\shell\\open\\command", "", REG_SZ,
                    "\"" + Narrow(recorder_) + "\"" + arguments);
  }

  // Puts tolOpen.exe into `disc` and runs it there with the argument text.
  void RunFrom(const std::wstring& disc, const std::wstring& argument) {
    const std::wstring program = disc + L"\\tolOpen.exe";
    ASSERT_TRUE(CopyFileW(BuildFile(TOLOPEN_EXE).c_str(), program.c_str(), FALSE));
    EXPECT_EQ(RunAndWait(program, argument), 0u);
  }

  const std::wstring recorder_ = BuildFile(RECORDER_EXE);
  ScratchFolder scratch_{L"launch"};
  const std::wstring record_ = scratch_.Path() + L"\\record.txt";
};

TEST_F(LaunchTest, ViewerReceivesTheDocument) {
  const struct {
    const char* what;
    std::wstring disc;  // below the scratch folder
    std::string arguments;
    std::wstring argument;
    std::wstring expected_tail;  // after the recorder's quoted path
  } cases[] = {
      {"appended", L"disc", " -nohome", L"page.tolopentest", L" -nohome {disc}\\page.tolopentest"},
      {"in a folder", L"disc", "", L"docs\\intro.tolopentest", L" {disc}\\docs\\intro.tolopentest"},
      {"quoted argument", L"disc", "", L"\"page.tolopentest\"", L" {disc}\\page.tolopentest"},
      {"placeholder", L"disc", " \"%1\" -x", L"page.tolopentest", L" \"{disc}\\page.tolopentest\" -x"},
      {"folder with a blank", L"My Course", "", L"page.tolopentest",
       L" \"{disc}\\page.tolopentest\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring disc = scratch_.Path() + L"\\" + c.disc;
    CreateDirectoryW(disc.c_str(), nullptr);
    RegisterViewer(c.arguments);
    DeleteFileW(record_.c_str());
    RunFrom(disc, c.argument);
    std::wstring expected = L"\"" + recorder_ + L"\"" + c.expected_tail;
    expected.replace(expected.find(L"{disc}"), 6, disc);
    EXPECT_EQ(Narrow(AwaitRecording(record_).command_line), Narrow(expected));
  }
}

TEST_F(LaunchTest, DefaultDocumentIsIndexHtml) {
  SetClassesValue(".html", "", REG_SZ, "TolOpenTest.Document");
  RegisterViewer(" -nohome");
  const std::wstring disc = scratch_.Path() + L"\\root";
  CreateDirectoryW(disc.c_str(), nullptr);
  RunFrom(disc, L"");
  EXPECT_EQ(Narrow(AwaitRecording(record_).command_line),
            Narrow(L"\"" + recorder_ + L"\" -nohome " + disc + L"\\index.html"));
}

TEST_F(LaunchTest, UnregisteredTypeEndsQuietly) {
  const std::wstring disc = scratch_.Path() + L"\\quiet";
  CreateDirectoryW(disc.c_str(), nullptr);
  RunFrom(disc, L"notes.tolopen-unregistered");  // exit code 0 is checked inside
}

}  // namespace
}  // namespace tests
