#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the program's command line as a user meets it on a terminal without a
# desktop session: --help and --version answer on standard output with status
# 0, anything the program does not understand gives the usage on standard
# error with status 2, a missing display gives status 1, and Qt's own
# -platform option starts the program without a display.
#
# Usage: check-command-line.sh <kaltap executable> <version string>
# Prints one line per case and "N passed, N failed" at the end; exit status 0
# when every case passed.
set -uo pipefail
program="$1"
version="$2"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

passed=0
failed=0
report() {  # report <ok 0|1> <case> <what went wrong>
  if [ "$1" = 0 ]; then
    passed=$((passed + 1)); echo "ok      $2"
  else
    failed=$((failed + 1)); echo "FAILED  $2: $3"
  fi
}

# Runs the program without any display, as from a plain console.
run_without_display() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >out.txt 2>err.txt
}

# Cases: arguments | exit status | pattern standard output must match
# (grep -E, "" = must be empty) | pattern standard error must match.
cases=(
  "--help|0|^Usage: .*kaltap \[options\]|"
  "-h|0|--version  *Show the program's version|"
  "--version|0|^kaltap ${version//./\\.}\$|"
  "-v|0|^kaltap ${version//./\\.}\$|"
  "-version|0|^kaltap ${version//./\\.}\$|"
  "--bogus|2||^kaltap: Unknown option 'bogus'"
  "-x|2||Usage: .*kaltap \[options\]"
  "--help --bogus|2||Unknown option 'bogus'"
  "results.csv|2||^kaltap: unexpected argument 'results.csv'"
  "-platform|2||Missing value after '-platform'"
  "|1||no display found"
  "-style Fusion|1||no display found"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r arguments want_status want_out want_err <<<"$entry"
  # shellcheck disable=SC2086  # the arguments are split on purpose
  run_without_display $arguments
  status=$?
  name="kaltap ${arguments:-(no arguments)}"
  if [ "$status" != "$want_status" ]; then
    report 1 "$name" "exit status $status, expected $want_status"
  elif [ -z "$want_out" ] && [ -s out.txt ]; then
    report 1 "$name" "printed on standard output: $(head -c 200 out.txt)"
  elif [ -n "$want_out" ] && ! grep -Eq -- "$want_out" out.txt; then
    report 1 "$name" "standard output does not match '$want_out': $(head -c 200 out.txt)"
  elif [ -z "$want_err" ] && [ -s err.txt ]; then
    report 1 "$name" "printed on standard error: $(head -c 200 err.txt)"
  elif [ -n "$want_err" ] && ! grep -Eq -- "$want_err" err.txt; then
    report 1 "$name" "standard error does not match '$want_err': $(head -c 200 err.txt)"
  else
    report 0 "$name"
  fi
done

# A usage error prints the whole usage, options included.
run_without_display --bogus
if grep -q -- "--version" err.txt && grep -q -- "--help" err.txt; then
  report 0 "usage after an error lists the options"
else
  report 1 "usage after an error lists the options" "$(head -c 300 err.txt)"
fi

# Qt's own options reach Qt: with "-platform offscreen" (one dash or two)
# the program starts without a display and waits for the agreement until
# SIGTERM ends it, with status 0 once its handler is installed (143 if the
# signal came before that). Not a measure of time: any start passes.
for platform_option in "-platform" "--platform"; do
  name="kaltap $platform_option offscreen starts without a display"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    timeout --preserve-status -s TERM 3 "$program" "$platform_option" offscreen >out.txt 2>err.txt
  status=$?
  if { [ "$status" = 0 ] || [ "$status" = 143 ]; } && ! grep -q "no display found" err.txt; then
    report 0 "$name"
  else
    report 1 "$name" "exit status $status: $(head -c 300 err.txt)"
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
