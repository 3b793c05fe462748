// vb5stkit.dll: the setup toolkit's self-registration entry, shipped beside tolOpen.exe.
//
// DLLSelfRegister loads a COM server file and calls its DllRegisterServer, with COM initialised
// in the calling thread, first machine-wide: HKEY_CLASSES_ROOT stands for the machine's classes
// (HKLM\Software\Classes) for the call, so that the writes go there even where the user's classes
// hold keys of the same names (Windows would send them there). When the machine refuses that (a
// standard user; an administrator whose program was not elevated), it registers the same file
// again for the current user alone: HKEY_CLASSES_ROOT overridden to HKCU\Software\Classes for the
// call, and type libraries sent there too where the system can. A user's classes lie over the
// machine's in what that user sees, so the control is found by the user's browser.
//
// Its answers: self_registration.h.
// The per-user registration stays: a later machine-wide one by an administrator does not remove
// it, and for that user it keeps precedence; every later run of that user registers the control
// for the user again, naming the file that run registers (the administrator's copy in the system
// folder, once it is there). After a machine-wide success nothing is written for the user.
//
// Windows 95, 98, Me and NT 4 have no classes of the user's: there the server is called once with
// HKEY_CLASSES_ROOT as it is, as the setup toolkit always did, and a refusal answers 4. Entries
// that older Windows lack (RegOverridePredefKey before Windows 2000, CoInitialize where OLE is
// missing, OaEnablePerUserTLibRegistration before Vista SP1 and 7) are looked up by name when
// needed: without the first, the server is called once with HKEY_CLASSES_ROOT as it is; without
// the second, it is called without COM initialised; without the third, a type library is not
// sent to the user's classes. The library imports from KERNEL32 only entries that Windows 95 has.
// It shows nothing: no error box from the system while the file is loaded.
#include <windows.h>

#include "vb5stkit/self_registration.h"

namespace {

using EntryFunction = HRESULT(WINAPI*)();
using CoInitializeFunction = HRESULT(WINAPI*)(LPVOID);
using CoUninitializeFunction = void(WINAPI*)();
using RegOverridePredefKeyFunction = LONG(WINAPI*)(HKEY, HKEY);
using OaEnablePerUserTLibRegistrationFunction = void(WINAPI*)();
using RegCreateKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                                              PHKEY, LPDWORD);
using RegCloseKeyFunction = LONG(WINAPI*)(HKEY);

using namespace vb5stkit;  // the answers

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A system library, loaded for the length of a scope (never one of the same name beside the
// program: the name is the system's own, and the loader takes the loaded or known one).
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name) : module_(LoadLibraryA(name)) {}
  ~SystemLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  template <typename Function>
  Function Get(const char* name) const {
    return Entry<Function>(module_, name);
  }

 private:
  const HMODULE module_;
};

