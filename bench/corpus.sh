#!/usr/bin/env bash
# Makes (once per size) the benchmark corpus: thousands of small text files, one large
# compressible and one large incompressible file. Prints the corpus folder on its last line.
#
# Usage: bench/corpus.sh   with BENCH_SCALE=small|full (default full: 3000 small files, 200 MB
# text, 100 MB random; small: 300, 20 MB, 10 MB). Overrides: BENCH_FILES, BENCH_TEXT_MB,
# BENCH_RANDOM_MB, BENCH_DIR (default build/bench).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

scale="${BENCH_SCALE:-full}"
case "$scale" in
  small) files=300 text_mb=20 random_mb=10 ;;
  full) files=3000 text_mb=200 random_mb=100 ;;
  *) echo "BENCH_SCALE must be small or full" >&2 && exit 2 ;;
esac
files="${BENCH_FILES:-$files}"
text_mb="${BENCH_TEXT_MB:-$text_mb}"
random_mb="${BENCH_RANDOM_MB:-$random_mb}"
work="${BENCH_DIR:-$repo/build/bench}/$scale-$files-$text_mb-$random_mb"
corpus="$work/corpus"
if [ ! -f "$work/corpus-ready" ]; then
  echo "Generating the corpus in $corpus ($files small files, ${text_mb} MB text, ${random_mb} MB random)" >&2
  rm -rf "$corpus"
  mkdir -p "$corpus"
  python3 - "$corpus" "$files" "$text_mb" <<'PY'
import os, random, sys
out, count, text_mb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(1234)
# Real text when the system headers are there, generated lines otherwise.
sources = []
for root, _, names in os.walk("/usr/include"):
    for n in names:
        if n.endswith(".h"):
            sources.append(os.path.join(root, n))
        if len(sources) >= 4000:
            break
sources.sort()
words = ("archive backup folder entry header record volume stream buffer offset length "
         "compress inflate deflate table window symbol literal distance block checksum").split()

def generated(n):
    lines, size = [], 0
    while size < n:
        line = f"{rng.randrange(100000):05d} " + " ".join(rng.choice(words) for _ in range(rng.randrange(4, 14))) + "\n"
        lines.append(line)
        size += len(line)
    return "".join(lines).encode()[:n]

for i in range(count):
    size = rng.randrange(1024, 20 * 1024 + 1)
    data = b""
    if sources:
        try:
            with open(sources[i % len(sources)], "rb") as f:
                data = f.read(size)
        except OSError:
            data = b""
    if len(data) < size:
        data += generated(size - len(data))
    folder = os.path.join(out, "small", f"d{i // 100:03d}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"file{i:05d}.txt"), "wb") as f:
        f.write(data)

# A large compressible file: log-like lines with varying numbers and words.
os.makedirs(os.path.join(out, "large"), exist_ok=True)
target = text_mb * 1024 * 1024
with open(os.path.join(out, "large", "text.log"), "wb") as f:
    written, n = 0, 0
    while written < target:
        chunk = []
        for _ in range(2000):
            n += 1
            chunk.append(f"{n:09d} t={rng.randrange(86400):05d} level={rng.choice(('info', 'warn', 'debug'))} "
                         + " ".join(rng.choice(words) for _ in range(rng.randrange(3, 12))) + "\n")
        data = "".join(chunk).encode()[: target - written]
        f.write(data)
        written += len(data)
PY
  head -c "$((random_mb * 1024 * 1024))" /dev/urandom >"$corpus/large/random.bin"
  touch "$work/corpus-ready"
fi
echo "$corpus"
