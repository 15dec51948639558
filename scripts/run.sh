#!/usr/bin/env bash
# Installs what is missing, builds and starts Grovewright.
set -euo pipefail
cd "$(dirname "$0")/.."
# The window needs a display: say so before anything is installed or built.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MESSAGE'
Grovewright is a desktop program and needs a display, but none is set (DISPLAY).
Start it from a desktop session, or over ssh -X, or under a virtual display:
    xvfb-run -a bash scripts/run.sh
Without any display, the command-line tool draws the same view into a picture:
    bash scripts/build.sh build && ./build/grovewright-cli render examples/oak.regular.xml -o /tmp/oak.png
MESSAGE
  exit 1
fi
bash scripts/install-deps.sh
source scripts/build-options.sh
bash scripts/build.sh build "${RUN_OPTIONS[@]}"
exec ./build/grovewright "$@"
