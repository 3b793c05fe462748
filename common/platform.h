// common/: what every module shares: the platform interface (here), failures as values
// (result.h, numbered_error.h, win32_status.h), the error traps (error_trap.h) and text rules.
//
// The platform operations: everything the modules ask of Windows goes through here.
// Two backends implement it: the real Win32 API and a simulated machine for host tests
// and the dry-run tool. Only the entry point of each build knows which one runs. Wrappers
// (wrappers/) stand between the routines and any backend: planted faults, a call log, a trace.
//
// Contracts, operation by operation:
// - Every operation returns a Result or an Outcome (common/result.h): the numbered error of a
//   failure, or success. A failed operation changes nothing and writes no output.
// - The declared imports (the advapi32 registry entries, kernel32 GetSystemDirectoryA and the
//   setup toolkit's DLLSelfRegister) succeed with what their Windows function returns (a status,
//   a length, a result) once the import is resolved; resolving it fails with 48 or 453 for that
//   call only. Registry entries write their outputs only when the status is 0.
// - Text that a declared import takes travels in the system ANSI code page (AnsiString);
//   such a string ends at its first NUL, as a C string would.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/ansi_string.h"
#include "common/result.h"
#include "common/win32_status.h"

namespace platform {

using KeyHandle = std::uintptr_t;  // an open key, or a predefined root key

inline constexpr std::uint32_t kClassesRoot = 0x80000000;  // HKEY_CLASSES_ROOT
inline constexpr std::uint32_t kCurrentUser = 0x80000001;  // HKEY_CURRENT_USER

inline constexpr std::uint32_t kKeyRead = 0x20019;  // KEY_READ
// KEY_READ, KEY_WRITE and KEY_CREATE_LINK together; not KEY_ALL_ACCESS.
inline constexpr std::uint32_t kKeyReadWriteCreateLink = 0x2003F;

// The security-attributes record of RegCreateKeyExA: no security descriptor, and whether the
// key's handle may be inherited by processes this one starts.
struct SecurityAttributes {
  bool inherit_handle = false;
};

enum KeyDisposition : std::uint32_t {
  kCreatedNewKey = 1,      // REG_CREATED_NEW_KEY
  kOpenedExistingKey = 2,  // REG_OPENED_EXISTING_KEY
};

enum RegistryType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
};

inline constexpr int kNormalFocusWindow = 1;  // SW_SHOWNORMAL: a normal window with the focus

// The operations and their contracts are listed once, in common/platform_operations.inc.
class Platform {
 public:
  virtual ~Platform() = default;

#define TOLOPEN_OPERATION(Name, Return, Parameters, ...) virtual Return Name Parameters = 0;
#include "common/platform_operations.inc"
#undef TOLOPEN_OPERATION
};

// The backend in use. The entry point of each build installs one before anything runs; a call
// before that is a fault in the code and ends the run (common::FaultInTheCode).
Platform& Current();

// Installs a backend for the lifetime of this object and puts the previous one back after.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& platform);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace platform
