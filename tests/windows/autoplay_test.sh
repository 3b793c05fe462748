#!/usr/bin/env bash
# The image that make-disc wrote, its own bytes started as AutoPlay starts them: mounted read-only
# by a reader independent of the writer (fuseiso, through FUSE), shown to Wine as a CD drive R:,
# the program that autorun.inf's open= names started from the drive's root with the current folder
# there. Afterwards the viewer has the course's index.html on R:, and the control was copied from
# R: into the system folder and registered there. Once unsigned, once signed with a test
# certificate made here (whose signature is checked on the mounted image).
# The lane of the delivered 32-bit files runs it on an i686 image in its WoW64 prefix, through
# TOLOPEN_WINE_RUN (how a Windows program runs), TOLOPEN_PREFIX, TOLOPEN_SYSTEM_FOLDER (the system
# folder's folder on disk: syswow64 for a 32-bit program), TOLOPEN_REGISTRY_VIEW (/reg:32),
# TOLOPEN_CONTROL_DLL, TOLOPEN_RECORDER_EXE, TOLOPEN_AUTORUN_READER_EXE and TOLOPEN_MOUNT_HOST /
# TOLOPEN_MOUNT_SEEN (where the image is mounted on the host, and where Wine sees that folder).
set -u
source_dir=$1
build=$2  # the build whose tolOpen.exe and vb5stkit.dll go on the disc
prefix=${TOLOPEN_PREFIX:-$build/wineprefix}
view=${TOLOPEN_REGISTRY_VIEW:-}
control_dll=${TOLOPEN_CONTROL_DLL:-$build/tests/windows/test_control.dll}
recorder_exe=${TOLOPEN_RECORDER_EXE:-$build/tests/windows/recorder.exe}
reader_exe=${TOLOPEN_AUTORUN_READER_EXE:-$build/tests/windows/autorun_reader.exe}
source "$source_dir/tests/wine_lib.sh"
source "$source_dir/tests/test_certificates.sh"
clsid_key="HKCR\\CLSID\\$TOLOPEN_TEST_CONTROL_CLSID"

work=$(mktemp -d -p "$build" autoplay.XXXXXX)
mount_host=${TOLOPEN_MOUNT_HOST:-$work/mnt}
mount_seen=${TOLOPEN_MOUNT_SEEN:-$mount_host}
system=$prefix/drive_c/windows/${TOLOPEN_SYSTEM_FOLDER:-system32}
previous_html=
cleanup() {
  fusermount -u "$mount_host" 2>/dev/null
  rm -rf "$work" "$system/macromed" "$prefix/dosdevices/r:"
  wine_run reg delete 'HKLM\Software\Wine\Drives' /v r: /f /reg:64 >/dev/null 2>&1
  if [ -n "$previous_html" ]; then wine_run reg add 'HKCR\.html' /ve /d "$previous_html" /f >/dev/null 2>&1
  else wine_run reg delete 'HKCR\.html' /ve /f >/dev/null 2>&1; fi
  wine_run reg delete 'HKCR\TolOpenTest.AutoPlay' /f >/dev/null 2>&1
  wine_run reg delete "$clsid_key" /f $view >/dev/null 2>&1
}
trap cleanup EXIT
source "$(dirname "$0")/../check_lib.sh"

if ! command -v fuseiso >/dev/null || [ ! -e /dev/fuse ]; then
  echo "autoplay: no FUSE here (fuseiso and /dev/fuse), so the image cannot be mounted as a CD: not proven"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi

# The course and the publisher's control (the tests' self-registering server, as long as a real one).
course=$work/course
mkdir -p "$course/pages"
printf '<a href="pages/intro.html">Intro</a>\n' >"$course/index.html"
printf '<html></html>\n' >"$course/pages/intro.html"
cp "$control_dll" "$work/flash.ocx" && truncate -s 500000 "$work/flash.ocx"
test_certificates "$work/certificates"

recorder=$(windows_path "$recorder_exe")
previous_html=$(wine_run reg query 'HKCR\.html' /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
wine_run reg add 'HKCR\.html' /ve /d TolOpenTest.AutoPlay /f >/dev/null
wine_run reg add 'HKCR\TolOpenTest.AutoPlay\shell\open\command' /ve /d "\"$recorder\"" /f >/dev/null
wine_run reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f /reg:64 >/dev/null

# open= and label= of the mounted autorun.inf, as Windows' profile functions read it (Wine's here).
autorun_entries() { wine_run "$(windows_path "$reader_exe")" 'R:\autorun.inf' | tr -d '\r'; }

# autoplay KIND TITLE MAKE_DISC_ARGUMENTS...: makes the image, mounts it as R: and starts it.
autoplay() {
  local kind=$1 title=$2
  shift 2
  rm -rf "$work/disc" "$work/disc.iso" "$system/macromed"
  wine_run reg delete "$clsid_key" /f $view >/dev/null 2>&1
  "$source_dir/scripts/make-disc" --course "$course" --control "$work/flash.ocx" --disc "$work/disc" \
    --build "$build" --label AUTOPLAY --title "$title" "$@" >"$work/log" 2>&1
  check "$kind: make-disc makes the image" test $? -eq 0
  mkdir -p "$mount_host"
  if ! fuseiso "$work/disc.iso" "$mount_host"; then
    check "$kind: fuseiso mounts the image" false
    return
  fi
  ln -sfn "$mount_seen" "$prefix/dosdevices/r:"
  check "$kind: Wine finds the mounted image as drive R:" wait_for_drive R autorun.inf
  local entries open
  entries=$(autorun_entries)
  open=$(sed -n 1p <<<"$entries")
  check "$kind: autorun.inf starts tolOpen.exe (open=$open)" test "$open" = tolOpen.exe
  check "$kind: and shows the title '$title' (label=$(sed -n 2p <<<"$entries"))" test "$(sed -n 2p <<<"$entries")" = "$title"
  launch_from_drive R "$open"
  check "$kind: the viewer received R:\\index.html in R:\\ (it received: ${received:-nothing})" \
    test "$received" = "\"$recorder\" R:\\index.html|R:\\|1|"
  check "$kind: the control was copied from the disc" cmp -s "$system/macromed/flash/flash.ocx" "$mount_host/tools/flash/flash.ocx"
  check "$kind: and registered there" test "$registered" = 'C:\windows\system32\macromed\flash'
  if [ "$kind" = signed ]; then
    check "$kind: the disc's tolOpen.exe verifies against the test root" bash -c \
      "osslsigncode verify -in '$mount_host/tolOpen.exe' -CAfile '$work/certificates/root.pem' | grep -q 'Signature verification: ok'"
  fi
  fusermount -u "$mount_host"
  rm -f "$prefix/dosdevices/r:"
}

# A title the Western code page holds (autorun.inf in code page 1252, Wine's own here), and one it
# does not (UTF-16).
autoplay unsigned 'Øvelse 1'
autoplay signed 'Bezpečnost práce' --sign "$work/certificates/Course.p12" --sign-password-file "$work/certificates/password"
report
