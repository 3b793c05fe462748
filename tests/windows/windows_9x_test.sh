#!/usr/bin/env bash
# The rows with a column of Windows versions, told Windows 95, 98 and Me, with Wine's trace of
# every process: no wide KERNEL32 entry that 9x only stubs may be called from the launcher's images
# (check_relay_trace.py); Wine implements them all, so the rows alone would pass. The file-system
# cases, which call the backend in the tests' own process, run with it told Windows 95 (not the
# registry cases: told 9x, Wine stores the values that they set up as 9x does).
set -u
source_dir=$1
build=$2  # the x86_64 build
trace=$build/windows_9x_trace.txt
tests='ConformanceControl.FreshMachineThenSecondRun:ConformanceFileType.RegistersTheCourseTypeEveryRunAndStartsTheViewer'
tests+=':ConformanceFileSystem.*'
wine() { "$source_dir/cmake/wine-run" "$build/wineprefix" "$@"; }
# Wine's trace of the calls into KERNEL32 (and what it forwards to), and where each module loaded.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'kernel32.*;kernelbase.*' /f >/dev/null
wine reg add 'HKCU\Software\Wine\AppDefaults\windows_tests.exe' /v Version /d win95 /f >/dev/null
trap "wine reg delete 'HKCU\Software\Wine\AppDefaults\windows_tests.exe' /f >/dev/null 2>&1
      wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1" EXIT
TOLOPEN_WINDOWS_VERSIONS='win95|win98|winme' TOLOPEN_WINEDEBUG=+pid,+relay,+loaddll \
  wine "$build/tests/windows/windows_tests.exe" --gtest_filter="$tests" >"$trace" 2>&1
rows=$?
grep -E '^\[ +(OK|FAILED|PASSED) +\]|Failure|Expected|Which is|Value of|  Actual' "$trace" | tr -d '\r'
/usr/bin/python3 "$source_dir/tests/windows/check_relay_trace.py" "$trace" "$build/tolOpen.exe" "$build/vb5stkit.dll"
entries=$?
[ $rows -eq 0 ] && [ $entries -eq 0 ]
