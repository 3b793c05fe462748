#!/usr/bin/env bash
# The dry-run tool reads a registry file as importing it does: each file below is imported by
# Wine's regedit, and the launcher's two lookups on Wine's registry agree with tolopen-sim
# --lookups on a machine whose registry.reg is that file. The order of the file counts: keys
# and values are written and deleted as the lines come.
# Wine's HKEY_CLASSES_ROOT is the machine's classes alone (it merges no user's classes over
# them), so the rows that need the user's classes are the dry-run tool's own test's.
set -u
source_dir=$1
build=$2  # the x86_64 build
tool=$3   # the host build's tolopen-sim
work=$(mktemp -d)
source "$source_dir/tests/check_lib.sh"
prefix=$build/wineprefix
source "$source_dir/tests/wine_lib.sh"
[ -x "$tool" ] || { echo "FAILED: $tool is missing (scripts/check builds the host build first)"; exit 1; }

header='Windows Registry Editor Version 5.00'
cleanup_file() {  # every key the rows touch, deleted
  printf '%s\r\n' "$header" '[-HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.tolimpa]' '[-HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.tolimpb]' \
    '[-HKEY_LOCAL_MACHINE\SOFTWARE\Classes\.tolimpc]' '[-HKEY_LOCAL_MACHINE\SOFTWARE\Classes\TolImp.Type]' >"$work/cleanup.reg"
  wine_run regedit /s "$(windows_path "$work/cleanup.reg")" >/dev/null 2>&1
}
trap 'cleanup_file; rm -rf "$work"' EXIT
rows=(  # what | the file's lines after its header, separated by ";;"
  "a deletion and writes through both names of the machine's classes, in order|[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.tolimpa];;[-HKEY_CLASSES_ROOT\\.tolimpa];;[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.tolimpb];;@=\"machine\";;[HKEY_CLASSES_ROOT\\.tolimpb];;@=\"classes-root\";;[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.tolimpb];;@=\"TolImp.Type\""
  "a value deleted, then the key deleted and made again below|[HKEY_CLASSES_ROOT\\.tolimpa];;@=\"TolImp.Type\";;@=-;;[HKEY_CLASSES_ROOT\\.tolimpc];;@=\"TolImp.Type\";;[-HKEY_CLASSES_ROOT\\.tolimpc];;[HKEY_CLASSES_ROOT\\.tolimpc\\sub]"
  "an open command written, its key deleted, written again|[HKEY_CLASSES_ROOT\\.tolimpb];;@=\"TolImp.Type\";;[HKEY_CLASSES_ROOT\\TolImp.Type\\shell\\open\\command];;@=\"first.exe %1\";;[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\TolImp.Type\\shell];;[HKEY_CLASSES_ROOT\\TolImp.Type\\shell\\open\\command];;@=\"second.exe %1\""
  "a key deleted after its value, under the other name|[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.tolimpa];;@=\"TolImp.Type\";;[HKEY_CLASSES_ROOT\\TolImp.Type\\shell\\open\\command];;@=\"kept.exe\";;[-HKEY_CLASSES_ROOT\\.tolimpa]"
)
for row in "${rows[@]}"; do
  what=${row%%|*}
  lines=${row#*|}
  cleanup_file
  rm -rf "$work/m" && mkdir -p "$work/m/c" "$work/m/d"
  { printf '%s\r\n' "$header"; printf '%s\r\n' "${lines//;;/$'\n'}" | sed 's/$/\r/; s/\r\r$/\r/'; } >"$work/m/registry.reg"
  wine_run regedit /s "$(windows_path "$work/m/registry.reg")" >/dev/null 2>&1
  wine_run "$build/tests/windows/lookups.exe" | tr -d '\r' | grep '^\.tolimp' | LC_ALL=C sort >"$work/wine"
  "$tool" --machine "$work/m" --system-folder 'C:\windows\system32' --lookups | grep '^\.tolimp' | LC_ALL=C sort >"$work/sim"
  check "$what: the lookups agree with Wine's import ($(tr '\t\n' ' ;' <"$work/wine"))" diff "$work/wine" "$work/sim"
done
report
