#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev zlib1g-dev libcanberra-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core xdg-utils
  xvfb xauth x11-utils xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
