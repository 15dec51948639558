#!/usr/bin/env bash
# The GLB export side by side: grovewright-cli writing the 2.1-million-triangle
# simple tree (projects/simple-iteration-16.xml) against ez-tree's ~1.9-million-
# triangle tree written by three.js' GLB exporter in node. Each whole process
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
ours=() theirs=()
# Each run starts with the disk quiet: sync first, untimed, so that neither
# waits for the other's file still going to the disk.
for _ in $(seq "$runs"); do
  sync; start=$(date +%s%N); "$cli" export ../projects/simple-iteration-16.xml -o "$out/ours.glb" > /dev/null
  ours+=($(( $(date +%s%N) - start )))
  sync; start=$(date +%s%N); node eztree-glb.mjs "$out/theirs.glb" > "$out/theirs.json" 2> /dev/null
  theirs+=($(( $(date +%s%N) - start )))
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
ourTriangles=$("$cli" info ../projects/simple-iteration-16.xml | sed 's/.*"treeTriangles": \([0-9]*\),.*/\1/')
theirTriangles=$(sed 's/.*"triangles":\([0-9]*\).*/\1/' "$out/theirs.json")
awk -v a="$(median "${ours[@]}")" -v b="$(median "${theirs[@]}")" -v ta="$ourTriangles" -v tb="$theirTriangles" 'BEGIN {
  printf "grovewright-cli: %d triangles, %.3f s (median of whole processes)\n", ta, a / 1e9
  printf "ez-tree + GLTFExporter: %d triangles, %.3f s\n", tb, b / 1e9
  printf "per triangle, grovewright-cli is %.1f times faster\n", (b / tb) / (a / ta)
}'
