# Sourced by the shell tests: check WHAT COMMAND... counts COMMAND's outcome and names a failure.
passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
# Prints the closing line and gives the script's exit status.
report() {
  echo "$passed passed, $failed failed"
  test "$failed" -eq 0
}
