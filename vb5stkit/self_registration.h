// What vb5stkit.dll's DLLSelfRegister answers, and the Flash control's class key that a
// registration writes: one home for the library, the simulated machine that plays it, the dry run
// that reports it, and the tests.
#pragma once

namespace vb5stkit {

enum SelfRegistration : short {
  kRegistered = 0,          // machine-wide (on Windows without classes of the user's, in HKCR as it is)
  kNoPath = 1,              // no path
  kNotLoaded = 2,           // the file cannot be loaded (missing, not a DLL)
  kNoEntry = 3,             // it has no DllRegisterServer
  kServerFailed = 4,        // the server reported a failure: no refusal, or a refusal both ways
  kRegisteredForUser = 5,   // the machine refused, and the server registered itself for the user
};

// Whether the file registered itself, for every user or for the current one.
constexpr bool RegisteredItself(int answer) { return answer == kRegistered || answer == kRegisteredForUser; }

// The Flash control's class key, which its self-registration writes below a classes root; its
// InprocServer32 names the file.
inline constexpr char16_t kFlashClassKey[] = u"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";

}  // namespace vb5stkit
