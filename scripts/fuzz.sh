#!/usr/bin/env bash
# Builds the libFuzzer target over the archive reader with clang in build/fuzz and runs it.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60). Extra libFuzzer flags may follow the duration.
# OVZ_FUZZ_ZIP_SOURCES=DIR fuzzes a copy of src/zip (a folder named zip) instead of src/zip.
# The corpus lives in build/fuzz/corpus, seeded from the shared fixtures and a few archives made
# here; crash, timeout and out-of-memory inputs are written to build/fuzz/. Exits non-zero when
# the fuzzer found something.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
duration="${1:-60}"
shift || true
build="$repo/build/fuzz"

# The compiler and its fuzzing runtime, installed like scripts/deps.sh does when missing.
packages=(clang libclang-rt-14-dev cmake ninja-build zlib1g-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

CC=clang CXX=clang++ cmake -S "$repo/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVZ_FUZZ_ZIP_SOURCES="${OVZ_FUZZ_ZIP_SOURCES:-$repo/src/zip}" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

corpus="$build/corpus"
mkdir -p "$corpus"
fixtures="$repo/../shared/fixtures"
if [ -d "$fixtures" ]; then
  while IFS= read -r -d '' f; do
    rel="${f#"$fixtures"/}"
    cp -n "$f" "$corpus/seed-${rel//\//_}"
    chmod u+w "$corpus/seed-${rel//\//_}"
  done < <(find "$fixtures" -type f -iname '*.zip' -print0)
fi

# A few small archives made on the spot: stored, deflated, folders, encrypted, streamed (data
# descriptors) and one without its end record (the rebuild from local headers).
seeds="$(mktemp -d)"
trap 'rm -rf "$seeds"' EXIT
mkdir -p "$seeds/src/dir/sub"
printf 'hello hello hello hello\n' >"$seeds/src/a.txt"
seq 1 2000 >"$seeds/src/dir/numbers.txt"
printf '\000\001\002\003' >"$seeds/src/dir/sub/bin.dat"
if command -v zip >/dev/null; then
  (cd "$seeds/src" && zip -q -r -0 "$corpus/made-stored.zip" . &&
    zip -q -r -9 "$corpus/made-deflated.zip" . &&
    zip -q -r -P pw "$corpus/made-encrypted.zip" . &&
    zip -q -z "$corpus/made-deflated.zip" <<<"an archive comment" &&
    zip -q -fd - a.txt >"$corpus/made-streamed.zip") || true
fi
if command -v python3 >/dev/null; then
  python3 - "$corpus" <<'PY' || true
import io, sys, zipfile
out = sys.argv[1]
buf = io.BytesIO()
with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("x/y.txt", "some text " * 50)
    info = zipfile.ZipInfo("note.txt")
    info.comment = b"entry comment"
    z.writestr(info, "note")
data = buf.getvalue()
open(f"{out}/made-py.zip", "wb").write(data)
# Cut before the central directory: only local headers remain.
open(f"{out}/made-no-end.zip", "wb").write(data[: data.find(b"PK\x01\x02")])


class Unseekable(io.RawIOBase):
    def __init__(self):
        self.parts = []
    def writable(self):
        return True
    def write(self, b):
        self.parts.append(bytes(b))
        return len(b)


stream = Unseekable()
with zipfile.ZipFile(stream, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("streamed.txt", "streamed " * 100)
open(f"{out}/made-py-streamed.zip", "wb").write(b"".join(stream.parts))
PY
fi

cd "$build"
# Each input is written out and extracted: a memory-backed temporary folder keeps that cheap.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
set +e
./reader_fuzzer -max_total_time="$duration" -max_len=262144 -rss_limit_mb=1024 -timeout=10 \
  -artifact_prefix="$build/" -print_final_stats=1 "$@" "$corpus"
status=$?
set -e
if [ $status -eq 72 ]; then
  echo "fuzz: interrupted" >&2
elif [ $status -ne 0 ]; then
  echo "fuzz: finding (exit $status); inputs are in $build/ (crash-*, timeout-*, oom-*, leak-*)" >&2
fi
exit $status
