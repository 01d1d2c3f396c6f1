#!/bin/bash
# The run command: installs what is missing, builds the launcher as it
# ships (i686) into build/run and starts it under Wine as a 32-bit program
# on 64-bit Windows, inside the Wine tree (tools/wine-tree.sh), with a
# prefix of its own, in Japanese (LANG=ja_JP.UTF-8).
#
# With DISPLAY set the launcher opens on that display and the command ends
# when the launcher is closed. Without one it runs on a private Xvfb
# display: a screenshot is saved (its path is printed) and the launcher is
# ended.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OVN_BUILD_DIR:-$root/build}/run"
# Time the launcher gets to show its window on a fresh prefix.
window_wait_s=120
# The demo medium and its local list-file server.
source "$root/tools/demo/demo.sh"

bash "$root/tools/setup-machine.sh"
bash "$root/tools/wine-tree.sh" >/dev/null

cmake -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DOVN_BUILD_TESTS=OFF \
  -DOVN_LIST_HOST=127.0.0.1 -DOVN_LIST_PORT="$demo_port" >/dev/null
cmake --build "$build" --target ovn6launcher ovn_standin_setup -j "$(nproc)"

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export OVN_TREE_BINDS="$build"
in_tree="$root/tools/in-tree.sh"
wine() { "$in_tree" /usr/lib/wine/wine "$@"; }
wineserver() { "$in_tree" /usr/lib/wine/wineserver64 "$@"; }
log="$build/wine.log"

if [ ! -f "$WINEPREFIX/.ovn-ready" ]; then
  echo "creating the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  env -u DISPLAY "$in_tree" /usr/lib/wine/wine wineboot -i </dev/null >>"$log" 2>&1
  wineserver -w
  touch "$WINEPREFIX/.ovn-ready"
fi

demo_prepare "$build" "$WINEPREFIX"
launcher="$demo_launcher"

# Wine draws window captions itself only where no window manager does.
decorated() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d "$1" /f </dev/null >>"$log" 2>&1
}

if [ -n "${DISPLAY:-}" ]; then
  decorated Y
  echo "starting $launcher on $DISPLAY"
  wine "$launcher" </dev/null >>"$log" 2>&1 || true
  wineserver -w
  demo_stop
  demo_report
  exit 0
fi

source "$root/tools/xvfb.sh"
start_xvfb
cleanup() {
  wineserver -k 2>/dev/null || true
  demo_stop
  stop_xvfb
}
trap cleanup EXIT

decorated N
echo "no DISPLAY: starting $launcher on Xvfb $DISPLAY"
wine "$launcher" </dev/null >>"$log" 2>&1 &

# Wine names the X window after the window's caption.
shown=
for _ in $(seq $((window_wait_s * 2))); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Orvane 6.0'; then
    shown=1
    break
  fi
  sleep 0.5
done
if [ -z "$shown" ]; then
  echo "the launcher window did not appear within ${window_wait_s}s (Wine output: $log)" >&2
  exit 1
fi
sleep 2  # let it finish painting
shot="$build/launcher.png"
import -window root "$shot"
echo "screenshot: $shot"
