#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the program's command line as a user meets it on a terminal without a
# desktop session: --help and --version answer on standard output with status
# 0, anything the program does not understand gives the usage on standard
# error with status 2, a missing display gives status 1, and Qt's own
# -platform option starts the program without a display. "--design RECORD"
# makes a record's design without a display: its files (plots included) in
# the output folder and status 0, or one error on standard error, its
# status, and no file written.
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
  "--output-dir out|2||^kaltap: --output-dir is used only with --design"
  "--design|2||Missing value after '--design'"
  "--export taps.h|2||^kaltap: --export is used only with --design"
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

# Design records run without windows. Cases: name | record text | exit status
# | pattern standard error must match ("" = empty) | files the output folder
# must hold afterwards, as a pattern of their sorted names joined by blanks.
record() {  # record <input fields>
  printf '{"format": "kaltap-design", "format_version": 2, "input": {%s}}' "$1"
}
lowpass='"path": "lowpass", "find": "number_of_weights", "order": "odd", "ripple_db": 0.1,'
lowpass+=' "attenuation_db": 50, "bandwidth": 0.15, "transition": 0.06, "bits": 12'
equalizer='"path": "equalizer", "table_name": "eq.csv", "table": "f,g\n0,1\n0.2,0.5\n0.5,0.1\n",'
equalizer+=' "number_of_weights": 15, "grid_density": 16, "bits": 0'
stamp='[0-9]{8}_[0-9]{4}_'
plots="${stamp}plot_1X.png ${stamp}plot_1XL.png ${stamp}plot_2X.png ${stamp}plot_2XL.png ${stamp}plot_3X.png ${stamp}plot_3XL.png"
design_cases=(
  "lowpass, quantized|$(record "$lowpass")|0||^${stamp}Filter_Weights.csv ${stamp}Frequency_Response.csv ${stamp}Hex_Weights.csv ${plots} Optimization_Log_[0-9_]*.txt\$"
  "equalizer|$(record "$equalizer")|0||^${stamp}Filter_Weights.csv ${stamp}Frequency_Response.csv ${plots} Equalizer_FIR_Design_Log_[0-9_]*.txt\$"
  "refused attenuation|$(record '"path": "lowpass", "find": "ripple", "number_of_weights": 25, "attenuation_db": 300, "bandwidth": 0.15, "transition": 0.05, "bits": 0')|1|^kaltap: Filter Definition Parameter Error: FIR_Stopband_Attenuation|^\$"
  "bands out of order|$(record '"path": "classical", "filter_type": "bandpass", "number_of_weights": 21, "grid_density": 16, "bands": [{"lower_edge": 0.3, "upper_edge": 0.5, "desired": 0, "weight": 1}, {"lower_edge": 0, "upper_edge": 0.1, "desired": 1, "weight": 1}], "bits": 0')|3|^kaltap: .*input.bands\[2\].lower_edge: bands out of order|^\$"
  "unknown format|{\"format\": \"other\", \"format_version\": 2}|3|^kaltap: .*format: \"other\" is not|^\$"
)
for entry in "${design_cases[@]}"; do
  IFS='|' read -r case_name text want_status want_err want_files <<<"$entry"
  name="kaltap --design ($case_name)"
  rm -rf out && mkdir out && printf '%s' "$text" >record.json
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    timeout 120 "$program" --design record.json --output-dir out >out.txt 2>err.txt
  status=$?
  files="$(ls out | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
  if [ "$status" != "$want_status" ]; then
    report 1 "$name" "exit status $status, expected $want_status: $(head -c 300 err.txt)"
  elif [ -z "$want_err" ] && [ -s err.txt ]; then
    report 1 "$name" "printed on standard error: $(head -c 300 err.txt)"
  elif [ -n "$want_err" ] && { ! grep -Eq -- "$want_err" err.txt || [ "$(wc -l <err.txt)" != 1 ]; }; then
    report 1 "$name" "standard error is not the one line '$want_err': $(head -c 300 err.txt)"
  elif ! grep -Eq -- "$want_files" <<<"$files"; then
    report 1 "$name" "output folder holds '$files'"
  elif [ "$(ls | LC_ALL=C sort | tr '\n' ' ')" != "err.txt out out.txt record.json " ]; then
    report 1 "$name" "wrote into the working folder: $(ls | tr '\n' ' ')"
  elif [ "$want_status" = 0 ] && ! grep -q "####New FIR Filter Design" out.txt; then
    report 1 "$name" "no report on standard output: $(head -c 300 out.txt)"
  elif [ "$want_status" = 0 ] && ! head -c 8 out/*plot_1X.png | grep -q PNG; then
    report 1 "$name" "plot image is not a PNG file"
  else
    report 0 "$name"
  fi
done

# The design exported as a C header beside it, where a build script wants it.
rm -rf out && mkdir out && record "$lowpass" >record.json
env -u DISPLAY "$program" --design record.json --output-dir out --export taps.h >out.txt 2>err.txt
status=$?
if [ "$status" = 0 ] && grep -q "^#define TAPS_BITS 12$" taps.h && grep -q "taps_int\[" taps.h; then
  report 0 "kaltap --design --export taps.h"
else
  report 1 "kaltap --design --export taps.h" "exit status $status: $(head -c 300 err.txt)"
fi
rm -f taps.h

# A record too large to be one is refused by its size, before it is read.
rm -rf out && mkdir out && truncate -s 100M record.json
env -u DISPLAY "$program" --design record.json --output-dir out >out.txt 2>err.txt
status=$?
if [ "$status" = 3 ] && grep -q "larger than 16 MiB" err.txt && [ -z "$(ls out)" ]; then
  report 0 "kaltap --design (100 MB record)"
else
  report 1 "kaltap --design (100 MB record)" "exit status $status: $(head -c 300 err.txt)"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
