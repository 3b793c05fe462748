// vb5stkit.dll's DLLSelfRegister on good and bad files: 0 only when the file registered itself.
#include <gtest/gtest.h>

#include "tests/windows/wine_fixture.h"

namespace tests {
namespace {

using DLLSelfRegisterFunction = SHORT(WINAPI*)(LPCSTR);

TEST(Vb5stkitTest, RegistersOnlyWhatCanRegisterItself) {
  const HMODULE library = LoadLibraryW(BuildFile(VB5STKIT_DLL).c_str());
  ASSERT_NE(library, nullptr);
  const auto self_register = reinterpret_cast<DLLSelfRegisterFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "DLLSelfRegister")));
  ASSERT_NE(self_register, nullptr) << "exported under its plain name";

  ScratchFolder scratch(L"vb5stkit");
  WriteFileBytes(scratch.Path() + L"\\text.ocx", "not a DLL at all");
  const struct {
    const char* what;
    std::string path;
    SHORT expected;
  } cases[] = {
      {"a self-registering server", Narrow(BuildFile(TEST_CONTROL_DLL)), 0},
      {"no path", "", 1},
      {"a missing file", Narrow(scratch.Path()) + "\\missing.ocx", 2},
      {"a file that is no DLL", Narrow(scratch.Path()) + "\\text.ocx", 2},
      {"a DLL without DllRegisterServer", Narrow(BuildFile(VB5STKIT_DLL)), 3},
  };
  for (const auto& c : cases) {
    DeleteClassesTree(kTestControlKey);
    EXPECT_EQ(self_register(c.path.c_str()), c.expected) << c.what;
  }
  EXPECT_EQ(ClassesText(std::string(kTestControlKey) + "\\InprocServer32", ""), "")
      << "only the server's own call registers it";
  DeleteClassesTree(kTestControlKey);
  FreeLibrary(library);
}

// An allocation that fails ends the run at once and quietly, with the out-of-memory exit code.
TEST(RunTimeSupportTest, AllocationFailureEndsTheRunQuietly) {
  EXPECT_EQ(RunAndWait(BuildFile(ALLOCATION_FAILURE_EXE), L""), 7u);
}

}  // namespace
}  // namespace tests
