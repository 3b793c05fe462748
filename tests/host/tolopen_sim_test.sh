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

hex_bytes() { od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }  # stdin as a registry file writes bytes: "4d,5a"
fresh() {  # a new copy of the sample machine in $work/$1, with the disc's control (it begins as a library does)
  rm -rf "${work:?}/$1"
  cp -r "$examples/machine" "$work/$1"
  mkdir -p "$work/$1/d/tools/flash"
  printf MZ >"$work/$1/d/tools/flash/flash.ocx"
  truncate -s 409600 "$work/$1/d/tools/flash/flash.ocx"
}
fresh m
cp "$work/m/registry.reg" "$work/registry-before.reg"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a run on the sample machine succeeds" test $? -eq 0
check "a run that writes nothing leaves registry.reg byte for byte" cmp -s "$work/m/registry.reg" "$work/registry-before.reg"
check "it starts the viewer on D:\\index.html" \
  grep -qF 'StartProcess command_line=""C:\Program Files\Course Viewer\viewer.exe" -nohome D:\index.html" window_style=1 -> ok' "$work/out"
check "the first run copies the control" \
  grep -qF 'CopyFileReplacing source="D:\tools\flash\flash.ocx" destination="C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx" -> ok' "$work/out"
check "and registers it from the system folder" \
  grep -qF 'DLLSelfRegister path="C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx" -> 0' "$work/out"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a second run copies nothing" bash -c "! grep -q CopyFileReplacing '$work/out'"
check "and registers again" grep -qF 'DLLSelfRegister path="C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx" -> 0' "$work/out"
check "and says where it landed" grep -qF 'Registered C:\WINDOWS\SYSTEM\macromed\flash\flash.ocx for every user: HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32' "$work/out"

# A standard user: the system folder refuses the copy, the machine's classes the registration,
# and the control on the disc registers itself for the user.
fresh standard
"$tool" --machine "$work/standard" --standard-user >"$work/out" 2>&1
check "a standard user's run succeeds" test $? -eq 0
check "a standard user cannot make the system folder's macromed" test ! -e "$work/standard/c/WINDOWS/SYSTEM/macromed"
check "the disc's control registers itself for the user" \
  grep -qF 'DLLSelfRegister path="D:\tools\flash\flash.ocx" -> 5' "$work/out"
check "and the run says so" grep -qF 'Registered D:\tools\flash\flash.ocx for the current user: HKEY_CURRENT_USER\Software\Classes\CLSID\' "$work/out"
check "a standard user still gets the viewer" grep -qF -- '-nohome D:\index.html" window_style=1 -> ok' "$work/out"

mkdir -p "$work/m/d/COURSE"
"$tool" --machine "$work/m" --argument 'pages\intro.html' --program 'D:\COURSE\tolOpen.exe' >"$work/out" 2>&1
check "argument and program folder" grep -qF -- '-nohome D:\COURSE\pages\intro.html"' "$work/out"
check "the run starts in the program's folder" grep -qF 'CurrentFolder -> "D:\COURSE"' "$work/out"

# A registry that the first run saved is what the second run reads.
printf 'REGEDIT4\n[HKEY_CLASSES_ROOT\\.html]\n@="other"\n[HKEY_CLASSES_ROOT\\other\\shell\\open\\command]\n@="C:\\\\Program Files\\\\Course Viewer\\\\viewer.exe %%1"\n' >"$work/m/registry.reg"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "a second run reads the saved registry" grep -qF 'viewer.exe D:\index.html" window_style=1' "$work/out"

# What reg export writes on another machine: version 5, UTF-16, the machine's and the user's
# classes, a viewer registered with %SystemRoot%.
command=$(printf '%s\0' '%SystemRoot%\viewer.exe %1' | iconv -f ASCII -t UTF-16LE | hex_bytes)
{ printf '\xff\xfe'
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.html]' '@="htmlfile"' \
    '[HKEY_LOCAL_MACHINE\SOFTWARE\Classes\Course.Page\shell\open\command]' "@=hex(2):$command" \
    '[HKEY_CURRENT_USER\Software\Classes\.html]' '@="Course.Page"' | iconv -f ASCII -t UTF-16LE; } >"$work/m/registry.reg"
