#!/usr/bin/env bash
# Draws every species' levels of detail as export --lod writes them, from 50 m
# and unlit (as the impostor's pictures are drawn), into docs/gallery/lod/NAME.png
# (LOD0 to LOD3 side by side), and prints how many pixels of each level's picture
# differ: how much sky it covers against LOD0 (the rows above the horizon, where
# only the sky is behind the tree), and how many pixels of a quarter-size copy
# (each pixel the mean of 4 x 4, the tree as a farther eye sees it) differ from
# LOD0's by more than 10 %, as a share of the tree's pixels there. The same build
# draws the same bytes. Needs a build
# (bash scripts/build.sh) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs/gallery/lod
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Per level: the sky it covers against LOD0's, and the pixels of the quarter-size picture that differ.
printf '%-8s %13s %13s %13s\n' species LOD1 LOD2 LOD3
for project in examples/*.*.xml; do
  name=$(basename "$project" | cut -d. -f1)
  for level in 0 1 2 3; do
    build/grovewright-cli render "$project" --lod "$level" --distance 50 --size 320x240 \
      -o "$work/$level.png" > /dev/null
    # The tree stands in the upper part; the counts are written below it.
    convert "$work/$level.png" -crop 320x160+0+0 +repage "$work/top-$level.png"
  done
  # Above the horizon only the sky is behind the tree: the tree's pixels are the ones that are not sky-coloured.
  sky=$(convert "$work/top-0.png" -format '%[pixel:p{0,0}]' info:)
  for level in 0 1 2 3; do
    convert "$work/top-$level.png" -crop 320x125+0+0 +repage "$work/above-$level.png"
    # The same, a quarter the size (each pixel the mean of 4 x 4): the tree as a farther eye sees it.
    convert "$work/above-$level.png" -filter box -resize 25% "$work/far-$level.png"
  done
  convert "$work/above-0.png" -fill "$sky" -draw 'color 0,0 reset' "$work/sky.png"
  convert "$work/far-0.png" -fill "$sky" -draw 'color 0,0 reset' "$work/far-sky.png"
  count() { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 || true; }
  tree=$(count "$work/above-0.png" "$work/sky.png")
  farTree=$(count "$work/far-0.png" "$work/far-sky.png")
  row="$name"
  for level in 1 2 3; do
    if [ "$tree" -eq 0 ]; then row+="   (below the horizon)"; break; fi
    covered=$(count "$work/above-$level.png" "$work/sky.png")
    differing=$(count "$work/far-0.png" "$work/far-$level.png")
    row+=$(printf ' %5.0f%% %5.0f%%' "$(echo "100 * $covered / $tree" | bc -l)" \
      "$(echo "100 * $differing / $farTree" | bc -l)")
  done
  printf '%-8s %s\n' "${row%% *}" "${row#* }"
  # Without the time chunks, so that the same build writes the same bytes.
  convert "$work/top-0.png" "$work/top-1.png" "$work/top-2.png" "$work/top-3.png" +append \
    -define png:exclude-chunk=date,time \
    "docs/gallery/lod/$name.png"
done
