#!/usr/bin/env bash
# The disc command: the sample course goes onto a disc and an image that lists back as it
# should; bad input writes nothing.
set -u
source_dir=$1
build=$2  # the delivered 32-bit build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../check_lib.sh"
make_disc() { "$source_dir/scripts/make-disc" --build "$build" "$@"; }

printf 'control' >"$work/control.ocx"
make_disc --course "$source_dir/examples/machine/d" --control "$work/control.ocx" --disc "$work/out/disc" \
  --label Sample_1 >"$work/log" 2>&1
check "the sample course makes a disc" test $? -eq 0
check "the volume label" bash -c "isoinfo -d -i '$work/out/disc.iso' | grep -q '^Volume id: SAMPLE_1$'"
isoinfo -J -f -i "$work/out/disc.iso" | sort >"$work/listing"
for path in /autorun.inf /index.html /pages/intro.html /tolOpen.exe /vb5stkit.dll /tools/flash/flash.ocx; do
  check "the image holds $path under its Joliet name" grep -qx "$path" "$work/listing"
done
check "the program is the delivered build" cmp -s "$work/out/disc/tolOpen.exe" "$build/tolOpen.exe"
check "the control is the publisher's" cmp -s "$work/out/disc/tools/flash/flash.ocx" "$work/control.ocx"
check "autorun starts the launcher" bash -c "grep -q '^open=tolOpen.exe' '$work/out/disc/autorun.inf'"
isoinfo -J -x /tolOpen.exe -i "$work/out/disc.iso" >"$work/from-image.exe"
check "the image's program is the same bytes" cmp -s "$work/from-image.exe" "$build/tolOpen.exe"

# Bad input: a message, exit status 2, nothing written.
mkdir -p "$work/no-index"
printf 'x' >"$work/no-index/start.html"
mkdir -p "$work/not-a-disc"
refuse() {  # what, expected message, arguments
  local what=$1 message=$2
  shift 2
  make_disc "$@" >"$work/log" 2>&1
  local status=$?
  check "$what: exit status 2 (got $status)" test $status -eq 2
  check "$what: says '$message'" grep -qF -- "$message" "$work/log"
}
refuse "missing course" "does not exist" --course "$work/none" --control "$work/control.ocx" --disc "$work/bad/disc"
refuse "course without index.html" "has no index.html" --course "$work/no-index" --control "$work/control.ocx" --disc "$work/bad/disc"
refuse "missing control" "the control file" --course "$source_dir/examples/machine/d" --control "$work/none.ocx" --disc "$work/bad/disc"
refuse "bad label" "the label takes" --course "$source_dir/examples/machine/d" --control "$work/control.ocx" --disc "$work/bad/disc" --label 'no spaces'
refuse "output that is no disc" "is no disc made here" --course "$source_dir/examples/machine/d" --control "$work/control.ocx" --disc "$work/not-a-disc"
check "nothing was written for bad input" test ! -e "$work/bad"
check "a folder that is no disc is left alone" test -z "$(ls -A "$work/not-a-disc")"

report
