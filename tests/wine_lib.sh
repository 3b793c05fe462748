# Sourced by the scripts that run Windows programs under Wine (the tests, the lane, the
# benchmark). Before sourcing: source_dir (the checkout) and prefix (the Wine prefix); a caller
# that runs Wine otherwise (the lane's chroot) sets TOLOPEN_WINE_RUN to its runner.

# The tests' control, a self-registering COM server: its class identifier. The C++ tests get it
# from here too (tests/windows/CMakeLists.txt reads this line).
TOLOPEN_TEST_CONTROL_CLSID='{6D3C1F0E-7B2A-4E55-9C1D-0A7E5B3F2C91}'

# Runs a Windows program (or Wine's own reg, regedit, start) in the prefix.
wine_run() {
  if [ -n "${TOLOPEN_WINE_RUN:-}" ]; then "$TOLOPEN_WINE_RUN" "$@"; else "$source_dir/cmake/wine-run" "$prefix" "$@"; fi
}

# A host path as Windows programs under Wine see it: drive Z: is the host's "/".
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }
