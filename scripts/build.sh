#!/usr/bin/env bash
# Configures and builds into the given folder (default: build) with the given
# extra CMake options.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build}
shift || true
cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$folder" -j "$(nproc)"
