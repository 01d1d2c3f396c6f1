#!/bin/bash
# The release build: installs what is missing, builds the shipped 32-bit
# launcher and the list tool, lays out the medium and writes and checks the
# installer list file.
#
#   tools/release.sh OUTDIR --version 6.x.x.x --setup32 FILE --setup64 FILE
#       --manual FILE --base-url URL --manual-page URL
#       [--newer VERSION PAGE] [--list-host HOST] [--list-port PORT]
#       [--build-root DIR]
#
# OUTDIR (new or empty) receives:
#   medium/                   what goes on the medium, exactly:
#     ovn6launcher.exe          the i686 launcher
#     ovn6setup/setup32.exe, ovn6setup/setup64.exe, ovn6setup/ovn6manual.pdf
#   publish/                  what goes on the web server:
#     installer6.lt             to be served at /launcher/installer6.lt
#     setup32.exe, setup64.exe  to be served at BASE-URL/setup32.exe and /setup64.exe
#
# The list tool runs under wine64 here, so it is also built for x86_64.
# --list-host/--list-port build a launcher that asks another server for the
# list file (a staging server); the default is the product's web server.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 3
}
fail() { echo "release: $*" >&2; exit 1; }

[ $# -ge 1 ] || usage
out="$1"; shift
version= setup32= setup64= manual= base_url= manual_page= newer_version= newer_page=
list_host= list_port= build_root="$root/build/release"
while [ $# -gt 0 ]; do
  case "$1" in
    --version) version="$2"; shift 2 ;;
    --setup32) setup32="$2"; shift 2 ;;
    --setup64) setup64="$2"; shift 2 ;;
    --manual) manual="$2"; shift 2 ;;
    --base-url) base_url="${2%/}"; shift 2 ;;
    --manual-page) manual_page="$2"; shift 2 ;;
    --newer) newer_version="$2"; newer_page="$3"; shift 3 ;;
    --list-host) list_host="$2"; shift 2 ;;
    --list-port) list_port="$2"; shift 2 ;;
    --build-root) build_root="$2"; shift 2 ;;
    *) echo "release: unknown option $1" >&2; usage ;;
  esac
done
for required in version setup32 setup64 manual base_url manual_page; do
  [ -n "${!required}" ] || { echo "release: --${required//_/-} is required" >&2; usage; }
done
for file in "$setup32" "$setup64" "$manual"; do
  [ -f "$file" ] || fail "no such file: $file"
done
if [ -e "$out" ] && [ -n "$(ls -A "$out" 2>/dev/null)" ]; then
  fail "$out exists and is not empty; give a new folder"
fi

bash "$root/tools/setup-machine.sh"

# The list server is compiled into the launcher. Without the options the
# build's default (the product's web server) applies, even in a tree that
# an earlier staging release configured otherwise.
list_server=(-UOVN_LIST_HOST -UOVN_LIST_PORT)
[ -n "$list_host" ] && list_server[0]=-DOVN_LIST_HOST="$list_host"
[ -n "$list_port" ] && list_server[1]=-DOVN_LIST_PORT="$list_port"
build_one() {  # arch target
  cmake -S "$root" -B "$build_root/$1" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$1.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DOVN_BUILD_TESTS=OFF "${list_server[@]}" >/dev/null
  cmake --build "$build_root/$1" --target "$2" -j "$(nproc)"
}
echo "building the i686 launcher and the list tool"
build_one i686 ovn6launcher
build_one x86_64 ovn6list
launcher="$build_root/i686/launcher/ovn6launcher.exe"
tool="$build_root/x86_64/tools/listtool/ovn6list.exe"

# The tool runs in a Wine prefix of the release build, in Japanese (ANSI
# code page 932, as on the release engineers' machines).
export WINEPREFIX="$build_root/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
trap '"$wineserver" -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/.ovn-ready" ]; then
  echo "creating the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  env -u DISPLAY "$wine" wineboot -i </dev/null >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX/.ovn-ready"
fi
windows_path() { local p; p="$(realpath "$1")"; echo "Z:${p//\//\\}"; }
# Output through files: Wine's helper processes may hold a pipe open.
run_tool() {
  local status=0
  "$wine" "$tool" "$@" </dev/null >"$build_root/tool.out" 2>"$build_root/tool.err" || status=$?
  tr -d '\r' <"$build_root/tool.out"
  tr -d '\r' <"$build_root/tool.err" >&2
  return $status
}

medium="$out/medium"
publish="$out/publish"
mkdir -p "$medium/ovn6setup" "$publish"
cp "$launcher" "$medium/ovn6launcher.exe"
cp "$setup32" "$medium/ovn6setup/setup32.exe"
cp "$setup64" "$medium/ovn6setup/setup64.exe"
cp "$manual" "$medium/ovn6setup/ovn6manual.pdf"
cp "$setup32" "$publish/setup32.exe"
cp "$setup64" "$publish/setup64.exe"

# The digests are taken from the files as they lie on the medium.
newer=()
[ -n "$newer_version" ] && newer=(--newer "$newer_version" "$newer_page")
list="$publish/installer6.lt"
echo "writing the list file"
run_tool write --out "$(windows_path "$publish")\\installer6.lt" --version "$version" \
  --setup32 "$(windows_path "$medium/ovn6setup/setup32.exe")" "$base_url/setup32.exe" \
  --setup64 "$(windows_path "$medium/ovn6setup/setup64.exe")" "$base_url/setup64.exe" \
  --manual "$(windows_path "$medium/ovn6setup/ovn6manual.pdf")" "$manual_page" \
  "${newer[@]}" >/dev/null || fail "the list file could not be written"
echo "checking the list file"
run_tool check --strict "$(windows_path "$list")" || fail "the list file does not check clean"

echo "release ready:"
(cd "$out" && find . -type f | sort | sed 's/^\.\//  /')
