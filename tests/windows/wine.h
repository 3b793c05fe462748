// What the Windows tests share besides the conformance suite's machine: the build's files, runs
// of programs, and the key of the tests' control.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace tests {

// A Windows path for a file of the build; Wine shows the host's "/" as drive Z:.
std::wstring BuildFile(const char* host_path);

// A start of a program (`start` says whether it went through), tried once more a moment later
// when Wine refuses it, which the standard error is told: loaded by the suite's thousands of
// starts, it has been seen to refuse one for a moment, the tests' own and the launcher's alike.
template <typename Start>
bool StartedOnceMore(const Start& start) {
  if (start()) return true;
  std::fputs("note: a start did not go through under Wine; it is tried once more\n", stderr);
  Sleep(200);
  return start();
}

// Runs a program with an argument text, in a current folder (the caller's when empty), and
// waits for it to end; returns its exit code.
DWORD RunAndWait(const std::wstring& program, const std::wstring& argument,
                 const std::wstring& current_folder = std::wstring());

// A file's bytes ("" when it cannot be read).
std::string FileBytes(const std::wstring& path);

// How long a viewer that was started is given to write its record: seconds on a loaded machine.
inline constexpr DWORD kStartedViewerWaitMs = 30000;

// The record that the tests' viewer writes (whole: it renames it into place), waited for up to
// `wait_ms`; "" when none came.
std::string WaitForViewerRecord(const std::wstring& path, DWORD wait_ms);

// The key under which the tests' control records where it registered itself from.
// (its class identifier comes from tests/wine_lib.sh, through the build)
inline constexpr char16_t kTestControlKey[] = u"CLSID\\" TOLOPEN_TEST_CONTROL_CLSID;

}  // namespace tests
