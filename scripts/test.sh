#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a release build with warnings
# as errors, and a debug build with AddressSanitizer and UndefinedBehaviorSanitizer; then fuzzes
# the reader for a bounded time (OVARUZ_FUZZ_SECONDS, default 60).
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
# A short bounded run of the reader's fuzzer (clang, libFuzzer) over the shared fixtures.
echo "=== fuzz: ${OVARUZ_FUZZ_SECONDS:-60} s"
bash scripts/fuzz.sh "${OVARUZ_FUZZ_SECONDS:-60}"
echo "All tests passed (ci and asan builds, fuzzing)."
