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
#   setup      Install downloading, checking and starting
#              a 1536 MiB setup, with the launcher's peak
#              memory against the setup size; once more
#              for the i686 build on 32-bit Windows with
#              1024 MiB                                   (setup_download_bench.sh)
# Installs what is missing and builds what it needs into build/bench/ARCH
# (or BUILD_DIR/ARCH), and the i686 build for a 32-bit Windows prefix into
# build/bench/i686-win32, on a private X display. Not a test: the figures
# are for reading; the exit code is non-zero only when a benchmark script
# failed. Needs about 3 GiB of free disk for the setup benchmark.
#   bash tests/bench/run_all.sh [BUILD_DIR]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
builds="${1:-$root/build/bench}"
bench="$root/tests/bench"
arches=(i686 x86_64)

bash "$root/tools/setup-machine.sh" || exit 1
bash "$root/tools/wine-tree.sh" >/dev/null || exit 1
# The launcher asks a loopback list server on a port of the benchmarks' own,
# so a benchmark never waits for the tests' fixed port (28680).
list_server=(-DOVN_LIST_HOST=127.0.0.1 -DOVN_LIST_PORT=28681)
setup_targets=(ovn6launcher ovn_driver ovn_standin_setup)
build_bench() {  # dir arch "targets" cmake-options...
  local dir="$1" arch="$2" targets="$3"; shift 3
  local build="$builds/$dir"
  echo "building $dir into $build"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DOVN_BUILD_TESTS=ON "${list_server[@]}" "$@" >/dev/null || exit 1
  # $targets unquoted: one word a target.
  cmake --build "$build" --target $targets -j "$(nproc)" \
    >"$build/bench-build.log" 2>&1 || { tail -20 "$build/bench-build.log"; exit 1; }
}
for arch in "${arches[@]}"; do
  build_bench "$arch" "$arch" "md5_digest http_bench_client wininet_read_loop ${setup_targets[*]}"
done
build_bench i686-win32 i686 "${setup_targets[*]}" -DOVN_TEST_WINDOWS=win32

source "$root/tools/xvfb.sh"
start_xvfb || exit 1
cleanup() {
  for arch in "${arches[@]}" i686-win32; do
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
  run "$arch setup" bash "$bench/setup_download_bench.sh" "$builds/$arch" 1536
done
run "i686 setup, 32-bit Windows" bash "$bench/setup_download_bench.sh" "$builds/i686-win32" 1024

echo
echo "== summary (ratios measured in this run)"
cat "$results"
rm -f "$results" "$results.out"
exit $failed
