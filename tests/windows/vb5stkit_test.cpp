// What only a real system shows: vb5stkit.dll's DLLSelfRegister on good and bad files, and the
// delivered run-time support when memory runs out.
#include <gtest/gtest.h>

#include "tests/conformance/machine.h"
#include "tests/windows/wine.h"
#include "vb5stkit/self_registration.h"

namespace tests {
namespace {

using DLLSelfRegisterFunction = SHORT(WINAPI*)(LPCSTR);
using namespace vb5stkit;  // its answers

// The system's switch that sends type libraries to the user's classes (Windows 7 and later; Wine
// has none): a stand-in that the test control sees, handed to the library by its GetProcAddress.
void WINAPI TypeLibrariesForUser() { SetEnvironmentVariableW(L"TOLOPEN_TYPE_LIBRARIES_FOR_USER", L"1"); }

FARPROC WINAPI EntryWithStandIn(HMODULE module, LPCSTR name) {
  if (!IS_INTRESOURCE(name) && lstrcmpA(name, "OaEnablePerUserTLibRegistration") == 0) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(TypeLibrariesForUser));
  }
  return GetProcAddress(module, name);
}

// Points the library's import of KERNEL32!GetProcAddress at EntryWithStandIn.
void HandStandInsTo(HMODULE library) {
  auto* const base = reinterpret_cast<BYTE*>(library);
  const auto* const headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name != 0;
       ++entry) {
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
         name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      if (lstrcmpA(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name,
                   "GetProcAddress") != 0) {
        continue;
      }
      DWORD protection = 0;
      VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(EntryWithStandIn);
      VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
  }
}

// Registered machine-wide, or for the user when the machine refused; a refusal is retried for
// the user, no other failure. Each call lands in the classes it is made for, whatever
// HKEY_CLASSES_ROOT showed the process before.
TEST(Vb5stkitTest, RegistersOnlyWhatCanRegisterItself) {
  const HMODULE library = LoadLibraryW(BuildFile(VB5STKIT_DLL).c_str());
  ASSERT_NE(library, nullptr);
  const auto self_register = reinterpret_cast<DLLSelfRegisterFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "DLLSelfRegister")));
  ASSERT_NE(self_register, nullptr) << "exported under its plain name";
  HandStandInsTo(library);
  const auto ansi = [](const std::wstring& path) { return std::string(path.begin(), path.end()); };
  const struct {
    const char* what;
    std::string path;  // below the machine's disc root when relative
    SHORT expected;
    const char16_t* server_answer = u"";  // a failure the server reports instead of registering
    bool standard_user = false;
    const char16_t* refused_write_answer = u"";  // what the server reports for a refused write
  } cases[] = {
      {"a self-registering server", ansi(BuildFile(TEST_CONTROL_DLL)), kRegistered},
      {"no path", "", kNoPath},
      {"a missing file", "\\missing.ocx", kNotLoaded},
      {"a file that is no DLL", "\\text.ocx", kNotLoaded},
      {"a DLL without DllRegisterServer", ansi(BuildFile(VB5STKIT_DLL)), kNoEntry},
      {"a server that reports E_ACCESSDENIED", ansi(BuildFile(TEST_CONTROL_DLL)), kServerFailed, u"80070005"},
      {"a server that reports E_FAIL", ansi(BuildFile(TEST_CONTROL_DLL)), kServerFailed, u"80004005"},
      {"a standard user", ansi(BuildFile(TEST_CONTROL_DLL)), kRegisteredForUser, u"", true},
      {"a standard user, a server that refuses both ways", ansi(BuildFile(TEST_CONTROL_DLL)), kServerFailed, u"80070005", true},
      // How servers made with COM's storage, the type library functions, MFC or ATL say "refused".
      {"STG_E_ACCESSDENIED", ansi(BuildFile(TEST_CONTROL_DLL)), kRegisteredForUser, u"", true, u"80030005"},
      {"TYPE_E_REGISTRYACCESS", ansi(BuildFile(TEST_CONTROL_DLL)), kRegisteredForUser, u"", true, u"8002801C"},
      {"SELFREG_E_TYPELIB", ansi(BuildFile(TEST_CONTROL_DLL)), kRegisteredForUser, u"", true, u"80040200"},
      {"SELFREG_E_CLASS", ansi(BuildFile(TEST_CONTROL_DLL)), kRegisteredForUser, u"", true, u"80040201"},
      {"a refused write answered as E_FAIL is no refusal", ansi(BuildFile(TEST_CONTROL_DLL)), kServerFailed, u"", true, u"80004005"},
  };
  for (const auto& c : cases) {
    const auto machine = conformance::NewMachine();  // removes what an earlier case registered
    if (*c.server_answer != u'\0') machine->SetEnvironment(u"TOLOPEN_CONTROL_ANSWER", c.server_answer);
    if (*c.refused_write_answer != u'\0') machine->SetEnvironment(u"TOLOPEN_CONTROL_REFUSAL", c.refused_write_answer);
    machine->SetStandardUser(c.standard_user);
    const std::u16string root = machine->DiscRoot();
    machine->WriteFile(root + u"\\text.ocx", 16);
    const std::string path = c.path.rfind("\\", 0) == 0 ? conformance::Show(root) + c.path : c.path;
    SetEnvironmentVariableW(L"TOLOPEN_TYPE_LIBRARIES_FOR_USER", nullptr);
    // HKEY_CLASSES_ROOT as Windows shows it where the user's classes hold the control's key: their
    // writes go there. Wine's shows the machine's alone.
    HKEY user_classes = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_classes,
                    nullptr);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, user_classes);
    EXPECT_EQ(self_register(path.c_str()), c.expected) << c.what;
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(user_classes);
    const std::u16string server = std::u16string(kTestControlKey) + u"\\InprocServer32";
    EXPECT_EQ(machine->GetClassesValue(server, u"").exists, c.expected == kRegistered)
        << c.what << ": only the server's own call registers it machine-wide";
    EXPECT_EQ(machine->GetClassesValue(server, u"", conformance::Classes::kUser).exists,
              c.expected == kRegisteredForUser)
        << c.what << ": for the user only when the machine refused";
    EXPECT_FALSE(machine->GetClassesValue(server, u"TypeLibrariesForUser").exists)
        << c.what << ": the machine-wide call sends type libraries to the machine's classes";
    EXPECT_EQ(machine->GetClassesValue(server, u"TypeLibrariesForUser", conformance::Classes::kUser).exists,
              c.expected == kRegisteredForUser)
        << c.what << ": the call for the user sends type libraries to the user's classes";
  }
  FreeLibrary(library);
}

// An allocation that fails ends the run at once and quietly, with the out-of-memory exit code.
TEST(RunTimeSupportTest, AllocationFailureEndsTheRunQuietly) {
  EXPECT_EQ(RunAndWait(BuildFile(ALLOCATION_FAILURE_EXE), L""), 7u);
}

}  // namespace
}  // namespace tests
