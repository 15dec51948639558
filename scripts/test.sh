#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then runs the core and
# window tests once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# and each fuzzer for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# What the end-to-end tests read the exports with, from the npm registry: the
# glTF validator, Babylon.js, three.js and the driver of Debian's Chromium. The
# registry can fail for a moment, so try a few times.
for attempt in 1 2 3 4 5; do
  (cd tests/e2e && npm ci --silent --no-audit --no-fund) && break
  [ "$attempt" = 5 ] && { echo "Could not install the end-to-end tools from npm" >&2; exit 1; }
  sleep $((attempt * 5))
done

bash scripts/build.sh build
# The GUI tests need an X display: a virtual one, 24 bits deep for the screenshots.
(cd build && xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j "$(nproc)")

bash scripts/build.sh build-sanitize -DGROVEWRIGHT_SANITIZE=ON -DGROVEWRIGHT_BUILD_BENCH=OFF
(cd build-sanitize && ctest --output-on-failure -j "$(nproc)" -L core)
# The toolkit's own libraries keep memory to the end on purpose: no leak report for the window tests.
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x800x24" \
  ctest --output-on-failure -j "$(nproc)" -L gui)

bash scripts/fuzz.sh 60

# The Debian package as a user installs it: apt resolves what it declares, and
# the installed programs answer.
(cd build && cpack -G DEB > /dev/null)
bash scripts/install-deps.sh "$PWD"/build/grovewright_*.deb
grovewright --version
grovewright-cli --version
grovewright-cli export examples/oak.regular.xml --leaves --lod -o "$(mktemp -d)/oak.glb"
