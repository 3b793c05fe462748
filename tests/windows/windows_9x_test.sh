#!/usr/bin/env bash
# The rows with a column of Windows versions, on Windows 95, 98 and Me as Wine is told to be them:
# each run of the launcher there is traced by Wine, and the trace must show no call of a wide
# KERNEL32 entry that those systems only stub (tests/windows/check_relay_trace.py). Wine
# implements every entry, so the rows alone would pass with such a call. The suite's file-system
# cases, which call the Win32 backend in the tests' own process, run with that process told it
# runs on Windows 95: the backend's stand-ins for the wide entries answer as the NT ones do. (Not
# the registry cases: told 9x, Wine stores the text values that they set up as 9x does.)
set -u
source_dir=$1
build=$2  # the x86_64 build
trace=$build/windows_9x_trace.txt
tests='ConformanceControl.FreshMachineThenSecondRun:ConformanceFileType.RegistersTheCourseTypeEveryRunAndStartsTheViewer'
tests+=':ConformanceFileSystem.*'
settings='HKCU\Software\Wine\AppDefaults\windows_tests.exe'
"$source_dir/cmake/wine-run" "$build/wineprefix" reg add "$settings" /v Version /d win95 /f >/dev/null
trap '"$source_dir/cmake/wine-run" "$build/wineprefix" reg delete "$settings" /f >/dev/null 2>&1' EXIT
TOLOPEN_WINDOWS_VERSIONS='win95|win98|winme' TOLOPEN_RELAY_TRACE=1 \
  "$source_dir/cmake/wine-run" "$build/wineprefix" "$build/tests/windows/windows_tests.exe" --gtest_filter="$tests" \
  >"$trace" 2>&1
rows=$?
grep -E '^\[ +(OK|FAILED|PASSED) +\]|Failure|Expected|Which is|Value of|  Actual' "$trace" | tr -d '\r'
/usr/bin/python3 "$source_dir/tests/windows/check_relay_trace.py" "$trace" "$build/tolOpen.exe" "$build/vb5stkit.dll"
entries=$?
[ $rows -eq 0 ] && [ $entries -eq 0 ]
