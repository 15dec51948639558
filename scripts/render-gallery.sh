#!/usr/bin/env bash
# Draws the README's species gallery: every examples/NAME.GENERATOR.xml in Full 3D
# with the built-in textures its file names, lit so that the crown's form shows,
# beside a person 1.8 m tall, from a camera as far as its true size needs, into
# docs/gallery/NAME.png;
# the same design grown from three other seeds into
# docs/gallery/variants/NAME-SEED.png; and close-ups of its bark (at the foot)
# and its foliage (inside the crown, a third of the way down) into
# docs/gallery/closeups/NAME-bark.png and NAME-foliage.png. The same build draws
# the same bytes. Needs a build (bash scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs/gallery/variants docs/gallery/closeups
light=(--lighting on --ambient 40 --diffuse 60 --counts off)
for project in examples/*.*.xml; do
  name=$(basename "$project" | cut -d. -f1)
  top=$(build/grovewright-cli info "$project" | python3 -c \
    "import json, sys; print(json.load(sys.stdin)['boundingBox']['max'][1])")
  # Far enough for the whole tree at its true size, from a third of its height.
  camera=(--distance "$(python3 -c "print(max(14, round($top * 1.55, 1)))")"
          --camera-height "$(python3 -c "print(max(1.7, round($top * 0.4, 1)))")")
  build/grovewright-cli render "$project" "${light[@]}" --figure on "${camera[@]}" --size 480x360 \
    -o "docs/gallery/$name.png"
  for seed in 101 202 303; do
    build/grovewright-cli render "$project" "${light[@]}" --figure on "${camera[@]}" --size 240x180 \
      --seed "$seed" -o "docs/gallery/variants/$name-$seed.png"
  done
  build/grovewright-cli render "$project" "${light[@]}" --distance 2.5 --camera-height 1 --size 240x180 \
    -o "docs/gallery/closeups/$name-bark.png"
  build/grovewright-cli render "$project" "${light[@]}" --distance 3 \
    --camera-height "$(python3 -c "print(max(0.5, round($top * 0.67, 2)))")" --size 240x180 \
    -o "docs/gallery/closeups/$name-foliage.png"
done > /dev/null
echo "docs/gallery: $(ls docs/gallery/*.png | wc -l) species"
