#!/bin/bash
# The test command: installs what is missing, makes the Wine tree for 32-bit
# programs once per machine, builds the launcher, and runs the tests on the
# shipped i686 build inside that tree on a private X display:
#   build/i686        every test, on 64-bit Windows (WoW64, win64 prefix)
#   build/i686-win32  the windows32 set, on 32-bit Windows (win32 prefix)
#   build/i686-winxp  the windows32 set, on 32-bit Windows XP
#   build/x86_64      the 64-bit build, compiled with the tests, not run
#   build/shipped     the launcher as it ships, checked as a file
# Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OVN_BUILD_DIR:-$root/build}"
jobs="$(nproc)"

bash "$root/tools/setup-machine.sh"
bash "$root/tools/wine-tree.sh" >/dev/null

configure() {
  local dir="$1" arch="$2"; shift 2
  cmake -S "$root" -B "$build/$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DOVN_WERROR=ON "$@" >/dev/null
  cmake --build "$build/$dir" -j "$jobs"
}
# Test builds fetch the installer list file from the test server.
test_server=(-DOVN_BUILD_TESTS=ON -DOVN_LIST_HOST=127.0.0.1 -DOVN_LIST_PORT=28680)

configure shipped i686 -DOVN_BUILD_TESTS=OFF
configure i686 i686 "${test_server[@]}" -DOVN_TEST_WINDOWS=win64 \
  -DOVN_SHIPPED_LAUNCHER="$build/shipped/launcher/ovn6launcher.exe"
configure i686-win32 i686 "${test_server[@]}" -DOVN_TEST_WINDOWS=win32
configure i686-winxp i686 "${test_server[@]}" -DOVN_TEST_WINDOWS=winxp
configure x86_64 x86_64 "${test_server[@]}"

source "$root/tools/xvfb.sh"
start_xvfb
cleanup() {
  local dir
  for dir in i686 i686-win32 i686-winxp; do
    for prefix in "$build/$dir"/wineprefix*/; do
      [ -d "$prefix" ] && WINEPREFIX="${prefix%/}" "$root/tools/in-tree.sh" \
        /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    done
  done
  stop_xvfb
}
trap cleanup EXIT

status=0
run_suite() {
  local dir="$1"; shift
  echo "== tests of $dir"
  (cd "$build/$dir" && ctest --output-on-failure -j "$jobs" --timeout 300 "$@") || status=1
}
run_suite i686
run_suite i686-win32 -L windows32
run_suite i686-winxp -L windows32
exit $status
