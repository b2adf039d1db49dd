#!/usr/bin/env bash
# Installs what is missing on a Debian machine (apt-get, as root), then
# configures and builds both presets: host (core, fake platform, unit tests)
# and win64 (VelmoroUninstaller.exe and the end-to-end test tools), and the
# release zip with its winget manifests, which the end-to-end preset checks.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ googletest libgtest-dev libbenchmark-dev mingw-w64 wine wine64
          xvfb xdotool x11-utils imagemagick python3 python3-yaml python3-jsonschema clang
          libclang-rt-14-dev)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  # With recommends: Wine draws menus and boxes with its own fonts and the X extensions.
  "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
for preset in host win64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" --parallel "$jobs"
done
cmake --build --preset win64 --target package
