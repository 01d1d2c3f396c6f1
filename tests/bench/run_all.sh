#!/bin/bash
# Runs every benchmark of the project on this machine and prints each
# ratio with its target:
#   MD5        md5_file under Wine against md5sum         (md5_bench.sh)
#   download   get_data_by_wininet under Wine against a raw
#              WinINet loop with the same 1023-byte reads,
#              one with 64 KiB reads and curl, with the
#              client's peak memory                       (http_bench.sh)
#   start      launcher start to visible window against
#              Wine's own Notepad                         (launcher_start_bench.py)
# Installs what is missing and builds what it needs into build/bench (or
# BUILD_DIR), on a private X display. Not a test: the figures are for
# reading; the exit code is non-zero only when a benchmark script failed.
#   bash tests/bench/run_all.sh [BUILD_DIR]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/bench}"
bench="$root/tests/bench"

bash "$root/tools/setup-machine.sh" || exit 1
echo "building into $build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DOVN_BUILD_TESTS=ON >/dev/null || exit 1
cmake --build "$build" --target md5_digest http_bench_client wininet_read_loop ovn6launcher -j "$(nproc)" >"$build/bench-build.log" 2>&1 || {
  tail -20 "$build/bench-build.log"; exit 1; }

source "$root/tools/xvfb.sh"
start_xvfb || exit 1
cleanup() {
  WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

results="$(mktemp)"
failed=0
run() {  # name command...
  local name="$1"; shift
  echo
  echo "== $name"
  local status=0
  "$@" >"$results.out" 2>&1 || status=$?
  cat "$results.out"
  if [ $status -ne 0 ]; then
    echo "$name: the benchmark exited with status $status" | tee -a "$results"
    failed=1
  fi
  grep -iE 'ratio|target' "$results.out" | sed "s/^/$name: /" >>"$results"
}

echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores," \
  "$(free -g | awk '/^Mem:/ { print $2 }') GiB, $(uname -sr), $(/usr/lib/wine/wine64 --version)"
run md5 bash "$bench/md5_bench.sh" "$build"
run download bash "$bench/http_bench.sh" "$build"
run start python3 "$bench/launcher_start_bench.py" "$build"

echo
echo "== summary (ratios measured in this run)"
cat "$results"
rm -f "$results" "$results.out"
exit $failed
