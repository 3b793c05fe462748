#!/usr/bin/env bash
# The dry-run tool's contract: it runs the sample machine, and refuses bad input with a clear
# message, exit status 2 and nothing written.
set -u
tool=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../check_lib.sh"

# expect_refusal WHAT MESSAGE ARGS...: exit status 2 and MESSAGE on stderr
expect_refusal() {
  local what=$1 message=$2
  shift 2
  "$tool" "$@" >"$work/out" 2>"$work/err"
  local status=$?
  check "$what: exit status 2 (got $status)" test $status -eq 2
  check "$what: says '$message'" grep -qF -- "$message" "$work/err"
}

cp -r "$examples/machine" "$work/m"
mkdir -p "$work/m/d/tools/flash"
printf MZ >"$work/m/d/tools/flash/flash.ocx"  # the disc's control: a stand-in that begins as a library does
truncate -s 409600 "$work/m/d/tools/flash/flash.ocx"
cp "$work/m/registry.reg" "$work/registry-before.reg"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a run on the sample machine succeeds" test $? -eq 0
check "a run that writes nothing leaves registry.reg byte for byte" cmp -s "$work/m/registry.reg" "$work/registry-before.reg"
check "it starts the viewer on D:\\index.html" \
  grep -qF 'CreateProcessA ""C:\Program Files\Course Viewer\viewer.exe" -nohome D:\index.html", window style 1 -> started' "$work/out"
check "the first run copies the control" \
  grep -qF 'CopyFile "D:\tools\flash\flash.ocx" to "C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx" -> copied' "$work/out"
check "and registers it from the system folder" \
  grep -qF 'DLLSelfRegister "C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx" -> registered' "$work/out"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a second run copies nothing" bash -c "! grep -q CopyFile '$work/out'"
check "and registers again" grep -qF 'DLLSelfRegister "C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx" -> registered' "$work/out"
mkdir -p "$work/m/d/COURSE"
"$tool" --machine "$work/m" --argument 'pages\intro.html' --program 'D:\COURSE\tolOpen.exe' >"$work/out" 2>&1
check "argument and program folder" grep -qF -- '-nohome D:\COURSE\pages\intro.html"' "$work/out"

# A registry that the first run saved is what the second run reads.
printf 'REGEDIT4\n[HKEY_CLASSES_ROOT\\.html]\n@="other"\n[HKEY_CLASSES_ROOT\\other\\shell\\open\\command]\n@="C:\\\\Program Files\\\\Course Viewer\\\\viewer.exe %%1"\n' >"$work/m/registry.reg"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a second run reads the saved registry" grep -qF 'viewer.exe D:\index.html", window style 1' "$work/out"

# What reg export writes on another machine: version 5, UTF-16, the machine's and the user's
# classes, a viewer registered with %SystemRoot%.
python3 - "$work/m/registry.reg" <<'PYTHON'
import sys
text = ("Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.html]\r\n@=\"htmlfile\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Course.Page\\shell\\open\\command]\r\n"
        "@=hex(2):" + ",".join(f"{b:02x}" for b in "%SystemRoot%\\viewer.exe %1\0".encode("utf-16-le")) + "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Classes\\.html]\r\n@=\"Course.Page\"\r\n")
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
PYTHON
cp "$work/m/registry.reg" "$work/export-before.reg"
printf 'viewer' >"$work/m/c/WINDOWS/viewer.exe"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "an export of Windows runs: the user's class and the expanded viewer" \
  grep -qF 'CreateProcessA "C:\WINDOWS\viewer.exe D:\index.html", window style 1 -> started' "$work/out"
check "the trace says what it assumed" grep -qF 'Environment SystemRoot=C:\WINDOWS (assumed)' "$work/out"
check "the export is left byte for byte" cmp -s "$work/m/registry.reg" "$work/export-before.reg"
mkdir -p "$work/m/c/Other"
printf 'viewer' >"$work/m/c/Other/viewer.exe"
"$tool" --machine "$work/m" --env 'SystemRoot=C:\Other' >"$work/out" 2>&1
check "--env gives a variable" grep -qF 'CreateProcessA "C:\Other\viewer.exe D:\index.html"' "$work/out"
check "and the trace says so" grep -qF 'Environment SystemRoot=C:\Other (given)' "$work/out"
expect_refusal "--env without =" "--env takes NAME=VALUE" --machine "$work/m" --env SystemRoot

expect_refusal "missing machine folder" "does not exist" --machine "$work/none"
expect_refusal "no --machine" "--machine is required"
expect_refusal "unknown option" "unknown option '--frobnicate'" --machine "$work/m" --frobnicate
expect_refusal "option without value" "--argument needs a value" --machine "$work/m" --argument
expect_refusal "relative program path" "--program must be" --machine "$work/m" --program tolOpen.exe
expect_refusal "relative current folder" "--current-folder must be" --machine "$work/m" --current-folder 'tools'
expect_refusal "relative system folder" "--system-folder must be" --machine "$work/m" --system-folder 'SYSTEM'
"$tool" --machine "$work/m" --system-folder 'C:\SYS32' --current-folder 'C:\' >"$work/out" 2>&1
check "the system folder and current folder are taken from the options" \
  grep -qF 'GetSystemDirectoryA -> "C:\SYS32"' "$work/out"
check "the drive is set back to C:" grep -qF 'ChangeDrive "C:\" -> C:' "$work/out"

expect_refusal "a program on no drive" "--program 'Q:\' is on no drive" --machine "$work/m" --program 'Q:\tolOpen.exe'
expect_refusal "a current folder that is not there" "--current-folder 'D:\none': the machine has no such folder" \
  --machine "$work/m" --current-folder 'D:\none'
mkdir -p "$work/elsewhere"
ln -s "$work/elsewhere" "$work/m/d/link"
expect_refusal "a folder that leads outside the machine" "leads outside it" --machine "$work/m" --program 'D:\link\tolOpen.exe'
rm "$work/m/d/link"
# Windows takes "/" for a separator: this system folder lies on C:, inside the machine.
mkdir -p "$work/m/c$work/outside"
"$tool" --machine "$work/m" --system-folder "C:\\/$work/outside" --current-folder 'D:\' >"$work/out" 2>&1
check "a system folder written with / stays inside the machine" test ! -e "$work/outside"
check "and is used there" test -d "$work/m/c$work/outside/macromed/flash"
printf 'REGEDIT4\n[HKEY_CLASSES_ROOT\\.html]\n@=hex(1):41,00,42,00\n' >"$work/m/registry.reg"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a trace line shows a NUL as \\0" grep -qF -- '-> REG_SZ "A\0B"' "$work/out"

mkdir -p "$work/bad/d"
printf 'REGEDIT4\n[HKEY_CLASSES_ROOT\\.html]\n@="htmlfile\n' >"$work/bad/registry.reg"
cp "$work/bad/registry.reg" "$work/bad/before.reg"
expect_refusal "bad registry file" "registry.reg:3: a quoted text has no closing quote" --machine "$work/bad"
check "a bad registry file is left as it was" cmp -s "$work/bad/registry.reg" "$work/bad/before.reg"
check "nothing else is written" test "$(ls "$work/bad" | tr '\n' ' ')" = "before.reg d registry.reg "

mkdir -p "$work/empty"
expect_refusal "machine without registry.reg" "registry.reg: cannot be read" --machine "$work/empty"

report
