// The conformance suite: cases written once, as tables of behaviour, and run on two machines:
// the simulated one (host build) and the real Win32 backend under Wine (Windows build), in the
// manner of Wine's own tests, which run unchanged on Windows and on Wine. A case whose outcome
// differs between them is a fidelity fault of the simulated machine or of the backend.
//
// A case talks to a Machine: it sets up the registry under HKEY_CLASSES_ROOT and the files of a
// course disc, runs the launcher (the real tolOpen.exe under Wine, Main on the simulated
// machine) or a routine in this process, and looks at what the machine holds afterwards.
// Paths are Windows paths; "{disc}", "{system}" and "{viewer}" in a case's text stand for the
// case's disc folder and the machine's system folder and viewer program (Expand).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform.h"

namespace conformance {

struct ClassesValue {
  bool exists = false;
  std::uint32_t type = 0;
  std::string data;
};

// What one run of the launcher left: the viewer's command line and current folder ("" when no
// viewer started) and the show state its window was given (STARTUPINFO's, as the viewer reads
// it; -1 when none was given), the control file that this run registered in the machine's classes
// ("" when none did) and the current folder it did so in, and the file that the current user's
// classes name for the control after the run ("" when they name none).
struct LaunchOutcome {
  std::u16string viewer_command_line;
  std::u16string viewer_folder;
  int viewer_show_state = -1;
  std::u16string registered;
  std::u16string registered_in;
  std::u16string registered_for_user;
};

// Whose classes a look reads: the machine's (HKEY_LOCAL_MACHINE\Software\Classes) or the current
// user's (HKEY_CURRENT_USER\Software\Classes).
enum class Classes { kMachine, kUser };

// The builds of the launcher that a disc can hold.
enum class Build { kDelivered, kFileType };

class Machine {
 public:
  virtual ~Machine() = default;

  // --- Its places ---
  // The folder below which a case lays its discs (no final "\").
  virtual std::u16string DiscRoot() = 0;
  virtual std::u16string SystemFolder() = 0;  // no final "\"
  // The viewer program that a case registers; it records the command line it receives.
  virtual std::u16string Viewer() = 0;
  // An empty folder for the file-system cases, and an existing folder on another drive.
  virtual std::u16string WorkFolder() = 0;
  virtual std::u16string OtherDriveFolder() = 0;

  // --- Setting it up ---
  virtual void SetClassesValue(const std::u16string& key, const std::u16string& name, std::uint32_t type,
                               const std::string& data, Classes whose = Classes::kMachine) = 0;
  virtual void SetEnvironment(const std::u16string& name, const std::u16string& value) = 0;
  // A file of `size` bytes, with the folders it needs.
  virtual void WriteFile(const std::u16string& path, std::size_t size) = 0;
  // A copy of the viewer program under another path and name, with the folders it needs.
  virtual void CopyViewer(const std::u16string& path) = 0;
  // Moves a file to another path (the system folder's files go when the machine does).
  virtual void MoveFile(const std::u16string& from, const std::u16string& to) = 0;
  // A copy of the control (a self-registering COM server), padded to `size` bytes.
  virtual void WriteControl(const std::u16string& path, std::size_t size) = 0;
  virtual void RemoveFile(const std::u16string& path) = 0;
  virtual void MakeReadOnly(const std::u16string& path) = 0;
  // Another program holds the file open without sharing, as long as the machine lives.
  virtual void Hold(const std::u16string& path) = 0;
  // Another program reads the file, sharing it for reading only, as long as the machine lives.
  virtual void HoldForReading(const std::u16string& path) = 0;
  // A course disc in `folder`: the launcher of that build, vb5stkit.dll beside it, and the
  // control as tools\flash\flash.ocx, 500,000 bytes long.
  virtual void MakeDisc(const std::u16string& folder, Build build = Build::kDelivered) = 0;
  // A standard user (or an administrator whose program was not elevated) from now on, or an
  // administrator again: the machine's classes refuse writes to the keys that the launcher and
  // the control write (under Wine: those keys, made beforehand with a DACL that lets everyone
  // only read); the user's classes take them.
  virtual void SetStandardUser(bool standard) = 0;
  // The control refuses to register itself, machine-wide and for the user (E_ACCESSDENIED).
  virtual void MakeControlRefuse() = 0;
  // From now on the launcher is told that it runs on this Windows (one of kWindowsVersions; "" the
  // machine as it is). Wine is told through its setting for the program; the simulated machine
  // is the same for every version, the family being the Win32 backend's own matter.
  virtual void SetWindowsVersion(const std::string& version) = 0;

