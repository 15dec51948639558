#!/usr/bin/env bash
# Draws the desktop icons (the hicolor sizes) from packaging/icons/*.svg into
# packaging/icons/SIZE/. Run after changing the drawing; the results are
# committed, so that building needs no SVG renderer. Needs rsvg-convert
# (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for svg in *.svg; do
  for size in 16 24 32 48 64 128 256; do
    mkdir -p "$size"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$size/${svg%.svg}.png"
  done
done
