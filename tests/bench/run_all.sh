#!/bin/bash
# Runs every benchmark of the project on this machine, for the shipped i686
# launcher (a 32-bit program on 64-bit Windows) and the x86_64 build, both
# under Wine in the Wine tree, and prints each ratio with its target:
#   MD5        md5_file under Wine against md5sum         (md5_bench.sh)
#   download   get_data_by_wininet under Wine against a raw
#              WinINet loop with the same 1023-byte reads,
#              one with 64 KiB reads and curl, with the
#              client's peak memory                       (http_bench.sh)
#   start      launcher start to visible window against
#              Wine's own Notepad                         (launcher_start_bench.py)
# Installs what is missing and builds what it needs into build/bench/ARCH
# (or BUILD_DIR/ARCH), on a private X display. Not a test: the figures are
# for reading; the exit code is non-zero only when a benchmark script
# failed.
#   bash tests/bench/run_all.sh [BUILD_DIR]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
builds="${1:-$root/build/bench}"
bench="$root/tests/bench"
arches=(i686 x86_64)

bash "$root/tools/setup-machine.sh" || exit 1
bash "$root/tools/wine-tree.sh" >/dev/null || exit 1
for arch in "${arches[@]}"; do
  build="$builds/$arch"
  echo "building $arch into $build"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DOVN_BUILD_TESTS=ON >/dev/null || exit 1
  cmake --build "$build" --target md5_digest http_bench_client wininet_read_loop ovn6launcher -j "$(nproc)" \
    >"$build/bench-build.log" 2>&1 || { tail -20 "$build/bench-build.log"; exit 1; }
done

source "$root/tools/xvfb.sh"
start_xvfb || exit 1
cleanup() {
  for arch in "${arches[@]}"; do
    WINEPREFIX="$builds/$arch/wineprefix" "$root/tools/in-tree.sh" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  done
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
  "$(free -g | awk '/^Mem:/ { print $2 }') GiB, $(uname -sr), $("$root/tools/in-tree.sh" /usr/lib/wine/wine --version)"
for arch in "${arches[@]}"; do
  run "$arch md5" bash "$bench/md5_bench.sh" "$builds/$arch"
  run "$arch download" bash "$bench/http_bench.sh" "$builds/$arch"
  run "$arch start" python3 "$bench/launcher_start_bench.py" "$builds/$arch"
done

echo
echo "== summary (ratios measured in this run)"
cat "$results"
rm -f "$results" "$results.out"
exit $failed
