# Sourced by the scripts that run Windows programs under Wine (the tests, the lane, the
# benchmark). Before sourcing: source_dir (the checkout) and prefix (the Wine prefix); a caller
# that runs Wine otherwise (the lane's chroot) sets TOLOPEN_WINE_RUN to its runner.

# The tests' control, a self-registering COM server: its class identifier. The C++ tests get it
# from here too (tests/windows/CMakeLists.txt reads this line).
TOLOPEN_TEST_CONTROL_CLSID='{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}'

# Runs a Windows program (or Wine's own reg, regedit, start, cmd) in the prefix; wine_run_for
# SECONDS PROGRAM...: the same, given up after SECONDS.
wine_run() { wine_run_for 0 "$@"; }
wine_run_for() {
  local seconds=$1
  shift
  if [ -n "${TOLOPEN_WINE_RUN:-}" ]; then
    timeout "$seconds" "$TOLOPEN_WINE_RUN" "$@"
  else
    timeout "$seconds" "$source_dir/cmake/wine-run" "$prefix" "$@"
  fi
}

# wait_for_drive DRIVE FILE: waits until Wine finds FILE on the drive just linked in the prefix's
# dosdevices (a new drive's first access now and then finds nothing there); fails after a minute.
wait_for_drive() {
  for _ in $(seq 30); do
    wine_run cmd /c "if exist $1:\\$2 echo found" | grep -q found && return 0
    sleep 2
  done
  return 1
}

# A host path as Windows programs under Wine see it: drive Z: is the host's "/".
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

# launch_from_drive DRIVE PROGRAM [ARGUMENT...]: starts DRIVE:\PROGRAM with the drive's root as its
# current folder, as autorun does, and waits for the recorder (the viewer the tests register). Sets
# `received` (the viewer's command line, folder and show state, "|"-separated; "" when none
# started) and `registered` (the folder the tests' control registered itself in). Before: `work`
# (a folder for the recorder's file) and `view` (a registry view, such as /reg:32, or empty).
launch_from_drive() {
  local drive=$1 program=$2
  shift 2
  rm -f "$work/record.txt"
  received='' registered=''
  # Without a program, start would open the drive's folder and wait for that window forever.
  [ -n "$program" ] || return
  local attempt output
  for attempt in 1 2 3; do
    # A run takes seconds under Wine, a minute or two under emulation; one that hangs is ended.
    output=$(TOLOPEN_RECORDER_OUT=$(windows_path "$work/record.txt") \
             wine_run_for 900 start /d "$drive:\\" /wait "$drive:\\$program" "$@" 2>&1)
    # Wine's start.exe now and then fails a drive's first run before the program starts
    # ("ShellExecuteEx failed: Internal error."): the program never ran, so it is started again.
    grep -q 'ShellExecuteEx failed' <<<"$output" || break
    echo "start.exe failed before $drive:\\$program ran (attempt $attempt): $output" >&2
    sleep 1
  done
  [ -z "$output" ] || printf '%s\n' "$output"
  # A new drive's first run can take Wine some seconds.
  for _ in $(seq 300); do [ -s "$work/record.txt" ] && break; sleep 0.1; done
  received=$(iconv -f UTF-16LE -t UTF-8 "$work/record.txt" 2>/dev/null | tr -d '\r' | tr '\n' '|')
  registered=$(wine_run reg query "HKCR\\CLSID\\$TOLOPEN_TEST_CONTROL_CLSID\\InprocServer32" /v RegisteredIn ${view:-} |
               tr -d '\r' | sed -n 's/.*REG_SZ *//p')
}
