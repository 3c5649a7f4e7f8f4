#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a release build with warnings
# as errors, and a debug build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)
for preset in ci asan; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs"
done
echo "All tests passed (ci and asan builds)."
