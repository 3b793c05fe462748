#!/usr/bin/env bash
# The dry-run tool on real data: Wine's own reg export of HKEY_CLASSES_ROOT, loaded in the
# simulated machine, gives for every extension the file type and open command that the
# launcher's two lookups give on the real registry under Wine.
set -u
source_dir=$1
build=$2  # the x86_64 build
tool=$3   # the host build's tolopen-sim, which scripts/check builds first
work=$(mktemp -d)
source "$source_dir/tests/check_lib.sh"
prefix=$build/wineprefix
source "$source_dir/tests/wine_lib.sh"
trap 'wine_run reg delete HKCR\\.tolopenexport /f >/dev/null 2>&1; wine_run reg delete HKCR\\TolOpenExport.Type /f >/dev/null 2>&1; rm -rf "$work"' EXIT

[ -x "$tool" ] || { echo "FAILED: $tool is missing (scripts/check builds the host build first)"; exit 1; }
# Besides Wine's own classes, one whose open command is expandable text outside ASCII.
wine_run reg add 'HKCR\.tolopenexport' /ve /d TolOpenExport.Type /f >/dev/null
wine_run reg add 'HKCR\TolOpenExport.Type\shell\open\command' /ve /t REG_EXPAND_SZ \
  /d "\"%ProgramFiles%\\Prohlížeč\\v.exe\" \"%1\"" /f >/dev/null
mkdir -p "$work/m/c" "$work/m/d"
wine_run reg export HKCR "$(windows_path "$work/m/registry.reg")" /y >/dev/null
check "reg export writes a version 5 file in UTF-16" bash -c "head -c 2 '$work/m/registry.reg' | od -An -tx1 | grep -q 'ff fe'"
wine_run "$build/tests/windows/lookups.exe" | tr -d '\r' | LC_ALL=C sort >"$work/wine"
"$tool" --machine "$work/m" --system-folder 'C:\windows\system32' --lookups | LC_ALL=C sort >"$work/sim"
check "the registry has extensions to compare ($(wc -l <"$work/wine"))" test "$(wc -l <"$work/wine")" -ge 10
check "the expandable command is among them" grep -qF $'.tolopenexport\tTolOpenExport.Type\t"C:\\Program Files\\Prohl' "$work/wine"
check "every extension's two lookups agree" diff "$work/wine" "$work/sim"
report
