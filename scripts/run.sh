#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the suite and starts the launcher.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "The suite is built (build/bin/), but no display was found: neither DISPLAY nor" >&2
  echo "WAYLAND_DISPLAY is set. Run this from a desktop session to start the launcher." >&2
  exit 1
fi
exec build/bin/varnhold "$@"
