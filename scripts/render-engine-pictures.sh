#!/usr/bin/env bash
# Draws docs/engines/babylon.png and docs/engines/three.png: the birch's levels
# of detail in Babylon.js and in three.js (headless Chromium, the loaders in
# docs/engines), seen from the distances where each engine shows LOD0, LOD1,
# LOD2 and the impostor, each enlarged to the same size so that the levels can
# be compared. Needs a build and the end-to-end tools (cd tests/e2e && npm ci)
# and Debian's chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/grovewright-cli export examples/birch.complex.xml --leaves --lod -o "$work/birch.glb" > /dev/null
node tests/e2e/engine_lod_test.js "$work/birch.glb" docs/engines "$work" > /dev/null
for engine in babylon three; do
  for level in 0 1 2 3; do
    # Each shot from twice as far as the one before, about: crop the middle
    # share of the picture that the tree takes there, then enlarge it back.
    share=$(python3 -c "print([100, 70, 46, 24][$level])")
    convert "$work/$engine-$level.png" -gravity center -crop "${share}%x${share}%+0+0" +repage \
      -resize 240x180! "$work/$engine-crop-$level.png"
  done
  convert "$work/$engine-crop-"{0,1,2,3}.png +append -define png:exclude-chunks=date,time \
    "docs/engines/$engine.png"
done
echo "docs/engines/babylon.png docs/engines/three.png"
