#!/usr/bin/env bash
# Times ovaruz-cli against Info-ZIP unzip on one archive: extracting everything and listing it.
# The corpus (bench/corpus.sh) is thousands of small text files plus a large compressible and a
# large incompressible file, zipped once with `zip -r -6`. Prints the median seconds of each tool
# and ours/unzip.
#
# Usage: bench/extract_list.sh            (full size: 3000 small files, 200 MB text, 100 MB random)
#        BENCH_SCALE=small bench/extract_list.sh   (300 small files, 20 MB text, 10 MB random)
# Overrides: BENCH_RUNS (default 5), OVARUZ_CLI (default build/default/bin/ovaruz-cli), and
#            those of bench/corpus.sh: BENCH_FILES, BENCH_TEXT_MB, BENCH_RANDOM_MB, BENCH_DIR.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

scale="${BENCH_SCALE:-full}"
runs="${BENCH_RUNS:-5}"
cli="${OVARUZ_CLI:-$repo/build/default/bin/ovaruz-cli}"

need=()
command -v zip >/dev/null || need+=(zip)
command -v unzip >/dev/null || need+=(unzip)
command -v python3 >/dev/null || need+=(python3)
command -v hyperfine >/dev/null || need+=(hyperfine)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  echo "Installing: ${need[*]}"
  { "${sudo[@]}" apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
      "${need[@]}"; } || echo "install failed; timing falls back to a shell loop" >&2
fi
for tool in zip unzip python3; do
  command -v "$tool" >/dev/null || { echo "$tool is required" >&2 && exit 1; }
done

if [ ! -x "$cli" ]; then
  (cd "$repo" && cmake --preset default >/dev/null && cmake --build --preset default)
fi

# --- Corpus (bench/corpus.sh, kept between runs of the same size) and its archive ---
corpus="$(bash "$repo/bench/corpus.sh" | tail -n 1)"
work="$(dirname "$corpus")"
archive="$work/bench.zip"
if [ ! "$archive" -nt "$work/corpus-ready" ]; then
  echo "Zipping with zip -r -6"
  rm -f "$archive"
  (cd "$corpus" && zip -q -r -6 "$archive" .)
fi
echo "Archive: $archive ($(du -h "$archive" | cut -f1), $(unzip -Z1 "$archive" | wc -l) entries)"

# --- One checked run: our extraction must give back the corpus ---
dest="$work/dest"
rm -rf "$dest"
"$cli" extract "$archive" "$dest" --overwrite always >/dev/null
if ! diff -r -q "$corpus" "$dest" >/dev/null; then
  echo "ovaruz-cli extract did not reproduce the corpus; timings would mean nothing" >&2
  exit 1
fi

# --- Timing ---
extract_ours="'$cli' extract '$archive' '$dest' --overwrite always >/dev/null"
extract_unzip="unzip -o -q '$archive' -d '$dest' >/dev/null"
list_ours="'$cli' list '$archive' >/dev/null"
list_unzip="unzip -l '$archive' >/dev/null"
# Both extractions start from an absent destination with nothing left to write back.
prepare="rm -rf '$dest' && sync"

median_loop() {  # median of $runs timed runs of a command, with the prepare step before each
  local cmd="$1" prep="$2" times=() start end
  for ((i = 0; i < runs; i++)); do
    [ -n "$prep" ] && bash -c "$prep"
    start=$(date +%s.%N)
    bash -c "$cmd"
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'
}

json_median() {  # median of the n-th command in a hyperfine JSON export
  python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]["median"])' "$1" "$2"
}

declare -A result
if command -v hyperfine >/dev/null; then
  hyperfine --style basic --runs "$runs" --warmup 1 --prepare "$prepare" \
    --export-json "$work/extract.json" -n ours-extract "$extract_ours" -n unzip-extract "$extract_unzip"
  hyperfine --style basic --runs "$((runs * 4))" --warmup 2 --export-json "$work/list.json" \
    -n ours-list "$list_ours" -n unzip-list "$list_unzip"
  result[extract_ours]=$(json_median "$work/extract.json" 0)
  result[extract_unzip]=$(json_median "$work/extract.json" 1)
  result[list_ours]=$(json_median "$work/list.json" 0)
  result[list_unzip]=$(json_median "$work/list.json" 1)
else
  command -v bc >/dev/null || { echo "bc is required without hyperfine" >&2 && exit 1; }
  bash -c "$extract_ours; $extract_unzip; $list_ours; $list_unzip"  # warm the page cache
  result[extract_ours]=$(median_loop "$extract_ours" "$prepare")
  result[extract_unzip]=$(median_loop "$extract_unzip" "$prepare")
  result[list_ours]=$(median_loop "$list_ours" "")
  result[list_unzip]=$(median_loop "$list_unzip" "")
fi
rm -rf "$dest"

echo
echo "Median seconds, $scale corpus ($(basename "$work")):"
printf '%-8s %12s %14s %18s\n' operation ours_seconds unzip_seconds ratio=ours/unzip
for op in extract list; do
  ours=${result[${op}_ours]} theirs=${result[${op}_unzip]}
  printf '%-8s %12.4f %14.4f %18.2f\n' "$op" "$ours" "$theirs" \
    "$(python3 -c "print($ours / $theirs)")"
done
