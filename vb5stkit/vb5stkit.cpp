// vb5stkit.dll: the setup toolkit's self-registration entry, shipped beside tolOpen.exe.
//
// DLLSelfRegister loads a COM server file, calls its DllRegisterServer and unloads it.
// Result: 0 when the server registered itself; 1 for no path, 2 when the file cannot be loaded
// (missing, not a DLL), 3 when it has no DllRegisterServer, 4 when that reports a failure.
// It shows nothing: no error box from the system while the file is loaded.
#include <windows.h>

namespace {

using EntryFunction = HRESULT(WINAPI*)();
using CoInitializeFunction = HRESULT(WINAPI*)(LPVOID);
using CoUninitializeFunction = void(WINAPI*)();

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool HasFolder(LPCSTR path) {
  for (; *path != '\0'; ++path) {
    if (*path == '\\' || *path == '/') return true;
  }
  return false;
}

// Calls a registration entry with COM initialised in this thread, as servers expect.
HRESULT CallWithCom(EntryFunction entry) {
  const HMODULE ole = LoadLibraryA("ole32.dll");
  const auto initialize = Entry<CoInitializeFunction>(ole, "CoInitialize");
  const auto uninitialize = Entry<CoUninitializeFunction>(ole, "CoUninitialize");
  const HRESULT initialized = initialize != nullptr ? initialize(nullptr) : E_FAIL;
  const HRESULT result = entry();
  if (SUCCEEDED(initialized) && uninitialize != nullptr) uninitialize();
  if (ole != nullptr) FreeLibrary(ole);
  return result;
}

}  // namespace

// The DLL's entry point, without the C run-time library's start-up code: the library has no
// globals and needs nothing set up or torn down.
extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) SHORT WINAPI DLLSelfRegister(LPCSTR path) {
  if (path == nullptr || *path == '\0') return 1;
  const UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // The server's own folder is searched first for the DLLs it depends on.
  const HMODULE server = LoadLibraryExA(path, nullptr, HasFolder(path) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  SHORT result = 2;
  if (server != nullptr) {
    const auto register_server = Entry<EntryFunction>(server, "DllRegisterServer");
    result = register_server == nullptr ? 3 : SUCCEEDED(CallWithCom(register_server)) ? 0 : 4;
    FreeLibrary(server);
  }
  SetErrorMode(previous_mode);
  return result;
}
