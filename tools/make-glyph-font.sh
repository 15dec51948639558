#!/usr/bin/env bash
# Draws the overlay font: a 256 x 256 image of 16 x 16 cells holding the printable
# ASCII characters from the blank onwards in reading order, light grey on black,
# each glyph in the left half of its cell (the overlay advances half a cell per
# character). Writes it as a 20-colour XPM C array. Run once; the result is
# committed as src/render/gui/GlyphFont.xpm.
set -euo pipefail
out=${1:-src/render/gui/GlyphFont.xpm}
draw=()
for code in $(seq 32 126); do
  index=$((code - 32))
  x=$(( (index % 16) * 16 + 1 ))
  y=$(( (index / 16) * 16 + 12 ))
  char=$(printf "\\$(printf '%03o' "$code")")
  case "$char" in
    "'") char="\\'" ;;
    "\\") char="\\\\" ;;
  esac
  draw+=(-draw "text $x,$y '$char'")
done
tmp=$(mktemp -d)
convert -size 256x256 xc:black -font DejaVu-Sans-Mono-Bold -pointsize 12 -fill '#d8d8d8' "${draw[@]}" \
  -colors 20 "$tmp/glyphs.xpm"
sed -E 's/static (const )?char \*glyphs\[\]/static const char* const GlyphFont_xpm[]/' "$tmp/glyphs.xpm" > "$out"
rm -r "$tmp"
