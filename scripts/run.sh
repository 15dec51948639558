#!/usr/bin/env bash
# Installs what is missing, builds and starts Grovewright.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build -DGROVEWRIGHT_BUILD_TESTS=OFF -DGROVEWRIGHT_BUILD_BENCH=OFF
exec ./build/grovewright "$@"