cp "$work/m/registry.reg" "$work/export-before.reg"
program=$examples/machine/c/Program\ Files/Course\ Viewer/viewer.exe  # a stand-in with a program's signatures
cp "$program" "$work/m/c/WINDOWS/viewer.exe"
"$tool" --machine "$work/m" >"$work/out" 2>&1
check "an export of Windows runs: the user's class and the expanded viewer" \
  grep -qF 'StartProcess command_line="C:\WINDOWS\viewer.exe D:\index.html" window_style=1 -> ok' "$work/out"
check "the trace says what it assumed" grep -qF 'Environment SystemRoot=C:\WINDOWS (assumed)' "$work/out"
check "the export is left byte for byte" cmp -s "$work/m/registry.reg" "$work/export-before.reg"
mkdir -p "$work/m/c/Other"
cp "$program" "$work/m/c/Other/viewer.exe"
"$tool" --machine "$work/m" --env 'SystemRoot=C:\Other' >"$work/out" 2>&1
check "--env gives a variable" grep -qF 'StartProcess command_line="C:\Other\viewer.exe D:\index.html"' "$work/out"
check "and the trace says so" grep -qF 'Environment SystemRoot=C:\Other (given)' "$work/out"
check "and no longer that it assumed one" bash -c "! grep -qF 'Environment SystemRoot=C:\WINDOWS' '$work/out'"
expect_refusal "--env without =" "--env takes NAME=VALUE" --machine "$work/m" --env SystemRoot
expect_refusal "--env without a name" "--env takes NAME=VALUE" --machine "$work/m" --env =C:\\Other

expect_refusal "missing machine folder" "does not exist" --machine "$work/none"
expect_refusal "no --machine" "--machine is required"
expect_refusal "unknown option" "unknown option '--frobnicate'" --machine "$work/m" --frobnicate
expect_refusal "option without value" "--argument needs a value" --machine "$work/m" --argument
expect_refusal "relative program path" "--program must be" --machine "$work/m" --program tolOpen.exe
expect_refusal "a folder for a program" "--program must be" --machine "$work/m" --program 'D:\COURSE\'
expect_refusal "relative current folder" "--current-folder must be" --machine "$work/m" --current-folder 'tools'
expect_refusal "relative system folder" "--system-folder must be" --machine "$work/m" --system-folder 'SYSTEM'
"$tool" --machine "$work/m" --system-folder 'C:\WINDOWS\SYS32\' --current-folder 'C:\' >"$work/out" 2>&1
check "the system folder and current folder are taken from the options" \
  grep -qF 'buffer="C:\WINDOWS\SYS32\"' "$work/out"
check "the Windows folder is the system folder's parent" grep -qF 'Environment SystemRoot=C:\WINDOWS (assumed)' "$work/out"
check "Program Files lies on its drive" grep -qF 'Environment ProgramFiles=C:\Program Files (assumed)' "$work/out"
check "the drive is set back to C:" grep -qF 'ChangeDrive path="C:\" -> ok' "$work/out"

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
check "a trace line shows a NUL as \\0" grep -qF -- 'data="A\0B"' "$work/out"

mkdir -p "$work/bad/d"
printf 'REGEDIT4\n[HKEY_CLASSES_ROOT\\.html]\n@="htmlfile\n' >"$work/bad/registry.reg"
cp "$work/bad/registry.reg" "$work/bad/before.reg"
expect_refusal "bad registry file" "registry.reg:3: a quoted text has no closing quote" --machine "$work/bad"
check "a bad registry file is left as it was" cmp -s "$work/bad/registry.reg" "$work/bad/before.reg"
check "nothing else is written" test "$(ls "$work/bad" | tr '\n' ' ')" = "before.reg d registry.reg "

mkdir -p "$work/empty"
expect_refusal "machine without registry.reg" "registry.reg: cannot be read" --machine "$work/empty"

# Nothing outside the machine folder is read or written, through any link.
fresh links
mkdir -p "$work/links/c/WINDOWS/SYSTEM/macromed/flash" "$work/outside"
ln -s "$work/outside/stolen.ocx" "$work/links/c/WINDOWS/SYSTEM/macromed/flash/flash.ocx"
"$tool" --machine "$work/links" >"$work/out" 2>&1
check "a dangling link where the control goes: nothing is made outside" test ! -e "$work/outside/stolen.ocx"
check "and the control registers from the disc" grep -qF 'DLLSelfRegister path="D:\tools\flash\flash.ocx" -> 0' "$work/out"
fresh links
mv "$work/links/c" "$work/outside/c"
ln -s "$work/outside/c" "$work/links/c"
expect_refusal "a drive folder that links out of the machine" "the drive folder '$work/links/c' is a link that leads outside" \
  --machine "$work/links"
