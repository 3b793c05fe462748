#!/usr/bin/env bash
# tolOpen.exe started as autorun starts it from a CD: from the root of drive Q:, which shows a
# disc on read-only media (a folder made immutable) whose control carries the read-only attribute
# as files on a CD do. Afterwards: the viewer started on Q:\index.tolro in Q:\, the control was
# copied into the system folder and registered there, the copy can be replaced by a later run,
# and nothing on the disc changed. A second run, where the system folder cannot take the copy,
# registers the control where it lies on the disc.
# The lane of the delivered 32-bit files runs it in its WoW64 prefix, through these variables:
# TOLOPEN_WINE_RUN (how a Windows program runs), TOLOPEN_PREFIX, TOLOPEN_SYSTEM_FOLDER (the
# system folder's folder on disk: syswow64 for a 32-bit program), TOLOPEN_REGISTRY_VIEW (/reg:32),
# TOLOPEN_CONTROL_DLL and TOLOPEN_RECORDER_EXE.
set -u
source_dir=$1
build=$2  # the build whose tolOpen.exe and vb5stkit.dll run
prefix=${TOLOPEN_PREFIX:-$build/wineprefix}
view=${TOLOPEN_REGISTRY_VIEW:-}
control_dll=${TOLOPEN_CONTROL_DLL:-$build/tests/windows/test_control.dll}
recorder_exe=${TOLOPEN_RECORDER_EXE:-$build/tests/windows/recorder.exe}
source "$source_dir/tests/wine_lib.sh"
clsid_key="HKCR\\CLSID\\$TOLOPEN_TEST_CONTROL_CLSID"

work=$(mktemp -d -p "$build" read-only-disc.XXXXXX)
disc=$work/disc
system=$prefix/drive_c/windows/${TOLOPEN_SYSTEM_FOLDER:-system32}
system_flash=$system/macromed/flash
cleanup() {
  chattr -R -i "$disc" 2>/dev/null
  rm -rf "$work" "$system/macromed" "$prefix/dosdevices/q:"
  wine_run reg delete 'HKCR\.tolro' /f >/dev/null 2>&1
  wine_run reg delete 'HKCR\TolOpenTest.ReadOnly' /f >/dev/null 2>&1
  wine_run reg delete "$clsid_key" /f $view >/dev/null 2>&1
}
trap cleanup EXIT
source "$(dirname "$0")/../check_lib.sh"

mkdir -p "$disc/tools/flash"
cp "$build/tolOpen.exe" "$build/vb5stkit.dll" "$disc/"
cp "$control_dll" "$disc/tools/flash/flash.ocx"
chmod 0444 "$disc/tools/flash/flash.ocx"
echo '<html></html>' >"$disc/index.tolro"
rm -rf "$system/macromed"
if ! chattr -R +i "$disc" 2>/dev/null; then
  echo "this file system cannot make the disc read-only (chattr +i)"
  exit 77
fi
before=$(cd "$disc" && find . -printf '%p %s %m %T@\n' | sort)

recorder=$(windows_path "$recorder_exe")
wine_run reg add 'HKCR\.tolro' /ve /d TolOpenTest.ReadOnly /f >/dev/null
wine_run reg add 'HKCR\TolOpenTest.ReadOnly\shell\open\command' /ve /d "\"$recorder\"" /f >/dev/null
ln -sfn "$disc" "$prefix/dosdevices/q:"
check "Wine finds the disc as drive Q:" wait_for_drive Q tolOpen.exe
launch_from_drive Q tolOpen.exe index.tolro
check "the viewer received the document in Q:\\ (it received: ${received:-nothing})" test "$received" = "\"$recorder\" Q:\\index.tolro|Q:\\|1|"
check "the control was copied into the system folder" cmp -s "$system_flash/flash.ocx" "$disc/tools/flash/flash.ocx"
check "the copy does not keep the read-only attribute" test -n "$(find "$system_flash/flash.ocx" -perm -u+w)"
check "the control registered itself in the system folder" test "$registered" = 'C:\windows\system32\macromed\flash'
rm -rf "$system/macromed"
echo 'a file where the folder belongs' >"$system/macromed"
launch_from_drive Q tolOpen.exe index.tolro
check "without a copy the viewer starts all the same (it received: ${received:-nothing})" test "$received" = "\"$recorder\" Q:\\index.tolro|Q:\\|1|"
check "and the control registers itself on the disc" test "$registered" = 'Q:\tools\flash'
after=$(cd "$disc" && find . -printf '%p %s %m %T@\n' | sort)
check "nothing on the disc changed" test "$before" = "$after"

report
