#!/bin/sh
# Launch to first frame: starts the program with a fresh home folder and ends it
# at its first buffer swap; times the whole process over several runs.
# Usage (under an X display): bench/gui/first-frame.sh BUILD_FOLDER [RUNS]
set -eu
build=$1
runs=${2:-9}
shim="$build/bench/libexit-at-first-swap.so"
[ -f "$shim" ] || { echo "no $shim: build the benchmarks first" >&2; exit 2; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
i=0
while [ "$i" -lt "$runs" ]; do
  start=$(date +%s%N)
  HOME=$home LD_PRELOAD="$shim" "$build/grovewright" > /dev/null 2>&1 || true
  echo $(( ($(date +%s%N) - start) / 1000000 )) ms
  i=$((i + 1))
done | sort -n | awk '{ a[NR] = $1 } END { printf "first frame after %d ms (median of %d; %d to %d ms)\n", a[int((NR + 1) / 2)], NR, a[1], a[NR] }'
