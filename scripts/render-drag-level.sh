#!/usr/bin/env bash
# Draws docs/drag-level.png: the sapling grown to Iteration 12 (one leaf a
# shoot, no variation: the design the drag benchmarks time) and the oak, each
# whole and as the view draws it while a slider moves, at the share the drag
# benchmark settled on here (41 % and 27 %), with the triangle counts written.
# The same build draws the same bytes. Needs a build (bash scripts/build.sh)
# and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
light=(--size 710x966 --lighting on --diffuse 70)
sapling=(examples/sapling.simple.xml --set simple.Iteration=12 --set simple.LengthVariation=0
         --set simple.AngleVariation=0 --set simple.Gravity=0 --set simple.Bend=1 --set simple.Pruning=0)
for page in $(seq 1 20); do sapling+=(--set "leaves.LeafSetup$page.ShootLeaves=1"); done
close=(--distance 8 --camera-height 2.6)
build/grovewright-cli render "${sapling[@]}" "${light[@]}" "${close[@]}" -o "$work/sapling.png" > /dev/null
build/grovewright-cli render "${sapling[@]}" "${light[@]}" "${close[@]}" --detail 0.41 -o "$work/sapling-drag.png" > /dev/null
build/grovewright-cli render examples/oak.regular.xml "${light[@]}" -o "$work/oak.png" > /dev/null
build/grovewright-cli render examples/oak.regular.xml "${light[@]}" --detail 0.27 -o "$work/oak-drag.png" > /dev/null
montage -label "Sapling, Iteration 12: whole" "$work/sapling.png" -label "while a slider moves" "$work/sapling-drag.png" \
  -label "Oak: whole" "$work/oak.png" -label "while a slider moves" "$work/oak-drag.png" \
  -tile 4x1 -geometry 340x462+4+4 -pointsize 13 -depth 8 "$work/all.png"
convert "$work/all.png" -depth 8 +dither -colors 255 -define png:exclude-chunk=date,time docs/drag-level.png
echo "docs/drag-level.png"