  // --- Running ---
  // Starts the disc's launcher with the argument text, its folder as the current folder, and
  // waits for it to end. `viewer_expected`: how long to wait for a viewer to report.
  virtual LaunchOutcome Launch(const std::u16string& folder, const std::u16string& argument,
                     bool viewer_expected = true) = 0;
  // The backend, installed for the routines that a case calls in this process.
  virtual platform::Platform& Platform() = 0;
  // The backend as the disc's launcher meets it when its routines run in this process: its
  // folder the disc's, its argument text `argument`, the disc the current folder.
  virtual platform::Platform& ProgramOn(const std::u16string& disc, const std::u16string& argument) = 0;
  // What only this machine can see after such a run, "" when all is well: the simulated machine
  // counts the keys and files left open; Wine waits for the record of a viewer that was started.
  virtual std::string AfterRoutines(bool viewer_started) = 0;

  // --- Looking at it ---
  virtual ClassesValue GetClassesValue(const std::u16string& key, const std::u16string& name,
                                       Classes whose = Classes::kMachine) = 0;
  virtual std::u16string KeyClass(const std::u16string& key) = 0;
  virtual long long FileSize(const std::u16string& path) = 0;  // -1 when it does not exist
  virtual std::string FileBytes(const std::u16string& path) = 0;  // "" when it cannot be read
  virtual bool IsReadOnly(const std::u16string& path) = 0;

  // Where Wine does differently from Windows, a case says so in one line with this.
  virtual bool UnderWine() = 0;
};

// A fresh machine of the build's kind, with nothing of earlier cases left on it.
std::unique_ptr<Machine> NewMachine();

// The text with {disc} replaced by `disc`, {system} and {viewer} by the machine's own.
std::u16string Expand(Machine& machine, std::u16string text, const std::u16string& disc = u"");

// Whether a table's row runs: every row, unless TOLOPEN_ROWS names some ("|"-separated), as the
// lane that runs the delivered 32-bit files under emulation does, where each run costs a minute.
bool Selected(const char* what);

// The Windows versions that Wine can be told to be, as its setting names them: "" for the
// machine as it is, then 95, 98, Me, NT 4, 2000, XP, 7 and 10.
inline const char* const kWindowsVersions[] = {"", "win95", "win98", "winme", "nt40", "win2k", "winxp", "win7", "win10"};

// The versions that the rows with a column of versions run on: those that
// TOLOPEN_WINDOWS_VERSIONS names ("|"-separated, an empty name for the machine as it is), else
// all of kWindowsVersions.
std::vector<std::string> WindowsVersions();

// A row's name with its version: "what" alone for the machine as it is, else "what on version".
std::string OnVersion(const char* what, const std::string& version);

// UTF-16 as UTF-8 for test messages.
std::string Show(const std::u16string& text);

// A fresh machine with the viewer registered for ".tolopentest" and ".html" (command: the quoted
// viewer, then `arguments`), and a course disc of the build in `folder` below its disc root.
struct Course {
  explicit Course(const std::u16string& folder = u"disc", const std::u16string& arguments = u" -nohome",
                  Build build = Build::kDelivered);
  // The open command of the document type, stored as `type` (REG_SZ, REG_EXPAND_SZ, ...).
  void RegisterCommand(std::uint32_t type, const std::u16string& command);
  // The text with the disc's and the machine's places.
  std::u16string Expected(const std::u16string& text) const { return Expand(*machine, text, disc); }
  // The control's folder in the system folder, and its copy there.
  std::u16string Folder() const { return machine->SystemFolder() + u"\\macromed\\flash"; }
  std::u16string Destination() const { return Folder() + u"\\flash.ocx"; }
  std::u16string DiscControl() const { return disc + u"\\tools\\flash\\flash.ocx"; }

  std::unique_ptr<Machine> machine;
  std::u16string disc;
};

}  // namespace conformance
