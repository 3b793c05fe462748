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

class Platform {
 public:
  virtual ~Platform() = default;

  // --- The running program ---
  // The command-line argument text: everything after the program's own name and the blanks
  // that follow it, as one string, neither split nor unquoted.
  virtual common::Result<std::u16string> CommandLineArgument() = 0;
  // The folder that holds the running executable: no trailing "\" except at a drive root.
  virtual common::Result<std::u16string> ProgramFolder() = 0;
  // Starts a command line in a window of the given style and does not wait for it. The new
  // process receives the command line unchanged (through the ANSI entry when the code page
  // holds it, else through the wide one).
  virtual common::Outcome StartProcess(const std::u16string& command_line, int window_style) = 0;

  // --- The system ANSI code page ---
  // Characters that the code page cannot hold become "?".
  virtual common::Result<AnsiString> ToAnsi(const std::u16string& text) = 0;
  virtual common::Result<std::u16string> FromAnsi(AnsiStringView bytes) = 0;
  // Replaces each %NAME% that names an environment variable by its value.
  virtual common::Result<std::u16string> ExpandEnvironment(const std::u16string& text) = 0;

  // --- Registry (advapi32, ANSI) ---
  virtual common::Result<Status> RegOpenKeyExA(KeyHandle root, const AnsiString& sub_key, std::uint32_t options,
                               std::uint32_t access, KeyHandle* key) = 0;
  // On entry *count is the buffer's size; on success it is the data's length. When the data
  // does not fit, returns kERROR_MORE_DATA with *count set to the length needed.
  virtual common::Result<Status> RegQueryValueExA(KeyHandle key, const AnsiString& value_name,
                                  std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* count) = 0;
  virtual common::Result<Status> RegCloseKey(KeyHandle key) = 0;
  // Opens a key, creating it and every missing key above it; `key_class` is recorded only on
  // keys that the call creates. Sets *disposition to kCreatedNewKey or kOpenedExistingKey.
  virtual common::Result<Status> RegCreateKeyExA(KeyHandle root, const AnsiString& sub_key, std::uint32_t reserved,
                                 const AnsiString& key_class, std::uint32_t options,
                                 std::uint32_t access, const SecurityAttributes& security,
                                 KeyHandle* key, std::uint32_t* disposition) = 0;
  // Writes a value, replacing its data and type when it exists.
  virtual common::Result<Status> RegSetValueExA(KeyHandle key, const AnsiString& value_name, std::uint32_t reserved,
                                std::uint32_t type, const std::uint8_t* data, std::uint32_t count) = 0;

  // --- Current drive and folders ---
  // The machine keeps one current drive and one current folder per drive.
  // The full path of the current drive's current folder ("D:\", "C:\WINDOWS").
  virtual common::Result<std::u16string> CurrentFolder() = 0;
  // Makes the drive that `path` begins with ("C:...") current; its own folder is kept.
  // Fails when the path begins with no drive letter or the drive does not exist.
  virtual common::Outcome ChangeDrive(const std::u16string& path) = 0;
  // Makes an existing folder the current folder of the drive it lies on; the current drive
  // stays. A relative path is taken from the current folder.
  virtual common::Outcome ChangeFolder(const std::u16string& path) = 0;

  // --- Files and folders ---
  // Creates one folder; its parent must exist.
  virtual common::Outcome MakeFolder(const std::u16string& path) = 0;
  // Opens a file for sequential reading; gives a file number for CloseFile. A missing file,
  // a folder, or a file that another program holds against reading cannot be opened.
  virtual common::Result<int> OpenForInput(const std::u16string& path) = 0;
  virtual common::Outcome CloseFile(int file_number) = 0;
  // The length of a file in bytes, as a signed 32-bit number.
  virtual common::Result<std::int32_t> FileLength(const std::u16string& path) = 0;
  // Copies a file, replacing the destination, also a read-only one; a failed copy leaves no
  // partial destination and the one that was there as it was. The copy is writable even when
  // the source is read-only (as files on a CD are).
  virtual common::Outcome CopyFileReplacing(const std::u16string& source, const std::u16string& destination) = 0;

  // --- Declared imports of kernel32 and the setup toolkit ---
  // kernel32 GetSystemDirectoryA: writes the system folder and a NUL into `buffer` when they
  // fit in buffer.size() bytes and gives the folder's length; gives the size needed when they
  // do not fit (writing nothing), and 0 on failure.
  virtual common::Result<std::uint32_t> GetSystemDirectoryA(AnsiString& buffer) = 0;
  // "vb5stkit.dll" DLLSelfRegister: makes the named file register itself as a COM server.
  virtual common::Result<std::int16_t> DLLSelfRegister(const AnsiString& path) = 0;
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
