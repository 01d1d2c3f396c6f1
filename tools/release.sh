#!/bin/bash
# The release build: installs what is missing, builds the shipped 32-bit
# launcher and the list tool, checks the launcher as it ships, lays out the
# medium, optionally signs the programs, and writes and checks the
# installer list file.
#
#   tools/release.sh OUTDIR --version 6.x.x.x --setup32 FILE --setup64 FILE
#       --manual FILE --base-url URL --manual-page URL
#       [--newer VERSION PAGE] [--list-host HOST] [--list-port PORT]
#       [--build-root DIR]
#       [--sign-cert CERT --sign-key KEY | --sign-pkcs12 FILE [--sign-pass-file FILE]]
#       [--sign-ca FILE] [--timestamp-url URL]
#
# OUTDIR (new or empty) receives, only when everything succeeded:
#   medium/                   what goes on the medium, exactly:
#     ovn6launcher.exe          the i686 launcher
#     ovn6setup/setup32.exe, ovn6setup/setup64.exe, ovn6setup/ovn6manual.pdf
#   publish/                  what goes on the web server:
#     installer6.lt             to be served at /launcher/installer6.lt
#     setup32.exe, setup64.exe  to be served at BASE-URL/setup32.exe and /setup64.exe
#
# Signing: with --sign-cert (PEM certificate, intermediate certificates
# after it) and --sign-key (PEM key), or --sign-pkcs12 (with the password
# on the first line of --sign-pass-file), the launcher and both setup
# programs are signed with Authenticode and SHA-256 digests before the list
# file is written, so the list carries the digests of the signed files.
# --timestamp-url adds an RFC 3161 time stamp. Every signature is then
# verified against the root certificates of --sign-ca (default: the
# system's) and must name the given certificate.
#
# The list tool runs under wine64 here, so it is also built for x86_64.
# --list-host/--list-port build a launcher that asks another server for the
# list file (a staging server); the default is the product's web server.
# SOURCE_DATE_EPOCH, when unset, is the commit time of the sources.
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
sign_cert= sign_key= sign_pkcs12= sign_pass_file= sign_ca=/etc/ssl/certs/ca-certificates.crt timestamp_url=
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
    --sign-cert) sign_cert="$2"; shift 2 ;;
    --sign-key) sign_key="$2"; shift 2 ;;
    --sign-pkcs12) sign_pkcs12="$2"; shift 2 ;;
    --sign-pass-file) sign_pass_file="$2"; shift 2 ;;
    --sign-ca) sign_ca="$2"; shift 2 ;;
    --timestamp-url) timestamp_url="$2"; shift 2 ;;
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

# The signing material is checked before anything is installed or built.
signing=
if [ -n "$sign_cert$sign_key" ]; then
  [ -n "$sign_cert" ] && [ -n "$sign_key" ] || fail "--sign-cert and --sign-key go together"
  [ -z "$sign_pkcs12" ] || fail "give --sign-cert and --sign-key, or --sign-pkcs12, not both"
  signing=pem
elif [ -n "$sign_pkcs12" ]; then
  signing=pkcs12
fi
[ -z "$sign_pass_file" ] || [ "$signing" = pkcs12 ] || fail "--sign-pass-file goes with --sign-pkcs12"
[ -z "$timestamp_url" ] || [ -n "$signing" ] || fail "--timestamp-url needs a signing certificate"
if [ -n "$signing" ]; then
  for file in "$sign_cert" "$sign_key" "$sign_pkcs12" "$sign_pass_file" "$sign_ca"; do
    [ -z "$file" ] || [ -f "$file" ] || fail "no such file: $file"
  done
fi

bash "$root/tools/setup-machine.sh"

