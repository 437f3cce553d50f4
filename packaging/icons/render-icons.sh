#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the PNG icons from kaltap.svg: the hicolor sizes installed with the
# program and the 64 px window icon built into the program's resources. The
# PNGs are kept in the repository, so building needs no SVG renderer; run this
# after changing the drawing (needs rsvg-convert from librsvg2-bin).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  mkdir -p "$here/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" "$here/kaltap.svg" -o "$here/${size}x${size}/kaltap.png"
done
cp "$here/64x64/kaltap.png" "$here/../../toolkit/resources/kaltap.png"
