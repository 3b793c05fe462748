// The conformance suite's machine in the Windows build: the real registry and file system
// (under Wine here), the Win32 backend in this process, and the real tolOpen.exe with the
// recorder as its viewer. What a machine changes is put back when it goes: the keys it wrote
// (a key that was there keeps its former values), the system folder's macromed, its files.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "tests/conformance/machine.h"
#include "tests/windows/wine_fixture.h"
#include "win32/win32_platform.h"

namespace conformance {
namespace {

using tests::Narrow;

std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string U(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// The keys that cases write below, and those the launcher writes; removed before and after.
const char* const kOwnKeys[] = {"TolOpenTest.Conformance", "TolOpenTest.Missing", "TolOpenTest.Document",
                                ".tolopentest", ".tv1", "Tolvex Ubra", tests::kTestControlKey};

ClassesValue ReadClassesValue(const std::string& key, const std::string& name) {
  ClassesValue value;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return value;
  char data[2048];
  DWORD size = sizeof data;
  DWORD type = 0;
  if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
    value = {true, type, std::string(data, size)};
  }
  RegCloseKey(handle);
  return value;
}

class WineMachine final : public Machine {
 public:
  WineMachine() { Clean(); }
  ~WineMachine() override {
    SetCurrentDirectoryW(initial_folder_.c_str());
    for (const HANDLE held : held_) CloseHandle(held);
    for (const std::wstring& name : environment_) SetEnvironmentVariableW(name.c_str(), nullptr);
    Clean();
    // Values that were there before the machine changed them are put back as they were.
    for (const auto& [place, value] : saved_) {
      if (value.exists) {
        tests::SetClassesValue(place.first, place.second, value.type, value.data);
      } else {
        RegDeleteKeyValueA(HKEY_CLASSES_ROOT, place.first.c_str(), place.second.c_str());
      }
    }
  }

  std::u16string DiscRoot() override { return U(scratch_.Path()); }
  std::u16string SystemFolder() override { return U(tests::SystemFolder()); }
  std::u16string Viewer() override { return U(tests::BuildFile(RECORDER_EXE)); }
  std::u16string WorkFolder() override {
    CreateDirectoryW((scratch_.Path() + L"\\work").c_str(), nullptr);
    return U(scratch_.Path() + L"\\work");
  }
  // Wine shows the host's root as Z:; the cases only look there.
  std::u16string OtherDriveFolder() override { return u"Z:\\"; }

  void SetClassesValue(const std::u16string& key, const std::u16string& name, std::uint32_t type,
                       const std::string& data) override {
    const std::pair<std::string, std::string> place{Narrow(W(key)), Narrow(W(name))};
    if (saved_.count(place) == 0) saved_[place] = ReadClassesValue(place.first, place.second);
    tests::SetClassesValue(place.first, place.second, type, data);
  }
  void SetEnvironment(const std::u16string& name, const std::u16string& value) override {
    environment_.insert(W(name));
    SetEnvironmentVariableW(W(name).c_str(), W(value).c_str());
  }
  void WriteFile(const std::u16string& path, std::size_t size) override {
    const std::wstring file = W(path);
    for (std::size_t slash = file.find(L'\\', 3); slash != std::wstring::npos; slash = file.find(L'\\', slash + 1)) {
      CreateDirectoryW(file.substr(0, slash).c_str(), nullptr);
    }
    tests::WriteFileBytes(file, std::string(size, 'x'));
  }
  void WriteControl(const std::u16string& path, std::size_t size) override {
    WriteFile(path, 0);
    std::string control = tests::ReadFileBytes(tests::BuildFile(TEST_CONTROL_DLL));
    EXPECT_LE(control.size(), size) << "the tests' control is longer than the case's copy";
    control.resize(size, '\0');
    tests::WriteFileBytes(W(path), control);
  }
  void RemoveFile(const std::u16string& path) override { DeleteFileW(W(path).c_str()); }
  void MakeReadOnly(const std::u16string& path) override {
    SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  void Hold(const std::u16string& path) override {
    held_.push_back(CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
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
    tests::DeleteClassesTree(tests::kTestControlKey);
    EXPECT_EQ(tests::RunAndWait(disc + L"\\tolOpen.exe", W(argument), disc), 0u) << "tolOpen.exe ends normally";
    // A viewer that was started reports within moments; one that was not is waited for briefly.
    const tests::Recording recording = tests::AwaitRecording(record_, viewer_expected ? 200 : 20);
    const std::string server = std::string(tests::kTestControlKey) + "\\InprocServer32";
    const std::string registered = tests::ClassesText(server, "");
    const std::string registered_in = tests::ClassesText(server, "RegisteredIn");
    return {U(recording.command_line), U(recording.current_folder), std::u16string(registered.begin(), registered.end()),
            std::u16string(registered_in.begin(), registered_in.end())};
  }
  platform::Platform& Platform() override { return windows_; }

  ClassesValue GetClassesValue(const std::u16string& key, const std::u16string& name) override {
    return ReadClassesValue(Narrow(W(key)), Narrow(W(name)));
  }
  std::u16string KeyClass(const std::u16string& key) override {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Narrow(W(key)).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
      return u"(no key)";
    }
    char key_class[64] = {};
    DWORD length = sizeof key_class;
    RegQueryInfoKeyA(handle, key_class, &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    return std::u16string(key_class, key_class + length);
  }
  long long FileSize(const std::u16string& path) override { return tests::FileSize(W(path)); }
  bool IsReadOnly(const std::u16string& path) override {
    const DWORD attributes = GetFileAttributesW(W(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  }
  bool UnderWine() override { return true; }

 private:
  void Clean() {
    const std::wstring macromed = tests::SystemFolder() + L"\\macromed";
    SetFileAttributesW((macromed + L"\\flash").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW((macromed + L"\\flash\\flash.ocx").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((macromed + L"\\flash").c_str());  // a case may put a file in the folder's place
    tests::RemoveTree(macromed);
    for (const char* key : kOwnKeys) tests::DeleteClassesTree(key);
  }

  const std::wstring initial_folder_ = [] {
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    return std::wstring(folder);
  }();
  tests::ScratchFolder scratch_{L"conformance"};
  const std::wstring record_ = scratch_.Path() + L"\\record.txt";
  win32::Win32Platform windows_;
  platform::ScopedPlatform installed_{windows_};
  std::map<std::pair<std::string, std::string>, ClassesValue> saved_;
  std::set<std::wstring> environment_;
  std::vector<HANDLE> held_;
};

}  // namespace

std::unique_ptr<Machine> NewMachine() { return std::make_unique<WineMachine>(); }

}  // namespace conformance
