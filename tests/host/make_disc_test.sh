#!/usr/bin/env bash
# The disc command on course folders as publishers make them. Each image is read back with
# 7-Zip, a reader independent of the tool that wrote it, by its Joliet names (what Windows
# shows), and its label from the Joliet volume descriptor. What the command did not make is
# never replaced; a failure or an interruption leaves the earlier disc and image as they were.
set -u
source_dir=$1
build=$2  # the delivered 32-bit build
work=$(mktemp -d)
export TMPDIR=$work/tmp  # the command's own temporary files, looked at below
mkdir "$TMPDIR"
mounts=()
cleanup() { for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT
source "$(dirname "$0")/../check_lib.sh"
make_disc() { "$source_dir/scripts/make-disc" --build "$build" "$@"; }
# The image's tree, extracted by its Joliet names, is the disc folder's, byte for byte.
same_tree() {
  rm -rf "$work/read"
  LC_ALL=C.UTF-8 7z x -o"$work/read" "$1" >/dev/null && diff -r --exclude=.make-disc "$2" "$work/read" >/dev/null
}
# The label Windows shows: the Joliet supplementary volume descriptor's identifier.
joliet_label() {
  local sector
  for sector in $(seq 16 32); do
    local head
    head=$(dd if="$1" bs=2048 skip="$sector" count=1 2>/dev/null | head -c 91 | od -An -c | tr -d ' \n')
    case $head in
      377*) return 1 ;;
      002CD001*%/*) dd if="$1" bs=1 skip=$((sector * 2048 + 40)) count=32 2>/dev/null |
                      iconv -f UTF-16BE -t UTF-8 | sed 's/ *$//'; return 0 ;;
    esac
  done
  return 1
}
# A listing of a folder's paths, sizes and contents, to see that it was left as it was.
fingerprint() { (cd "$1" && find . -printf '%p %s %y\n' | LC_ALL=C sort && find . -type f -exec md5sum {} + | LC_ALL=C sort); }
runs() {  # STATUS WHAT MESSAGE ARGUMENTS...: the command ends with STATUS and says MESSAGE, never the
  local expected=$1 what=$2 message=$3  # signing key's password, right or mistyped
  shift 3
  make_disc "$@" >"$work/log" 2>&1
  local status=$?
  check "$what: exit status $expected (got $status), says '$message', no password" \
    bash -c 'test "$1" -eq "$2" && grep -qF -- "$3" "$4" && ! grep -q "pass phrase" "$4"' _ "$status" "$expected" \
    "$message" "$work/log"
}
refuse() { runs 2 "$@"; }  # bad input: a message naming it, exit status 2
bad() { refuse "$1" "$2" --course "$sample" --control "$work/control.ocx" --disc "$work/bad/disc" "${@:3}"; }  # given last, an option counts
made() { runs 0 "$1" "" "${@:2}"; }  # WHAT ARGUMENTS...: a disc is made
printf 'MZcontrol' >"$work/control.ocx"
sample=$source_dir/examples/machine/d

# The sample course.
made "the sample course makes a disc" --course "$sample" \
  --control "$work/control.ocx" --disc "$work/out/disc" --label Sample_1
check "Windows shows the label as given" test "$(joliet_label "$work/out/disc.iso")" = Sample_1
check "the image holds the disc folder, names and bytes" same_tree "$work/out/disc.iso" "$work/out/disc"
check "the program is the delivered build" cmp -s "$work/out/disc/tolOpen.exe" "$build/tolOpen.exe"
check "the control is the publisher's" cmp -s "$work/out/disc/tools/flash/flash.ocx" "$work/control.ocx"
check "autorun starts the launcher" grep -q '^open=tolOpen.exe' "$work/out/disc/autorun.inf"
made "a disc it made is made again" --course "$sample" \
  --control "$work/control.ocx" --disc "$work/out/disc" --label 'Kurz bezpečnost1'
check "a 16-character label outside ASCII is shown as given" \
  test "$(joliet_label "$work/out/disc.iso")" = 'Kurz bezpečnost1'

# Names as publishers give them: long, Czech and German, nine folders deep, names that only
# Unicode folds together; a title and an upper-case icon; the course's own control.
course=$work/course
long=Kapitola_01_Uvod_do_problematiky_bezpecnosti_prace_a_ochrany_zdravi
mkdir -p "$course/a/b/c/d/e/f/g/h/i" "$course/Kapitoly" "$course/Tools/Flash"
printf '<a href="%s.html">1</a> <a href="Kapitoly/%%C3%%9Avod.html#top">2</a> <a href="chybi.html">3</a>' "$long" \
  >"$course/index.html"
for name in "$long.html" "$(printf 'x%.0s' $(seq 1 98)).html" "Kapitoly/Úvod.html" \
            "Kapitoly/Größenübersicht der Prüfungen.html" "a/b/c/d/e/f/g/h/i/hluboko.html" \
            "Straße.html" "STRASSE.html" "$(printf 'e\xcc\x81').html" "$(printf '\xc3\xa9').html" kurz.ico AUTORUN.ICO; do
  printf '%s' "$name" >"$course/$name"
done
printf 'old control' >"$course/Tools/Flash/Flash.ocx"
LC_ALL=C made "long, non-ASCII and deep names make a disc (LC_ALL=C)" --course "$course" \
  --control "$work/control.ocx" --disc "$work/names/disc" \
  --title "Bezpečnost práce a ochrana zdraví – úvodní kurz pro všechny"
check "every name and byte arrives as the course has it" same_tree "$work/names/disc.iso" "$work/names/disc"
check "names Windows keeps apart are kept" test "$(ls "$work/names/disc" | grep -ci 'stra')" -eq 2
check "a link to a missing page is a warning" grep -qF "links to 'chybi.html': the course has no such file" "$work/log"
check "links that are there are no warning" bash -c "! grep -qE \"links to '(Kapitola_01|Kapitoly)\" '$work/log'"
check "the course's own control is replaced, with a note" grep -qF "Tools/Flash/Flash.ocx is replaced" "$work/log"
check "exactly one flash.ocx in any case, the one given" \
  bash -c "test \"\$(LC_ALL=C.UTF-8 7z l -slt -ba '$work/names/disc.iso' | grep -ci '^Path = tools/flash/flash.ocx')\" = 1 &&
           cmp -s '$work/names/disc/Tools/Flash/flash.ocx' '$work/control.ocx'"
iconv -f UTF-16 -t UTF-8 "$work/names/disc/autorun.inf" >"$work/autorun.txt"
check "AutoPlay shows the title (UTF-16 autorun.inf)" grep -q '^label=Bezpečnost práce' "$work/autorun.txt"
check "and the course's icon, found without regard to case" grep -q '^icon=AUTORUN.ICO' "$work/autorun.txt"

# What the command did not make is not replaced; a link lands where it points.
old=$work/old-cd
mkdir -p "$old"
printf '[autorun]\r\nopen=tolOpen.exe\r\n' >"$old/autorun.inf"
printf 'old' >"$old/tolOpen.exe"
printf 'old pages' >"$old/index.html"
before=$(fingerprint "$old")
bad "an old course CD's folder as --disc" "'$old' exists and was not made by this command" --disc "$old"
check "the old course is left as it was" test "$before" = "$(fingerprint "$old")"
printf 'notes' >"$work/out/disc/my-notes.txt"
bad "a disc the user added to" "was changed since this command made it (my-notes.txt)" --disc "$work/out/disc"
rm "$work/out/disc/my-notes.txt"
cp -p "$work/out/disc/index.html" "$work/index-made.html"
tr 'a-z' 'A-Z' <"$work/index-made.html" >"$work/out/disc/index.html"  # the publisher's edit, of the same length
bad "a page edited in the disc, of the same length" "was changed since this command made it (index.html)" \
  --disc "$work/out/disc"
check "the edited page is kept" bash -c "! cmp -s '$work/out/disc/index.html' '$work/index-made.html'"
cp -p "$work/index-made.html" "$work/out/disc/index.html"
printf 'notes' >"$work/notes.txt"
bad "a publisher's file as --disc" "'$work/notes.txt' is a file, not a disc folder" --disc "$work/notes.txt"
check "the publisher's file is kept" test "$(cat "$work/notes.txt")" = notes
xorriso -outdev stdio:"$work/user.iso" -volid THEIRS -map "$sample" / -commit >/dev/null 2>&1  # another tool's image
users_image=$(md5sum <"$work/user.iso")
bad "an image it did not make" "--image '$work/user.iso' exists and is no image made by this command" \
  --disc "$work/x/disc" --image "$work/user.iso"
check "the other tool's image is left as it was" test "$users_image" = "$(md5sum <"$work/user.iso")"
bad "an image that is a folder" "is a folder" --disc "$work/x/disc" --image "$work/out"
ln -s "$work/out/disc" "$work/link"
make_disc --course "$course" --control "$work/control.ocx" --disc "$work/link/" --image "$work/out/disc.iso" \
  --label LINKED >"$work/log" 2>&1
check "--disc LINK/ makes the disc where the link points" \
  bash -c "test -L '$work/link' && test -f '$work/out/disc/kurz.ico' && test ! -e '$work/out/disc/disc'"
make_disc --course "$sample" --control "$work/control.ocx" --disc "$work/slash/disc/" >"$work/log" 2>&1
check "--disc DIR/ (as shell completion writes it) makes DIR.iso beside it" test -f "$work/slash/disc.iso"

# All or nothing: a full file system, a read-only one, an interruption at any moment.
if mkdir -p "$work/tiny" && mount -t tmpfs -o size=1m tmpfs "$work/tiny" 2>/dev/null; then
  mounts+=("$work/tiny")
  made "an image that fits a 1 MiB file system is made" --course "$sample" \
    --control "$work/control.ocx" --disc "$work/full/disc" --image "$work/tiny/disc.iso"
  image_before=$(md5sum <"$work/tiny/disc.iso")
  disc_before=$(fingerprint "$work/full/disc")
  # Free space is judged by what the writer will write: a second image of the same size fits beside
  # the first (it is made beside it before the first is replaced); one with a control larger by 70 kB
  # not, though the size xorriso prints would fit: the check refuses it before anything is written.
  made "an image that fits beside the earlier one is made" --course "$sample" \
    --control "$work/control.ocx" --disc "$work/full/disc" --image "$work/tiny/disc.iso" \
    --label SAME
  image_before=$(md5sum <"$work/tiny/disc.iso")
  disc_before=$(fingerprint "$work/full/disc")
  head -c 70000 /dev/zero >"$work/larger-control.ocx"
  runs 1 "a full file system" "bytes free; the disc needs" --course "$sample" --control "$work/larger-control.ocx" \
    --disc "$work/full/disc" --image "$work/tiny/disc.iso" --label AGAIN
  check "a full file system: the earlier image and disc are as they were" \
    test "$image_before" = "$(md5sum <"$work/tiny/disc.iso")" -a "$disc_before" = "$(fingerprint "$work/full/disc")"
  check "a full file system: nothing left behind" bash -c "! find '$work/tiny' '$work/full' -maxdepth 1 -name '.make-disc-*' | grep -q ."
  mkdir -p "$work/ro" && mount -t tmpfs -o size=1m,ro tmpfs "$work/ro" && mounts+=("$work/ro")
  runs 1 "a read-only file system" "cannot write in '$work/ro'" --course "$sample" --control "$work/control.ocx" \
    --disc "$work/ro/disc"
else
  echo "note: not root, so the full and read-only file systems were not tried"
fi
# Interrupted while the new disc folder is copied, and while its image is written.
big=$work/big
mkdir -p "$big"
printf 'x' >"$big/index.html"
head -c 400000000 /dev/zero >"$big/video.avi"
disc_before=$(fingerprint "$work/out/disc")
image_before=$(md5sum <"$work/out/disc.iso")
for moment in disc disc.iso; do
  "$source_dir/scripts/make-disc" --build "$build" --course "$big" --control "$work/control.ocx" --disc "$work/out/disc" \
    >"$work/log" 2>&1 &
  for _ in $(seq 1 1000); do compgen -G "$work/out/.make-disc-*/$moment" >/dev/null && break; sleep 0.01; done
  kill -TERM $!
  wait $!
  status=$?
  check "interrupted while making $moment: exit status 1 (got $status), says so" \
    bash -c "test $status -eq 1 && grep -qF 'interrupted by SIGTERM; the earlier disc folder and image are as they were' '$work/log'"
  check "interrupted while making $moment: the earlier disc and image are as they were" \
    test "$disc_before" = "$(fingerprint "$work/out/disc")" -a "$image_before" = "$(md5sum <"$work/out/disc.iso")"
  check "interrupted while making $moment: nothing left behind" bash -c "! find '$work/out' -maxdepth 1 -name '.make-disc-*' | grep -q ."
done

# Bad input and what a disc cannot carry: a message naming the input, exit status 2, nothing written.
mkdir -p "$work/no-index"
printf 'x' >"$work/no-index/start.html"
truncate -s 4G "$work/huge.ocx"
bad "missing course" "does not exist" --course "$work/none"
bad "course without index.html" "has no index.html" --course "$work/no-index"
bad "missing control" "the control file" --control "$work/none.ocx"
bad "a control of 4 GiB" "has 4294967296 bytes" --control "$work/huge.ocx"
bad "a 17-character label" "the label takes 1 to 16 characters" --label ABCDEFGHIJKLMNOPQ
bad "bad medium" "--media is cd or dvd" --media floppy
refuse "unknown option" "unknown option '--colour'" --course "$sample" --colour red
# From inside a copy of a course, so that a command that lets it through writes nothing into the checkout.
pushd "$course" >/dev/null
refuse "the default disc folder inside the course" "lies inside the course folder" --course . --control "$work/control.ocx"
popd >/dev/null
bad "an image inside the course" "--image '$course/x.iso' lies inside the course folder" --course "$course" \
  --image "$course/x.iso"
bad "an image inside the disc folder" "lies inside the disc folder" --image "$work/bad/disc/x.iso"
check "nothing was made inside the course" test ! -e "$course/build"
"$source_dir/scripts/make-disc" --help >"$work/log" 2>&1
check "--help prints the usage, exit status 0" bash -c "test $? -eq 0 && grep -q '^usage: scripts/make-disc' '$work/log'"

bad=$work/bad-names
mkdir -p "$bad/Stranky" "$bad/stranky" "$bad/autorun.inf" "$bad/tools/flash/flash.ocx" "$bad/tolOpen.exe"
printf 'x' >"$bad/index.html"
for name in "$(printf 'y%.0s' $(seq 1 99)).html" "otazka?.html" "strednik;.html" "tecka." "CON.txt" "Kurs, Teil 1.ico"; do
  printf 'x' >"$bad/$name"
done
mkfifo "$bad/pipe"
bad "names a disc cannot carry" "cannot carry 11 path(s)" --course "$bad"
for reason in "has 104 characters; a disc carries 103" "cannot hold '?'" "cannot hold ';'" "trailing dot" \
              "device name" "Stranky' only in case" "autorun.inf: it is a folder where the disc puts autorun.inf" \
              "tolOpen.exe: it is a folder" "flash.ocx: it is a folder where the disc puts tools\\flash\\flash.ocx" \
              "pipe: it is a FIFO" "Kurs, Teil 1.ico: icon= takes a comma"; do
  check "names the path and says: $reason" grep -qF "$reason" "$work/log"
done
mkdir -p "$work/tools-file" && printf 'x' >"$work/tools-file/index.html" && printf 'x' >"$work/tools-file/TOOLS"
bad "a file named tools" "TOOLS: it is a file where the disc puts tools" --course "$work/tools-file"
truncate -s 720M "$big/video.avi"  # sparse: copied, it would be read as zeros
bad "a course too large for a CD" "a cd holds 737280000" --course "$big"
check "no other tool's message or traceback reached the user" bash -c "! grep -q Traceback '$work/log'"
check "nothing was written for bad input" test ! -e "$work/bad"
check "no work folder was left anywhere" bash -c "! find '$work' -name '.make-disc-*' | grep -q ."

# From nothing: a build folder that does not exist yet is built first (the same bytes as the
# build folder's: the delivered files build byte for byte the same).
made "a disc from an empty build folder is made" --course "$sample" \
  --control "$work/control.ocx" --disc "$work/fresh/disc" --build "$work/fresh-build"
for file in tolOpen.exe vb5stkit.dll; do
  check "the fresh build's $file is byte for byte the build folder's ($(cmp "$work/fresh-build/$file" "$build/$file" 2>&1))" \
    cmp -s "$work/fresh-build/$file" "$build/$file"
done

# Signed: a test root and a publisher's certificate made here, as a publisher tries it out.
certificates=$work/certificates
source "$source_dir/tests/test_certificates.sh"
test_certificates "$certificates"
printf 'pass phrase?\n' >"$certificates/wrong"
printf 'pass phrase\r\nthe key of another file\n' >"$certificates/first-line"  # only the first line is the password
cp "$build/tolOpen.exe" "$work/built-before.exe"
# While it signs, the key's password is on no process's command line, and the command's own folder
# and file that hold it are its owner's alone (the pattern is read from a file: a grep for the
# text would find its own command line).
make_disc --course "$sample" --control "$work/control.ocx" --disc "$work/signed/disc" \
  --sign "$certificates/Course.p12" --sign-password-file "$certificates/password" >"$work/log" 2>&1 &
signing=$!
leaked=$(while kill -0 $signing 2>/dev/null; do
  grep -lsaF -f "$certificates/password" /proc/[0-9]*/cmdline
  find "$TMPDIR" -maxdepth 2 \( -name 'make-disc-sign-*' -o -path '*make-disc-sign-*/password' \) -perm /077
done 2>/dev/null | sort -u)
wait $signing
check "a signed disc is made, the password not in its output" bash -c "test $? -eq 0 && ! grep -q 'pass phrase' '$work/log'"
check "the password was on no command line, in no file or folder others read${leaked:+: $leaked}" test -z "$leaked"
for file in tolOpen.exe vb5stkit.dll; do
  check "its $file verifies against the test root" \
    bash -c "osslsigncode verify -in '$work/signed/disc/$file' -CAfile '$certificates/root.pem' | grep -q 'Signature verification: ok'"
done
rm -rf "$work/read" && 7z x -o"$work/read" "$work/signed/disc.iso" tolOpen.exe >/dev/null
check "the image holds the signed bytes" cmp -s "$work/read/tolOpen.exe" "$work/signed/disc/tolOpen.exe"
check "the build's files stay as built" cmp -s "$build/tolOpen.exe" "$work/built-before.exe"
check "it says who signed" grep -qF "as CN = Course Publisher" "$work/log"
check "an unsigned control is warned of" grep -qF "the control '$work/control.ocx' is not signed" "$work/log"
cp "$work/signed/disc/vb5stkit.dll" "$work/signed-control.ocx"
TOLOPEN_SIGN_PASSWORD='pass phrase' made "the password from the environment" --course "$sample" \
  --control "$work/signed-control.ocx" --disc "$work/signed/disc" --sign "$certificates/Course.p12"
check "a signed control: by whom" grep -qF "is signed by /CN=Course Publisher" "$work/log"
check "a signed control's bytes are the publisher's" \
  cmp -s "$work/signed/disc/tools/flash/flash.ocx" "$work/signed-control.ocx"
disc_before=$(fingerprint "$work/signed/disc")
image_before=$(md5sum <"$work/signed/disc.iso")
signing_refused() {  # WHAT STATUS MESSAGE ARGUMENTS...
  runs "$2" "$1" "$3" --course "$sample" --control "$work/control.ocx" --disc "$work/signed/disc" "${@:4}"
  check "$1: nothing replaced" \
    test "$disc_before" = "$(fingerprint "$work/signed/disc")" -a "$image_before" = "$(md5sum <"$work/signed/disc.iso")"
}
test_timestamp_server "$certificates"
made "a timestamped disc is made" --course "$sample" \
  --control "$work/control.ocx" --disc "$work/signed/disc" --sign "$certificates/Course.p12" \
  --sign-password-file "$certificates/first-line" --timestamp "$timestamp_url"
kill "$timestamp_pid" 2>/dev/null
for file in tolOpen.exe vb5stkit.dll; do
  check "its $file carries an RFC 3161 timestamp that verifies" bash -c "osslsigncode verify -in '$work/signed/disc/$file' \
    -CAfile '$certificates/root.pem' -TSA-CAfile '$certificates/tsa.pem' | grep -q 'Timestamp Server Signature verification: ok'"
done
disc_before=$(fingerprint "$work/signed/disc")
image_before=$(md5sum <"$work/signed/disc.iso")
# WHAT|STATUS|MESSAGE|SIGNING FILE|PASSWORD FILE|MORE ARGUMENTS: a refusal that replaces nothing.
while IFS='|' read -r what status message p12 password more; do
  signing_refused "$what" "$status" "$message" --sign "$certificates/$p12" --sign-password-file "$certificates/$password" $more </dev/null
done <<ROWS
a signing file that is not there|2|the signing file '$certificates/none.p12' does not exist|none.p12|password|
a wrong password|2|the password does not open the signing file|Course.p12|wrong|
an expired certificate|2|has expired|Expired.p12|password|
a certificate not for code signing|2|is not for code signing|Server.p12|password|
a signing file without its private key|2|the signing file '$certificates/NoKey.p12' holds no private key|NoKey.p12|password|
a certificate that chains to no root this machine trusts|1|does not verify against the certificate's chain|NoChain.p12|password|
a timestamp server that does not answer|1|the timestamp server 'http://127.0.0.1:9/' did not answer|Course.p12|password|--timestamp http://127.0.0.1:9/
ROWS
SSL_CERT_FILE=$certificates/root.pem made "a certificate whose root only the machine's roots hold is made" \
  --course "$sample" --control "$work/control.ocx" --disc "$work/roots/disc" \
  --sign "$certificates/NoChain.p12" --sign-password-file "$certificates/password"
check "no signing folder is left, also after a refusal (the password is in it)" test -z "$(ls -A "$TMPDIR")"

report
