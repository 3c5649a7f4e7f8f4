#!/usr/bin/env bash
# A long fuzzing session over the archive reader: scripts/fuzz.sh with a longer default duration.
# Usage: bench/fuzz.sh [SECONDS]   (default 3600); extra libFuzzer flags may follow.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
duration="${1:-3600}"
shift || true
exec bash "$repo/scripts/fuzz.sh" "$duration" "$@"
