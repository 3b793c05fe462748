#!/usr/bin/env bash
# tolOpen.exe started from a disc on read-only media (a folder made immutable), whose control
# carries the read-only attribute as files on a CD do. Afterwards: the viewer started, the
# control was copied into the system folder and registered there, the copy can be replaced by a
# later run, and nothing on the disc changed.
set -u
source_dir=$1
build=$2
prefix=$build/wineprefix
wine_run() { "$source_dir/cmake/wine-run" "$prefix" "$@"; }
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

work=$(mktemp -d -p "$build" read-only-disc.XXXXXX)
disc=$work/disc
system_flash=$prefix/drive_c/windows/system32/macromed/flash
cleanup() {
  chattr -R -i "$disc" 2>/dev/null
  rm -rf "$work" "$prefix/drive_c/windows/system32/macromed"
  wine_run reg delete 'HKCR\.tolro' /f >/dev/null 2>&1
  wine_run reg delete 'HKCR\TolOpenTest.ReadOnly' /f >/dev/null 2>&1
  wine_run reg delete 'HKCR\CLSID\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}' /f >/dev/null 2>&1
}
trap cleanup EXIT
source "$(dirname "$0")/../check_lib.sh"

mkdir -p "$disc/tools/flash"
cp "$build/tolOpen.exe" "$build/vb5stkit.dll" "$disc/"
cp "$build/tests/windows/test_control.dll" "$disc/tools/flash/flash.ocx"
chmod 0444 "$disc/tools/flash/flash.ocx"
echo '<html></html>' >"$disc/index.tolro"
rm -rf "$prefix/drive_c/windows/system32/macromed"
if ! chattr -R +i "$disc" 2>/dev/null; then
  echo "this file system cannot make the disc read-only (chattr +i)"
  exit 77
fi
before=$(cd "$disc" && find . -printf '%p %s %m %T@\n' | sort)

recorder=$(windows_path "$build/tests/windows/recorder.exe")
wine_run reg add 'HKCR\.tolro' /ve /d TolOpenTest.ReadOnly /f >/dev/null
wine_run reg add 'HKCR\TolOpenTest.ReadOnly\shell\open\command' /ve /d "\"$recorder\"" /f >/dev/null
TOLOPEN_RECORDER_OUT=$(windows_path "$work/record.txt") wine_run "$(windows_path "$disc")\\tolOpen.exe" index.tolro
for _ in $(seq 100); do [ -s "$work/record.txt" ] && break; sleep 0.1; done

received=$(iconv -f UTF-16LE -t UTF-8 "$work/record.txt" 2>/dev/null | head -1)
check "the viewer received the document" test "$received" = "\"$recorder\" $(windows_path "$disc")\\index.tolro"
check "the control was copied into the system folder" cmp -s "$system_flash/flash.ocx" "$disc/tools/flash/flash.ocx"
check "the copy does not keep the read-only attribute" test -n "$(find "$system_flash/flash.ocx" -perm -u+w)"
registered=$(wine_run reg query 'HKCR\CLSID\{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}\InprocServer32' /ve | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
check "the control registered itself from the system folder" test "$registered" = 'C:\windows\system32\macromed\flash\flash.ocx'
after=$(cd "$disc" && find . -printf '%p %s %m %T@\n' | sort)
check "nothing on the disc changed" test "$before" = "$after"

report
