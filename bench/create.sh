#!/usr/bin/env bash
# Times `ovaruz-cli create` against Info-ZIP `zip -r` at levels 1, 6 and 9 on the benchmark
# corpus, side by side in one run, and prints the median seconds, the archive sizes and the
# ratios ours/zip for both. Ours runs twice: on all the processors it may use (the writer
# deflates large files on that many threads) and pinned to one with taskset (one thread).
# Targets at level 6: within 2% of zip's size; one thread no slower than zip; all cores no
# slower than 0.55 x zip.
#
# Usage: bench/create.sh   (BENCH_SCALE=small for a quick run; BENCH_RUNS, default 3;
#        BENCH_LEVELS, default "1 6 9"; OVARUZ_CLI, default build/default/bin/ovaruz-cli)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
runs="${BENCH_RUNS:-3}"
levels="${BENCH_LEVELS:-1 6 9}"
cli="${OVARUZ_CLI:-$repo/build/default/bin/ovaruz-cli}"
command -v zip >/dev/null || { echo "zip is required" >&2 && exit 1; }
if [ ! -x "$cli" ]; then
  (cd "$repo" && cmake --preset default >/dev/null && cmake --build --preset default)
fi
corpus="$(bash "$repo/bench/corpus.sh" | tail -n 1)"
out="$(dirname "$corpus")/create"
mkdir -p "$out"

median() {  # median seconds of $runs runs of a command; the archive is removed before each
  local cmd="$1" archive="$2" times=() start end
  for ((i = 0; i < runs; i++)); do
    rm -f "$archive"
    start=$(date +%s.%N)
    bash -c "$cmd" >/dev/null
    end=$(date +%s.%N)
    times+=("$(python3 -c "print($end - $start)")")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'
}

echo "Corpus: $corpus ($(du -sh "$corpus" | cut -f1))"
pin=""
if command -v taskset >/dev/null; then pin="taskset -c $(taskset -pc $$ | sed 's/.*: *//; s/[,-].*//')"; fi
echo "Processors: $(nproc)"
printf '%-6s %10s %10s %10s %8s %8s %14s %14s %8s\n' level ours_s one_s zip_s time_x one_x \
  ours_bytes zip_bytes size_x
for level in $levels; do
  ours="$out/ours-$level.zip" one="$out/ours1-$level.zip" theirs="$out/zip-$level.zip"
  args="--level $level --recurse --paths --relative '$corpus/' '$corpus/*'"
  t_ours=$(median "'$cli' create '$ours' $args" "$ours")
  if [ -n "$pin" ]; then t_one=$(median "$pin '$cli' create '$one' $args" "$one"); else t_one=0; fi
  t_zip=$(median "cd '$corpus' && zip -q -r -$level '$theirs' ." "$theirs")
  s_ours=$(stat -c %s "$ours") s_zip=$(stat -c %s "$theirs")
  printf '%-6s %10.3f %10.3f %10.3f %8.2f %8.2f %14d %14d %8.3f\n' "$level" "$t_ours" "$t_one" \
    "$t_zip" "$(python3 -c "print($t_ours / $t_zip)")" "$(python3 -c "print($t_one / $t_zip)")" \
    "$s_ours" "$s_zip" "$(python3 -c "print($s_ours / $s_zip)")"
done
# The archives must be sound: our reader and unzip test the level 6 ones.
"$cli" test "$out/ours-6.zip" | tail -n 1
unzip -tq "$out/ours-6.zip"
