#!/usr/bin/env bash
# The disc command on course folders of our own. Each image is read back with 7-Zip, a reader
# independent of the tool that wrote it, by its Joliet names (what Windows shows), and the whole
# tree is compared with the disc folder, names and bytes. What cannot be carried is refused
# before anything is written.
set -u
source_dir=$1
build=$2  # the delivered 32-bit build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../check_lib.sh"
make_disc() { "$source_dir/scripts/make-disc" --build "$build" "$@"; }
# The image's tree, extracted by its Joliet names, is the disc folder's, byte for byte.
same_tree() { rm -rf "$work/read"; LC_ALL=C.UTF-8 7z x -o"$work/read" "$1" >/dev/null && diff -r "$2" "$work/read" >/dev/null; }
printf 'control' >"$work/control.ocx"

# The sample course.
make_disc --course "$source_dir/examples/machine/d" --control "$work/control.ocx" --disc "$work/out/disc" \
  --label Sample_1 >"$work/log" 2>&1
check "the sample course makes a disc" test $? -eq 0
check "the volume label" bash -c "isoinfo -d -i '$work/out/disc.iso' | grep -q '^Volume id: SAMPLE_1$'"
check "the image holds the disc folder, names and bytes" same_tree "$work/out/disc.iso" "$work/out/disc"
check "the program is the delivered build" cmp -s "$work/out/disc/tolOpen.exe" "$build/tolOpen.exe"
check "the control is the publisher's" cmp -s "$work/out/disc/tools/flash/flash.ocx" "$work/control.ocx"
check "autorun starts the launcher" bash -c "grep -q '^open=tolOpen.exe' '$work/out/disc/autorun.inf'"

# Names as publishers give them: long, Czech and German, nine folders deep; a title and an icon.
course=$work/course
long=Kapitola_01_Uvod_do_problematiky_bezpecnosti_prace_a_ochrany_zdravi
mkdir -p "$course/a/b/c/d/e/f/g/h/i" "$course/Kapitoly"
printf '<a href="%s.html">1</a> <a href="Kapitoly/%%C3%%9Avod.html#top">2</a> <a href="chybi.html">3</a>' "$long" \
  >"$course/index.html"
printf 'long' >"$course/$long.html"
printf 'max' >"$course/$(printf 'x%.0s' $(seq 1 98)).html"  # 103 characters
printf 'cz' >"$course/Kapitoly/Úvod.html"
printf 'de' >"$course/Kapitoly/Größenübersicht der Prüfungen.html"
printf 'deep' >"$course/a/b/c/d/e/f/g/h/i/hluboko.html"
printf 'icon' >"$course/kurz.ico"
make_disc --course "$course" --control "$work/control.ocx" --disc "$work/names/disc" --title "Safety at work" \
  >"$work/log" 2>&1
check "long, non-ASCII and deep names make a disc" test $? -eq 0
check "every name and byte arrives as the course has it" same_tree "$work/names/disc.iso" "$work/names/disc"
check "the course is all there" bash -c "cd '$course' && find . -type f -exec cmp -s {} '$work/names/disc/{}' \\; -print | wc -l | grep -qx 7"
check "a link to a missing page is a warning" grep -qF "links to 'chybi.html': the course has no such file" "$work/log"
check "links that are there are no warning" bash -c "! grep -qE 'Kapitola_01|Kapitoly' '$work/log'"
check "AutoPlay shows the title" bash -c "grep -q '^action=Safety at work' '$work/names/disc/autorun.inf' && grep -q '^label=Safety at work' '$work/names/disc/autorun.inf'"
check "and the course's icon" grep -q '^icon=kurz.ico' "$work/names/disc/autorun.inf"

# Bad input and what a disc cannot carry: a message naming the input, exit status 2, nothing written.
mkdir -p "$work/no-index" "$work/not-a-disc"
printf 'x' >"$work/no-index/start.html"
refuse() {  # what, expected message, arguments
  local what=$1 message=$2
  shift 2
  make_disc "$@" >"$work/log" 2>&1
  local status=$?
  check "$what: exit status 2 (got $status)" test $status -eq 2
  check "$what: says '$message'" grep -qF -- "$message" "$work/log"
}
sample=$source_dir/examples/machine/d
refuse "missing course" "does not exist" --course "$work/none" --control "$work/control.ocx" --disc "$work/bad/disc"
refuse "course without index.html" "has no index.html" --course "$work/no-index" --control "$work/control.ocx" --disc "$work/bad/disc"
refuse "missing control" "the control file" --course "$sample" --control "$work/none.ocx" --disc "$work/bad/disc"
refuse "bad label" "the label takes" --course "$sample" --control "$work/control.ocx" --disc "$work/bad/disc" --label 'no spaces'
refuse "bad medium" "--media is cd or dvd" --course "$sample" --control "$work/control.ocx" --disc "$work/bad/disc" --media floppy
refuse "output that is no disc" "is no disc made here" --course "$sample" --control "$work/control.ocx" --disc "$work/not-a-disc"

bad=$work/bad-names
mkdir -p "$bad/Stranky" "$bad/stranky"
printf 'x' >"$bad/index.html"
for name in "$(printf 'y%.0s' $(seq 1 99)).html" "otazka?.html" "strednik;.html" "tecka." "CON.txt" "TOLOPEN.EXE"; do
  printf 'x' >"$bad/$name"
done
refuse "names a disc cannot carry" "cannot carry 7 path(s)" --course "$bad" --control "$work/control.ocx" --disc "$work/bad/disc"
for reason in "has 104 characters; a disc carries 103" "cannot hold '?'" "cannot hold ';'" "trailing dot" \
              "device name" "Stranky' only in case" "tolOpen.exe' only in case"; do
  check "names the path and says: $reason" grep -qF "$reason" "$work/log"
done
big=$work/big
mkdir -p "$big"
printf 'x' >"$big/index.html"
truncate -s 720M "$big/video.avi"
refuse "a course too large for a CD" "the image would be " --course "$big" --control "$work/control.ocx" --disc "$work/bad/disc"
check "it names the medium's size" grep -qF "a cd holds 737280000" "$work/log"
check "nothing was written for bad input" test ! -e "$work/bad"
check "a folder that is no disc is left alone" test -z "$(ls -A "$work/not-a-disc")"

report
