#!/usr/bin/env bash
# The GLB export side by side, per triangle, at four sizes: grovewright-cli
# writing a simple tree of about 25 thousand, 100 thousand, 1 million and
# 2 million triangles (projects/simple-iteration-16.xml at Iteration 10 and 12
# with Division 6, 15 and 16 with Division 8) against ez-tree's tree of about
# the same size written by three.js' GLB exporter in node. Each whole process
# runs RUNS times (default 5), alternating; prints the medians and the ratio
# per triangle. Needs a build (../../build) and npm. CLI=path picks another
# build of the command-line tool.
set -euo pipefail
cd "$(dirname "$0")"
runs=${1:-5}
cli=${CLI:-../../build/grovewright-cli}
[ -d node_modules ] || npm ci --silent --no-audit --no-fund
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
# Iteration, Division, ez-tree's branch options.
sizes=(
  '10 6 {"children":{"0":7,"1":6,"2":5},"sections":{"0":12,"1":10,"2":8,"3":6},"segments":{"0":8,"1":6,"2":4,"3":4}}'
  '12 6 {"children":{"0":10,"1":8,"2":6},"sections":{"0":16,"1":14,"2":10,"3":8},"segments":{"0":12,"1":8,"2":6,"3":7}}'
  '15 8 {"children":{"0":16,"1":14,"2":10},"sections":{"0":28,"1":24,"2":20,"3":14},"segments":{"0":20,"1":14,"2":12,"3":10}}'
  '16 8 {"children":{"0":18,"1":16,"2":12},"sections":{"0":32,"1":28,"2":24,"3":16},"segments":{"0":24,"1":16,"2":12,"3":12}}'
)
for size in "${sizes[@]}"; do
  read -r iteration division branch <<< "$size"
  project="$out/simple-$iteration.xml"
  # The benchmark tree's first Iteration and Division are the simple generator's.
  sed -e "0,/<Iteration>16</s//<Iteration>$iteration</" -e "0,/<Division>8</s//<Division>$division</" \
    ../projects/simple-iteration-16.xml > "$project"
  ours=() theirs=()
  # Each run starts with the disk quiet: sync first, untimed, so that neither
  # waits for the other's file still going to the disk.
  for _ in $(seq "$runs"); do
    sync; start=$(date +%s%N); "$cli" export "$project" -o "$out/ours.glb" > /dev/null
    ours+=($(( $(date +%s%N) - start )))
    sync; start=$(date +%s%N); node eztree-glb.mjs "$out/theirs.glb" "$branch" > "$out/theirs.json" 2> /dev/null
    theirs+=($(( $(date +%s%N) - start )))
  done
  ourTriangles=$("$cli" info "$project" | sed 's/.*"treeTriangles": \([0-9]*\),.*/\1/')
  theirTriangles=$(sed 's/.*"triangles":\([0-9]*\).*/\1/' "$out/theirs.json")
  awk -v a="$(median "${ours[@]}")" -v b="$(median "${theirs[@]}")" -v ta="$ourTriangles" -v tb="$theirTriangles" 'BEGIN {
    printf "grovewright-cli %9d triangles %7.3f s | ez-tree + GLTFExporter %9d triangles %7.3f s | per triangle %.1f times faster\n",
           ta, a / 1e9, tb, b / 1e9, (b / tb) / (a / ta)
  }'
done