if [ -n "$signing" ]; then
  signer_pem="$(mktemp)"
  trap 'rm -f "$signer_pem"' EXIT
  if [ "$signing" = pem ]; then
    cp "$sign_cert" "$signer_pem"
    cert_key="$(openssl x509 -in "$sign_cert" -noout -pubkey 2>/dev/null)" ||
      fail "$sign_cert is not a PEM certificate"
    key_key="$(openssl pkey -in "$sign_key" -pubout 2>/dev/null)" || fail "$sign_key is not a PEM private key"
    [ "$cert_key" = "$key_key" ] || fail "the signing key $sign_key does not belong to the certificate $sign_cert"
    sign_with=(-certs "$sign_cert" -key "$sign_key")
  else
    pass=(-passin pass:) read_pass=()
    [ -n "$sign_pass_file" ] && pass=(-passin "file:$sign_pass_file") read_pass=(-readpass "$sign_pass_file")
    openssl pkcs12 -in "$sign_pkcs12" "${pass[@]}" -clcerts -nokeys -out "$signer_pem" 2>/dev/null ||
      fail "$sign_pkcs12 cannot be read (a PKCS#12 file, with its password in --sign-pass-file)"
    sign_with=(-pkcs12 "$sign_pkcs12" "${read_pass[@]}")
  fi
  # Verification requires the signature to name exactly this certificate.
  signer_hash="$(openssl x509 -in "$signer_pem" -outform DER | sha256sum | cut -c1-64)"
  if [ -n "$timestamp_url" ]; then sign_with+=(-ts "$timestamp_url"); fi
fi

# The list server is compiled into the launcher. Without the options the
# build's default (the product's web server) applies, even in a tree that
# an earlier staging release configured otherwise.
list_server=(-UOVN_LIST_HOST -UOVN_LIST_PORT)
[ -n "$list_host" ] && list_server[0]=-DOVN_LIST_HOST="$list_host"
[ -n "$list_port" ] && list_server[1]=-DOVN_LIST_PORT="$list_port"
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && commit_time="$(git -C "$root" log -1 --format=%ct 2>/dev/null)"; then
  export SOURCE_DATE_EPOCH="$commit_time"
fi
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

echo "checking the launcher as it ships"
python3 "$root/tests/shipped/check_shipped_exe.py" "$launcher" \
  --allow-list "$root/tests/fixtures/shipped/xp_imports.txt" || fail "the launcher does not ship as built"

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

# Everything is made in OUTDIR/.unfinished and moved into place at the end:
# a release that fails leaves no medium and nothing to publish.
work="$out/.unfinished"
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work" "${signer_pem:-}"
}
trap cleanup EXIT
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

medium="$work/medium"
publish="$work/publish"
mkdir -p "$medium/ovn6setup" "$publish"
cp "$launcher" "$medium/ovn6launcher.exe"
cp "$setup32" "$medium/ovn6setup/setup32.exe"
cp "$setup64" "$medium/ovn6setup/setup64.exe"
cp "$manual" "$medium/ovn6setup/ovn6manual.pdf"

signed=("$medium/ovn6launcher.exe" "$medium/ovn6setup/setup32.exe" "$medium/ovn6setup/setup64.exe")
if [ -n "$signing" ]; then
  echo "signing the launcher and the setup programs"
  for file in "${signed[@]}"; do
    osslsigncode sign "${sign_with[@]}" -h sha256 -in "$file" -out "$file.signed" >"$build_root/sign.log" 2>&1 ||
      { cat "$build_root/sign.log" >&2; fail "signing ${file#"$work/"} failed"; }
    mv "$file.signed" "$file"
  done
fi
cp "$medium/ovn6setup/setup32.exe" "$publish/setup32.exe"
cp "$medium/ovn6setup/setup64.exe" "$publish/setup64.exe"

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

if [ -n "$signing" ]; then
  echo "verifying the signatures"
  for file in "${signed[@]}" "$publish/setup32.exe" "$publish/setup64.exe"; do
    osslsigncode verify -in "$file" -CAfile "$sign_ca" -require-leaf-hash "sha256:$signer_hash" \
      >"$build_root/verify.log" 2>&1 ||
      { cat "$build_root/verify.log" >&2; fail "the signature of ${file#"$work/"} does not verify against $sign_ca"; }
  done
fi

mv "$medium" "$out/medium"
mv "$publish" "$out/publish"
rmdir "$work"
echo "release ready in $out:"
(cd "$out" && find . -type f | sort | sed 's/^\.\///' | while read -r file; do
  printf '  %-28s %9d bytes  sha256 %s\n' "$file" "$(stat -c %s "$file")" "$(sha256sum "$file" | cut -c1-64)"
done)
echo "the list file carries these MD5 digests:"
tr -d '\r' <"$out/publish/installer6.lt" | awk 'NR > 1 && length($3) == 32 && $3 !~ /[^0-9a-f]/ { printf "  %-6s %-8s md5 %s\n", $1, $2, $3 }'
