#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, only
# those that are missing, and the package files given as arguments (./x.deb).
# Run as root on Debian 12.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  libwxgtk3.2-dev libgtk-3-dev libx11-dev libxtst-dev libgl-dev libosmesa6-dev libstb-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev libmeshoptimizer-dev
  xvfb xauth imagemagick xdotool openbox
  assimp-utils python3-ezdxf tesseract-ocr tesseract-ocr-eng blender
  clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db chromium lintian
)
packages+=("$@")

# Node.js runs the glTF validator of the end-to-end tests; a machine may have its own.
command -v npm > /dev/null || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Package mirrors can fail for a moment: try a few times before giving up.
for attempt in 1 2 3 4 5; do
  if apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    exit 0
  fi
  echo "apt-get failed (attempt $attempt), retrying in $((attempt * 5)) s" >&2
  sleep $((attempt * 5))
done
echo "Could not install: ${missing[*]}" >&2
exit 1
