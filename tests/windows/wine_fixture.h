// Helpers for tests that run on Windows (here: under Wine) against the real registry and file
// system: a scratch folder, registry values under HKEY_CLASSES_ROOT, and runs of programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tests {

// A Windows path for a file of the build; Wine shows the host's "/" as drive Z:.
std::wstring BuildFile(const char* host_path);

// A new, empty folder below %TEMP%, removed with everything in it by the destructor.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

void RemoveTree(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The file's size, or -1 when it does not exist.
long long FileSize(const std::wstring& path);
std::wstring SystemFolder();
std::string ReadFileBytes(const std::wstring& path);

// Sets a value under HKEY_CLASSES_ROOT with the ANSI API, creating the key.
void SetClassesValue(const std::string& key, const std::string& name, DWORD type,
                     const std::string& data);
void DeleteClassesTree(const std::string& key);
// A REG_SZ value under HKEY_CLASSES_ROOT, or "" when there is none.
std::string ClassesText(const std::string& key, const std::string& name);

// Runs a program with an argument text, in a current folder (the caller's when empty), and
// waits for it to end; returns its exit code.
DWORD RunAndWait(const std::wstring& program, const std::wstring& argument,
                 const std::wstring& current_folder = std::wstring());

// What the recorder viewer wrote: its command line and its current folder; empty when it
// had not written them after `attempts` looks, 50 ms apart.
struct Recording {
  std::wstring command_line;
  std::wstring current_folder;
};
Recording AwaitRecording(const std::wstring& file, int attempts = 200);

std::string Narrow(const std::wstring& text);  // for messages

// The key under which the tests' control records where it registered itself from.
inline constexpr char kTestControlKey[] = "CLSID\\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}";

}  // namespace tests
