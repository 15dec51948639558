#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then runs the core and
# window tests once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# and each fuzzer for a minute. Ends with how many tests each suite ran; a
# suite that finds no test fails the command.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-options.sh
bash scripts/install-deps.sh
# What the end-to-end tests read the exports with, from the npm registry: the
# glTF validator, Babylon.js, three.js and the driver of Debian's Chromium. The
# registry can fail for a moment, so try a few times.
for attempt in 1 2 3 4 5; do
  (cd tests/e2e && npm ci --silent --no-audit --no-fund) && break
  [ "$attempt" = 5 ] && { echo "Could not install the end-to-end tools from npm" >&2; exit 1; }
  sleep $((attempt * 5))
done

summary=()
total=0
# ctest in FOLDER with the given arguments; records how many tests it ran.
run_suite() {
  local name=$1 folder=$2 log
  shift 2
  log=$(mktemp)
  # A failing ctest fails the pipeline, and with it the whole command.
  (cd "$folder" && "$@" --no-tests=error --output-on-failure) 2>&1 | tee "$log"
  local ran
  ran=$(sed -n 's/.*tests passed, [0-9]* tests\{0,1\} failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$ran" ] || [ "$ran" = 0 ]; then
    echo "$name: no test ran" >&2
    exit 1
  fi
  summary+=("$name: $ran tests")
  total=$((total + ran))
}

bash scripts/build.sh build "${TEST_OPTIONS[@]}"
# The GUI tests need an X display: a virtual one, 24 bits deep for the screenshots.
run_suite "Release (core, window, end to end, package)" build \
  xvfb-run -a -s "-screen 0 1280x800x24" ctest -j "$(nproc)"

bash scripts/build.sh build-sanitize "${SANITIZE_OPTIONS[@]}"
run_suite "Sanitized core" build-sanitize ctest -j "$(nproc)" -L core
# The toolkit's own libraries keep memory to the end on purpose: no leak report for the window tests.
run_suite "Sanitized window" build-sanitize env ASAN_OPTIONS=detect_leaks=0 \
  xvfb-run -a -s "-screen 0 1280x800x24" ctest -j "$(nproc)" -L gui

log=$(mktemp)
bash scripts/fuzz.sh 60 | tee "$log"
fuzzers=$(sed -n 's/^Fuzzed: \([0-9]*\) targets.*/\1/p' "$log")
rm -f "$log"
[ "${fuzzers:-0}" -gt 0 ] || { echo "No fuzzer ran" >&2; exit 1; }
summary+=("Fuzzers: $fuzzers targets, a minute each")

# The Debian package as a user installs it: apt resolves what it declares, and
# the installed programs answer.
(cd build && cpack -G DEB > /dev/null)
bash scripts/install-deps.sh "$PWD"/build/grovewright_*.deb
grovewright --version
grovewright-cli --version
grovewright-cli export examples/oak.regular.xml --leaves --lod -o "$(mktemp -d)/oak.glb"
summary+=("Installed package: 3 checks")
total=$((total + 3))

echo
echo "Tests run by suite:"
printf '  %s\n' "${summary[@]}"
echo "$total passed, 0 failed"
