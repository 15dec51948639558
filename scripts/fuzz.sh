#!/usr/bin/env bash
# Builds the fuzzers with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given number of seconds (default 60). The committed
# corpus in fuzz/corpus/TARGET (regression inputs included) and the examples
# seed them; new inputs go to a scratch folder. A finding stops the script
# with the fuzzer's report and the crashing input in fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DGROVEWRIGHT_BUILD_FUZZERS=ON -DGROVEWRIGHT_BUILD_GUI=OFF \
  -DGROVEWRIGHT_BUILD_TESTS=OFF -DGROVEWRIGHT_BUILD_BENCH=OFF
mkdir -p fuzz-findings
targets=(ProjectFuzzer ImageFuzzer XmlFuzzer)
for target in "${targets[@]}"; do
  corpus=fuzz/corpus/$(echo "${target%Fuzzer}" | tr '[:upper:]' '[:lower:]')
  scratch=$(mktemp -d)
  seeds=("$corpus")
  [ "$target" = ProjectFuzzer ] && seeds+=(examples)
  echo "== $target for $seconds s"
  ./build-fuzz/fuzz/$target "$scratch" "${seeds[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix=fuzz-findings/ -print_final_stats=1 2>&1 | grep -E "^(stat::number_of_executed_units|#[0-9]+ +DONE|==[0-9]+==|SUMMARY|artifact_prefix)" || true
  rm -rf "$scratch"
  if [ -n "$(ls -A fuzz-findings)" ]; then
    echo "$target found a fault: see fuzz-findings/" >&2
    exit 1
  fi
done
rmdir fuzz-findings
echo "Fuzzed: ${#targets[@]} targets for $seconds s each, no finding"
