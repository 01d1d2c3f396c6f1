#!/bin/bash
# The test command: installs what is missing, builds the launcher for
# i686 (shipped) and x86_64 (tested), and runs every test of the x86_64
# build under wine64 on a private X display. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OVN_BUILD_DIR:-$root/build}"
jobs="$(nproc)"

bash "$root/tools/setup-machine.sh"

for arch in i686 x86_64; do
  tests=OFF
  [ "$arch" = x86_64 ] && tests=ON
  # The tested build fetches the installer list file from the test server,
  # and checks the i686 launcher built just before it as it would ship.
  tested=()
  [ "$arch" = x86_64 ] && tested=(-DOVN_LIST_HOST=127.0.0.1 -DOVN_LIST_PORT=28680
                                  -DOVN_SHIPPED_LAUNCHER="$build/i686/launcher/ovn6launcher.exe")
  cmake -S "$root" -B "$build/$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DOVN_BUILD_TESTS=$tests -DOVN_WERROR=ON "${tested[@]}" >/dev/null
  cmake --build "$build/$arch" -j "$jobs"
done

source "$root/tools/xvfb.sh"
start_xvfb
prefix="$build/x86_64/wineprefix"
cleanup() {
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

cd "$build/x86_64"
ctest --output-on-failure -j "$jobs" --timeout 300
