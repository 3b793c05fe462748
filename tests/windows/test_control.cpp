// A self-registering COM server that stands in for the Flash control in the tests. Its
// DllRegisterServer records, under HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32, the path it
// was loaded from (the default value) and the current folder at the time ("RegisteredIn").
// Small, so that a case can pad a copy to the length it needs (a real control is about half a
// megabyte; bytes after its image do not keep a DLL from loading). Where TOLOPEN_CONTROL_ANSWER
// holds a failure (hexadecimal, such as 80070005 for E_ACCESSDENIED), it registers nothing and
// answers that, as a server does that cannot write its keys. A key it may not write makes it
// answer what that write answered, as an HRESULT (E_ACCESSDENIED for a refused one), as servers
// made with ATL do; or, where TOLOPEN_CONTROL_REFUSAL holds one (hexadecimal), that failure, as
// servers made otherwise answer a refused write (SELFREG_E_CLASS, TYPE_E_REGISTRYACCESS, ...).
// Where TOLOPEN_TYPE_LIBRARIES_FOR_USER is set (a test's stand-in for the system's switch that sends
// type libraries to the user's classes sets it), it records that too ("TypeLibrariesForUser").
#include <objbase.h>
#include <windows.h>

namespace {
HMODULE g_self = nullptr;  // this library, as loaded

// The failure an environment variable names in hexadecimal, or S_OK where it names none.
HRESULT FailureNamedBy(const char* variable) {
  char answer[16];
  unsigned long failure = 0;
  if (GetEnvironmentVariableA(variable, answer, sizeof answer) == 0) return S_OK;
  for (const char* digit = answer; *digit != '\0'; ++digit) {
    failure = failure << 4 | static_cast<unsigned long>(*digit <= '9' ? *digit - '0' : (*digit | 0x20) - 'a' + 10);
  }
  return static_cast<HRESULT>(failure);
}
}  // namespace

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  if (const HRESULT answer = FailureNamedBy("TOLOPEN_CONTROL_ANSWER"); FAILED(answer)) return answer;
  // A real control registers its type library through COM, which fails where the caller has not
  // initialised COM in this thread (then this call is the first, and answers S_OK).
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(com)) CoUninitialize();
  if (com == S_OK) return CO_E_NOTINITIALIZED;
  char path[MAX_PATH];
  char folder[MAX_PATH];
  GetModuleFileNameA(g_self, path, MAX_PATH);
  GetCurrentDirectoryA(MAX_PATH, folder);
  HKEY key = nullptr;
  const LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID\\" TOLOPEN_TEST_CONTROL_CLSID "\\InprocServer32",
                                      0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    const HRESULT refusal = FailureNamedBy("TOLOPEN_CONTROL_REFUSAL");
    return status == ERROR_ACCESS_DENIED && FAILED(refusal) ? refusal : HRESULT_FROM_WIN32(status);
  }
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), static_cast<DWORD>(lstrlenA(path) + 1));
  RegSetValueExA(key, "RegisteredIn", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                 static_cast<DWORD>(lstrlenA(folder) + 1));
  if (GetEnvironmentVariableA("TOLOPEN_TYPE_LIBRARIES_FOR_USER", folder, MAX_PATH) != 0) {
    RegSetValueExA(key, "TypeLibrariesForUser", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  }
  RegCloseKey(key);
  return S_OK;
}