check "and nothing was written there" test ! -e "$work/outside/c/WINDOWS/SYSTEM/macromed"
fresh links
mkdir "$work/links/C"
expect_refusal "two folders of one drive letter" "are both drive C: keep one" --machine "$work/links"
fresh links
mv "$work/links/registry.reg" "$work/outside/registry.reg"
ln -s "$work/outside/registry.reg" "$work/links/registry.reg"
expect_refusal "registry.reg as a link" "registry.reg: is a link" --machine "$work/links"
rm "$work/links/registry.reg"
mkfifo "$work/links/registry.reg"
timeout 10 "$tool" --machine "$work/links" >"$work/out" 2>"$work/err"
check "registry.reg as a FIFO is refused at once (exit status $?)" grep -qF "registry.reg: is no regular file" "$work/err"
rm "$work/links/registry.reg"
mkdir "$work/links/registry.reg"
expect_refusal "registry.reg as a folder" "registry.reg: is a folder" --machine "$work/links"
expect_refusal "--machine naming a file" "the machine folder '$work/export-before.reg' is no folder" --machine "$work/export-before.reg"
fresh noc
rm -r "$work/noc/c"
expect_refusal "a machine without C:" "the system folder (--system-folder's default) 'C:\WINDOWS\SYSTEM' is on no drive" \
  --machine "$work/noc"
fresh full
mkdir -p "$work/full/c/WINDOWS/SYSTEM"
if mount -t tmpfs -o size=128k tmpfs "$work/full/c/WINDOWS/SYSTEM" 2>/dev/null; then
  "$tool" --machine "$work/full" >"$work/out" 2>&1
  check "a full disk keeps no partial copy" test ! -e "$work/full/c/WINDOWS/SYSTEM/macromed/flash/flash.ocx"
  umount "$work/full/c/WINDOWS/SYSTEM"
  check "a full disk is traced as ERROR_DISK_FULL" grep -qF -- '; ERROR_DISK_FULL)' "$work/out"
  check "and the control registers from the disc" grep -qF 'DLLSelfRegister path="D:\tools\flash\flash.ocx" -> 0' "$work/out"
else
  echo "note: not root, so a full disk was not tried"
fi

# The program Windows would start, and one line per call whatever a value holds.
programs=(  # what, open command, file placed (machine path), its content, expected trace
  "a program found in the Windows folder|recview.exe %1|c/WINDOWS/recview.exe|program|StartProcess command_line=\"recview.exe D:\index.html\" window_style=1 -> ok"
  "a program found on PATH|recview %1|c/Tools/recview.exe|program|StartProcess command_line=\"recview D:\index.html\" window_style=1 -> ok"
  "a text file named .exe|C:\Tools\viewer.exe %1|c/Tools/viewer.exe|text|; ERROR_BAD_EXE_FORMAT)"
  "a value holding CR LF|C:\Tools\viewer.exe\r\nStartProcess command_line=\"forged\" -> ok|c/Tools/viewer.exe|program|viewer.exe\r\nStartProcess"
)
for row in "${programs[@]}"; do
  IFS='|' read -r what command file content expected <<<"$row"
  fresh run
  mkdir -p "$(dirname "$work/run/$file")"
  if [ "$content" = program ]; then cp "$program" "$work/run/$file"; else printf 'text' >"$work/run/$file"; fi
  data=$(printf '%s\0' "${command//\\r\\n/$'\r\n'}" | hex_bytes)
  printf 'REGEDIT4\r\n[HKEY_CLASSES_ROOT\\.html]\r\n@="page"\r\n[HKEY_CLASSES_ROOT\\page\\shell\\open\\command]\r\n@=hex(1):%s\r\n' \
    "$data" >"$work/run/registry.reg"
  "$tool" --machine "$work/run" --env 'PATH=C:\Nowhere;C:\Tools' >"$work/out" 2>&1
  check "$what: the trace says '$expected'" grep -qF -- "$expected" "$work/out"
  check "$what: no forged line" bash -c "! grep -q '^StartProcess command_line=\"forged\"' '$work/out'"
done

report
