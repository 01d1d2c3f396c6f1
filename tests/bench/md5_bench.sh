#!/bin/bash
# Digests one 256 MiB file with md5_file (md5_digest.exe of an x86_64
# build, under Wine) and with md5sum, and prints both throughputs and their
# ratio. Each side is run three times from a warm page cache; the best run
# counts. Not a timed test: the figure is for reading.
# Usage: tests/bench/md5_bench.sh [BUILD_DIR]   (default build/x86_64)
set -eu
export LC_ALL=C
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/x86_64}" && pwd)
tool=$(find "$build" -name md5_digest.exe -print -quit)
[ -n "$tool" ] || { echo "md5_digest.exe not found under $build; build the tests first" >&2; exit 1; }
size_mib=256
runs=3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$work/bench.bin"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$data"
cat "$data" >/dev/null
windows_path="Z:${data//\//\\}"

# The smaller of two durations; the second may be empty.
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }

best_md5sum=
for _ in $(seq $runs); do
  start=$(date +%s.%N)
  expected=$(md5sum "$data" | cut -d' ' -f1)
  end=$(date +%s.%N)
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
  best_md5sum=$(least "$seconds" "$best_md5sum")
done

best_launcher=
for _ in $(seq $runs); do
  # To a file, not a pipe: Wine's helpers may hold a pipe open.
  "$build/wine-run.sh" "$tool" --time "$windows_path" >"$work/out" 2>/dev/null </dev/null
  read -r digest _ seconds < <(tr -d '\r' <"$work/out")
  if [ "$digest" != "$expected" ]; then
    echo "digest mismatch: md5_file $digest, md5sum $expected" >&2
    exit 1
  fi
  best_launcher=$(least "$seconds" "$best_launcher")
done

awk -v size="$size_mib" -v native="$best_md5sum" -v ours="$best_launcher" 'BEGIN {
  printf "md5sum:   %8.1f MiB/s (%.3f s)\n", size / native, native
  printf "md5_file: %8.1f MiB/s (%.3f s, under Wine)\n", size / ours, ours
  printf "ratio md5_file/md5sum: %.2f (target 0.80)\n", native / ours
}'
