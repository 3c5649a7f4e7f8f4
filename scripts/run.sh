#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)"
if [ -x build/default/bin/ovaruz ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop display found (DISPLAY and WAYLAND_DISPLAY are unset); starting anyway." >&2
    echo "On a machine without a desktop, use build/default/bin/ovaruz-cli instead." >&2
  fi
  exec build/default/bin/ovaruz
fi
exec build/default/bin/ovaruz-cli --help
