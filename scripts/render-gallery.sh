#!/usr/bin/env bash
# Draws the README's species gallery: every examples/NAME.GENERATOR.xml in Full 3D,
# lit, from one camera, with the built-in textures its file names, into
# docs/gallery/NAME.png, and the same design grown from three other seeds into
# docs/gallery/variants/NAME-SEED.png. Needs a build (bash scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs/gallery/variants
for project in examples/*.*.xml; do
  name=$(basename "$project" | cut -d. -f1)
  build/grovewright-cli render "$project" --lighting on --distance 20 --size 480x360 \
    -o "docs/gallery/$name.png"
  for seed in 101 202 303; do
    build/grovewright-cli render "$project" --lighting on --distance 20 --size 240x180 \
      --seed "$seed" -o "docs/gallery/variants/$name-$seed.png"
  done
done
