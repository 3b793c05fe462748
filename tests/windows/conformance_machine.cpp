// The conformance suite's machine in the Windows build: the real registry and file system
// (under Wine here), the Win32 backend in this process, and the real tolOpen.exe with the
// recorder as its viewer. What a machine changes is put back when it goes: the keys it wrote
// (a key that was there keeps its former values), the system folder's macromed, its files.
#include "tests/windows/wine.h"

#include <sddl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "tests/conformance/machine.h"
#include "win32/win32_platform.h"
#include "wrappers/forwarding_platform.h"

namespace tests {

std::wstring BuildFile(const char* host_path) {
  std::wstring path = L"Z:";
  for (const char* p = host_path; *p != '\0'; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return path;
}

DWORD RunAndWait(const std::wstring& program, const std::wstring& argument, const std::wstring& current_folder) {
  std::wstring line = L"\"" + program + L"\"" + (argument.empty() ? L"" : L" " + argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!StartedOnceMore([&] {
        return CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              current_folder.empty() ? nullptr : current_folder.c_str(), &startup, &process) != FALSE;
      })) {
    return static_cast<DWORD>(-1);
  }
  // Under emulation (the lane of the delivered 32-bit files) a run takes a minute or more.
  const char* timeout = std::getenv("TOLOPEN_LAUNCH_TIMEOUT_S");
  WaitForSingleObject(process.hProcess, 1000u * static_cast<DWORD>(timeout != nullptr ? std::atoi(timeout) : 30));
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string WaitForViewerRecord(const std::wstring& path, DWORD wait_ms) {
  constexpr DWORD kLookEveryMs = 25;
  for (DWORD waited = 0;; waited += kLookEveryMs, Sleep(kLookEveryMs)) {
    std::string bytes = FileBytes(path);
    if (!bytes.empty() || waited >= wait_ms) return bytes;
  }
}

}  // namespace tests

namespace conformance {
namespace {

namespace fs = std::filesystem;

std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string U(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }  // ASCII names

std::wstring SystemFolderW() {
  wchar_t folder[MAX_PATH];
  GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

void RemoveTree(const std::wstring& path) {
  const std::wstring from = path + L'\0';  // double NUL terminated
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}

// The classes as a case reads them: HKEY_CLASSES_ROOT (what the launcher sees), the machine's
// or the current user's.
enum class View { kMerged, kMachine, kUser };
std::string InView(View view, const std::string& key) {
  return view == View::kMerged ? key : "Software\\Classes\\" + key;
}
HKEY RootOf(View view) {
  return view == View::kMerged ? HKEY_CLASSES_ROOT : view == View::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// A value of the classes with the ANSI API.
ClassesValue ReadClassesValue(const std::string& key, const std::string& name, View view = View::kMerged) {
  ClassesValue value;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(RootOf(view), InView(view, key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return value;
  char data[2048];
  DWORD size = sizeof data;
  DWORD type = 0;
  if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
    value = {true, type, std::string(data, size)};
  }
  RegCloseKey(handle);
  return value;
}

void WriteClassesValue(const std::string& key, const std::string& name, DWORD type, const std::string& data,
                       View view = View::kMerged) {
  HKEY handle = nullptr;
  RegCreateKeyExA(RootOf(view), InView(view, key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  // The entry counts a NUL that follows text data as part of it; a byte after the data keeps
  // the value exactly as given.
  const std::string followed = data + 'x';
  RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(followed.data()),
                 static_cast<DWORD>(data.size()));
  RegCloseKey(handle);
}

// A REG_SZ value written by the tests' control, without its NUL; "" when there is none.
std::u16string ControlText(const char* name, View view) {
  const std::string data = ReadClassesValue(Narrow(tests::kTestControlKey) + "\\InprocServer32", name, view).data;
  return std::u16string(data.begin(), std::find(data.begin(), data.end(), '\0'));
}

// The keys that cases write below, and those the launcher writes; removed before and after.
// The keys that the machine's classes refuse a standard user in the cases: the control's class
// key and the course type's two.
const std::u16string kControlServerKey = std::u16string(tests::kTestControlKey) + u"\\InprocServer32";
const char16_t* const kRefusedKeys[] = {kControlServerKey.c_str(), u".tv1", u"Tolvex Ubra"};
const char16_t* const kOwnKeys[] = {u"TolOpenTest.Conformance", u"TolOpenTest.Missing", u"TolOpenTest.Document",
                                    u".tolopentest", u".tv1", u"Tolvex Ubra", tests::kTestControlKey};

// The launcher as it runs from a disc, its routines in this process: its folder is the disc's,
// its argument the document; a start that Wine refuses for a moment is tried once more.
class ProgramOnDisc final : public wrappers::ForwardingPlatform {
 public:
  ProgramOnDisc(platform::Platform& inner, std::u16string folder, std::u16string argument)
      : wrappers::ForwardingPlatform(inner), folder_(std::move(folder)), argument_(std::move(argument)) {}
  common::Result<std::u16string> CommandLineArgument() override { return argument_; }
  common::Result<std::u16string> ProgramFolder() override { return folder_; }
  common::Outcome StartProcess(const std::u16string& command_line, int window_style) override {
    common::Outcome started;
    tests::StartedOnceMore([&] {
      started = inner_.StartProcess(command_line, window_style);
      // A command that names no program that is there fails again at once.
      return started || started.Error().Win32Status() == ERROR_FILE_NOT_FOUND;
    });
    return started;
  }

 private:
  const std::u16string folder_;
  const std::u16string argument_;
};

// Wine's settings for the program the cases start.
constexpr char kProgramSettings[] = "Software\\Wine\\AppDefaults\\tolOpen.exe";

class WineMachine final : public Machine {
 public:
  WineMachine() {
    Clean();
    CreateDirectoryW(scratch_.c_str(), nullptr);
  }
  ~WineMachine() override {
    SetWindowsVersion("");
    SetEnvironmentVariableW(L"PATH", path_before_.c_str());
    Unlock();
    SetCurrentDirectoryW(initial_folder_.c_str());
    for (const HANDLE held : held_) CloseHandle(held);
    for (const std::wstring& name : environment_) SetEnvironmentVariableW(name.c_str(), nullptr);
    Clean();
    RemoveTree(scratch_);
    // Values that were there before the machine changed them are put back as they were.
    for (const auto& [place, value] : saved_) {
      if (value.exists) {
        WriteClassesValue(place.first, place.second, value.type, value.data);
      } else {
        RegDeleteKeyValueA(HKEY_CLASSES_ROOT, place.first.c_str(), place.second.c_str());
      }
    }
  }

  std::u16string DiscRoot() override { return U(scratch_); }
  std::u16string SystemFolder() override { return U(SystemFolderW()); }
  std::u16string Viewer() override { return U(tests::BuildFile(RECORDER_EXE)); }
  std::u16string WorkFolder() override {
    CreateDirectoryW((scratch_ + L"\\work").c_str(), nullptr);
    return U(scratch_ + L"\\work");
  }
  // Wine shows the host's root as Z:; the cases only look there.
  std::u16string OtherDriveFolder() override { return u"Z:\\"; }

  void SetClassesValue(const std::u16string& key, const std::u16string& name, std::uint32_t type,
                       const std::string& data, Classes whose) override {
    // The user's classes: the cases' own keys alone, which the machine removes.
    if (whose == Classes::kUser) return WriteClassesValue(Narrow(key), Narrow(name), type, data, View::kUser);
    const std::pair<std::string, std::string> place{Narrow(key), Narrow(name)};
    if (saved_.count(place) == 0) saved_[place] = ReadClassesValue(place.first, place.second);
    WriteClassesValue(place.first, place.second, type, data);
  }
  void SetEnvironment(const std::u16string& name, const std::u16string& value) override {
    environment_.insert(W(name));
    SetEnvironmentVariableW(W(name).c_str(), W(value).c_str());
  }
  void WriteFile(const std::u16string& path, std::size_t size) override { WriteBytes(path, std::string(size, 'x')); }
  void CopyViewer(const std::u16string& path) override { WriteBytes(path, tests::FileBytes(W(Viewer()))); }
  void MoveFile(const std::u16string& from, const std::u16string& to) override {
    EXPECT_TRUE(MoveFileW(W(from).c_str(), W(to).c_str())) << Show(from);
  }
  void WriteControl(const std::u16string& path, std::size_t size) override {
    std::string control = tests::FileBytes(tests::BuildFile(TEST_CONTROL_DLL));
    EXPECT_LE(control.size(), size) << "the tests' control is longer than the case's copy";
    control.resize(size, '\0');
    WriteBytes(path, control);
  }
  void RemoveFile(const std::u16string& path) override { DeleteFileW(W(path).c_str()); }
  void MakeReadOnly(const std::u16string& path) override {
    SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  void Hold(const std::u16string& path) override {
    held_.push_back(CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_NE(held_.back(), INVALID_HANDLE_VALUE);
  }
  void HoldForReading(const std::u16string& path) override {
    held_.push_back(CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_NE(held_.back(), INVALID_HANDLE_VALUE);
  }
  void MakeDisc(const std::u16string& folder, Build build) override {
    const std::wstring disc = W(folder);
    WriteControl(folder + u"\\tools\\flash\\flash.ocx", 500000);
    const char* launcher = build == Build::kFileType ? TOLOPEN_FILE_TYPE_EXE : TOLOPEN_EXE;
    ASSERT_TRUE(CopyFileW(tests::BuildFile(launcher).c_str(), (disc + L"\\tolOpen.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(tests::BuildFile(VB5STKIT_DLL).c_str(), (disc + L"\\vb5stkit.dll").c_str(), FALSE));
  }

  LaunchOutcome Launch(const std::u16string& folder, const std::u16string& argument, bool viewer_expected) override {
    const std::wstring disc = W(folder);
    DeleteFileW(record_.c_str());
    SetEnvironmentVariableW(L"TOLOPEN_RECORDER_OUT", record_.c_str());
    // The machine-wide registration of an earlier run goes (a locked key has none to lose).
    if (locked_.empty()) RegDeleteTreeA(HKEY_CLASSES_ROOT, Narrow(tests::kTestControlKey).c_str());
    ExpectLocked();
    // The recorder writes its command line, current folder and show state, one per line. A viewer
    // that is not expected is waited for briefly; one that is and does not report, run once more.
    std::string bytes;
    tests::StartedOnceMore([&] {
      EXPECT_EQ(tests::RunAndWait(disc + L"\\tolOpen.exe", W(argument), disc), 0u) << "tolOpen.exe ends normally";
      bytes = tests::WaitForViewerRecord(record_, viewer_expected ? tests::kStartedViewerWaitMs : 1000);
      return !bytes.empty() || !viewer_expected;
    });
    LaunchOutcome run{u"", u"", -1, ControlText("", View::kMachine), ControlText("RegisteredIn", View::kMachine),
                      ControlText("", View::kUser)};
    if (!bytes.empty()) {
      const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
      const std::size_t first = text.find(u'\n');
      const std::size_t second = text.find(u'\n', first + 1);
      run.viewer_command_line = text.substr(0, first);
      run.viewer_folder = text.substr(first + 1, second - first - 1);
      run.viewer_show_state = std::stoi(Narrow(text.substr(second + 1, text.find(u'\n', second + 1) - second - 1)));
    }
    return run;
  }
  platform::Platform& Platform() override { return windows_; }
  platform::Platform& ProgramOn(const std::u16string& disc, const std::u16string& argument) override {
    SetCurrentDirectoryW(W(disc).c_str());
    SetEnvironment(u"TOLOPEN_RECORDER_OUT", U(record_));
    // vb5stkit.dll is found where Windows looks, as beside a launcher on a disc (the routines'
    // own program is this test's).
    std::wstring build = tests::BuildFile(VB5STKIT_DLL);
    build.resize(build.rfind(L'\\'));
    SetEnvironmentVariableW(L"PATH", (build + L";" + path_before_).c_str());
    program_ = std::make_unique<ProgramOnDisc>(windows_, disc, argument);
    return *program_;
  }
  std::string AfterRoutines(bool viewer_started) override {
    if (!viewer_started || !tests::WaitForViewerRecord(record_, tests::kStartedViewerWaitMs).empty()) return "";
    return "the started viewer wrote no record in " + std::to_string(tests::kStartedViewerWaitMs / 1000) + " s; ";
  }

  ClassesValue GetClassesValue(const std::u16string& key, const std::u16string& name, Classes whose) override {
    return ReadClassesValue(Narrow(key), Narrow(name), whose == Classes::kMachine ? View::kMachine : View::kUser);
  }

  // Wine has no User Account Control, but it holds a key to its DACL: the keys that the control
  // and the launcher write are made in the machine's classes with one that lets everyone only
  // read. Wine keeps that only in its running server, so the lock is checked before a run; the
  // handles opened before the lock take it off again.
  void SetStandardUser(bool standard) override {
    if (!standard) {
      Unlock();
      return;
    }
    PSECURITY_DESCRIPTOR read_only = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &read_only,
                                                                     nullptr));
    for (const char16_t* key : kRefusedKeys) {
      HKEY handle = nullptr;
      ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, InView(View::kMachine, Narrow(key)).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &handle, nullptr), ERROR_SUCCESS) << Show(key);
      locked_.push_back(handle);
      EXPECT_EQ(RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, read_only), ERROR_SUCCESS) << Show(key);
    }
    LocalFree(read_only);
    ExpectLocked();
  }
  void MakeControlRefuse() override { SetEnvironment(u"TOLOPEN_CONTROL_ANSWER", u"80070005"); }
  // Wine's setting for tolOpen.exe: the version it reports to the program, whose family the
  // backend tells by it. Taken away again when the machine goes.
  void SetWindowsVersion(const std::string& version) override {
    if (version.empty()) {
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramSettings, "Version");
    } else {
      ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kProgramSettings, "Version", REG_SZ, version.c_str(),
                                static_cast<DWORD>(version.size() + 1)), ERROR_SUCCESS);
    }
  }
  std::u16string KeyClass(const std::u16string& key) override {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Narrow(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
      return u"(no key)";
    }
    char key_class[64] = {};
    DWORD length = sizeof key_class;
    RegQueryInfoKeyA(handle, key_class, &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(handle);
    return std::u16string(key_class, key_class + length);
  }
  std::string FileBytes(const std::u16string& path) override { return tests::FileBytes(W(path)); }
  long long FileSize(const std::u16string& path) override {
    std::error_code error;
    const auto size = fs::file_size(fs::path(path), error);
    return error ? -1 : static_cast<long long>(size);
  }
  bool IsReadOnly(const std::u16string& path) override {
    const DWORD attributes = GetFileAttributesW(W(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  }
  bool UnderWine() override { return true; }

 private:
  // A file with the folders it needs.
  static void WriteBytes(const std::u16string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(fs::path(path), std::ios::binary) << bytes;
  }
  // Each locked key refuses a write, as it must for the run to prove anything.
  void ExpectLocked() {
    if (locked_.empty()) return;
    for (const char16_t* key : kRefusedKeys) {
      HKEY probe = nullptr;
      EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, Narrow(key).c_str(), 0, KEY_SET_VALUE, &probe), ERROR_ACCESS_DENIED)
          << Show(key) << ": the lock refuses a write";
      if (probe != nullptr) RegCloseKey(probe);
    }
  }
  void Unlock() {
    SECURITY_DESCRIPTOR open{};
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);  // no DACL: everyone may do everything
    for (const HKEY handle : locked_) {
      RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, &open);
      RegCloseKey(handle);
    }
    locked_.clear();
  }
  static void Clean() {
    const std::wstring macromed = SystemFolderW() + L"\\macromed";
    SetFileAttributesW((macromed + L"\\flash").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW((macromed + L"\\flash\\flash.ocx").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((macromed + L"\\flash").c_str());  // a case may put a file in the folder's place
    DeleteFileW((SystemFolderW() + L"\\vb5stkit.dll").c_str());  // or the setup toolkit
    RemoveTree(macromed);
    // Where the system folder cannot be read, the copy goes to \macromed at the root of the
    // current drive, the discs' (the cases' scratch folder lies on it).
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    RemoveTree(std::wstring(temp, 3) + L"macromed");
    for (const char16_t* key : kOwnKeys) {
      for (const View view : {View::kMerged, View::kMachine, View::kUser}) {
        RegDeleteTreeA(RootOf(view), InView(view, Narrow(key)).c_str());
      }
    }
  }

  const std::wstring initial_folder_ = [] {
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    return std::wstring(folder);
  }();
  const std::wstring scratch_ = [] {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"tolopen-" + std::to_wstring(GetCurrentProcessId()) + L"-conformance";
  }();
  // Each machine's viewer reports to a file of its own, so a late one cannot be taken for another.
  const std::wstring record_ = [this] {
    static int machines = 0;
    return scratch_ + L"\\record-" + std::to_wstring(++machines) + L".txt";
  }();
  const std::wstring path_before_ = [] {
    std::wstring path(32768, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    return path;
  }();
  std::unique_ptr<ProgramOnDisc> program_;
  win32::Win32Platform windows_;
  platform::ScopedPlatform installed_{windows_};
  std::map<std::pair<std::string, std::string>, ClassesValue> saved_;
  std::set<std::wstring> environment_;
  std::vector<HANDLE> held_;
  std::vector<HKEY> locked_;
};

}  // namespace

std::unique_ptr<Machine> NewMachine() { return std::make_unique<WineMachine>(); }

}  // namespace conformance