// An open registry key, closed on every path out of its scope.
class OpenKey {
 public:
  explicit OpenKey(RegCloseKeyFunction close) : close_(close) {}
  ~OpenKey() {
    if (key_ != nullptr) close_(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  const RegCloseKeyFunction close_;
  HKEY key_ = nullptr;
};

bool HasFolder(LPCSTR path) {
  for (; *path != '\0'; ++path) {
    if (*path == '\\' || *path == '/') return true;
  }
  return false;
}

// Whether a server's failure says that the machine refused its writes: what the registry, COM's
// storage and the type library registration answer for a key the caller may not write, and the
// self-registration failures that servers made with MFC or ATL report for it.
bool IsRefusal(HRESULT result) {
  switch (static_cast<unsigned long>(result)) {
    case 0x80070005ul:  // E_ACCESSDENIED, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)
    case 0x80030005ul:  // STG_E_ACCESSDENIED
    case 0x8002801Cul:  // TYPE_E_REGISTRYACCESS
    case 0x80040200ul:  // SELFREG_E_TYPELIB
    case 0x80040201ul:  // SELFREG_E_CLASS
      return true;
    default:
      return false;
  }
}

// Calls a registration entry with COM initialised in this thread, as servers expect.
HRESULT CallWithCom(EntryFunction entry) {
  const SystemLibrary ole("ole32.dll");
  const auto initialize = ole.Get<CoInitializeFunction>("CoInitialize");
  const auto uninitialize = ole.Get<CoUninitializeFunction>("CoUninitialize");
  const HRESULT initialized = initialize != nullptr ? initialize(nullptr) : E_FAIL;
  const HRESULT result = entry();
  if (SUCCEEDED(initialized) && uninitialize != nullptr) uninitialize();
  return result;
}

// HKEY_CLASSES_ROOT stands for another key in this process while the object lives, and for
// itself again afterwards, on every path.
class ClassesRootOverride {
 public:
  ClassesRootOverride(RegOverridePredefKeyFunction override_key, HKEY replacement)
      : override_key_(override_key),
        active_(override_key(HKEY_CLASSES_ROOT, replacement) == ERROR_SUCCESS) {}
  ~ClassesRootOverride() {
    if (active_) override_key_(HKEY_CLASSES_ROOT, nullptr);
  }
  ClassesRootOverride(const ClassesRootOverride&) = delete;
  ClassesRootOverride& operator=(const ClassesRootOverride&) = delete;
  bool Active() const { return active_; }

 private:
  const RegOverridePredefKeyFunction override_key_;
  const bool active_;
};

// The registry entries that the registration needs, looked up by name, so that the library
// imports from KERNEL32 alone and loads where an entry is missing.
struct RegistryEntries {
  explicit RegistryEntries(const SystemLibrary& advapi)
      : override_key(advapi.Get<RegOverridePredefKeyFunction>("RegOverridePredefKey")),
        create_key(advapi.Get<RegCreateKeyExAFunction>("RegCreateKeyExA")),
        close_key(advapi.Get<RegCloseKeyFunction>("RegCloseKey")) {}
  bool Complete() const { return override_key != nullptr && create_key != nullptr && close_key != nullptr; }

  const RegOverridePredefKeyFunction override_key;
  const RegCreateKeyExAFunction create_key;
  const RegCloseKeyFunction close_key;
};

// Registers the server with HKEY_CLASSES_ROOT standing for `root`\Software\Classes for the call,
// opened with what the caller may do there (for the user's, created when missing): the machine's
// classes, whatever the user's hold, or the user's. Where the system cannot override the root,
// the server is not called and *called is false.
HRESULT RegisterIn(const RegistryEntries& registry, HKEY root, EntryFunction register_server, bool* called) {
  *called = false;
  if (!registry.Complete()) return E_NOTIMPL;
  OpenKey classes(registry.close_key);
  if (registry.create_key(root, "Software\\Classes", 0, nullptr, 0, MAXIMUM_ALLOWED, nullptr, classes.Receive(),
                          nullptr) != ERROR_SUCCESS) {
    return E_NOTIMPL;
  }
  const ClassesRootOverride overridden(registry.override_key, classes.Get());
  if (!overridden.Active()) return E_NOTIMPL;
  *called = true;
  return CallWithCom(register_server);
}

// Windows 95, 98, Me and NT 4 have no classes of the user's: their HKEY_CLASSES_ROOT is the
// machine's alone. Windows 2000 brought them (major version 5 of the NT family).
bool HasUserClasses() {
  const DWORD version = GetVersion();
  return (version & 0x80000000u) == 0 && LOBYTE(LOWORD(version)) >= 5;
}

SelfRegistration Register(EntryFunction register_server) {
  // There the server writes to HKEY_CLASSES_ROOT as it is, once, as the setup toolkit always did.
  if (!HasUserClasses()) return SUCCEEDED(CallWithCom(register_server)) ? kRegistered : kServerFailed;
  const SystemLibrary advapi("advapi32.dll");
  const RegistryEntries registry(advapi);
  // Machine-wide: where the root cannot be overridden after all, the server writes to
  // HKEY_CLASSES_ROOT as it is.
  bool overridden = false;
  HRESULT machine = RegisterIn(registry, HKEY_LOCAL_MACHINE, register_server, &overridden);
  if (!overridden) machine = CallWithCom(register_server);
  if (SUCCEEDED(machine)) return kRegistered;
  if (!IsRefusal(machine)) return kServerFailed;
  // The machine refused: again, for the current user. A type library that the server registers
  // goes to the user's classes too (a switch of its own, which the override alone does not
  // turn; it holds for the rest of the process, in which nothing else registers).
  const SystemLibrary oleaut("oleaut32.dll");
  const auto per_user_type_libraries =
      oleaut.Get<OaEnablePerUserTLibRegistrationFunction>("OaEnablePerUserTLibRegistration");
  if (per_user_type_libraries != nullptr) per_user_type_libraries();
  bool for_user = false;
  const HRESULT user = RegisterIn(registry, HKEY_CURRENT_USER, register_server, &for_user);
  return for_user && SUCCEEDED(user) ? kRegisteredForUser : kServerFailed;
}

}  // namespace

// The DLL's entry point, without the C run-time library's start-up code: the library has no
// globals and needs nothing set up or torn down.
extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) SHORT WINAPI DLLSelfRegister(LPCSTR path) {
  if (path == nullptr || *path == '\0') return kNoPath;
  const UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // The server's own folder is searched first for the DLLs it depends on.
  const HMODULE server = LoadLibraryExA(path, nullptr, HasFolder(path) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  SHORT result = kNotLoaded;
  if (server != nullptr) {
    const auto register_server = Entry<EntryFunction>(server, "DllRegisterServer");
    result = register_server == nullptr ? kNoEntry : Register(register_server);
    FreeLibrary(server);
  }
  SetErrorMode(previous_mode);
  return result;
}
