#!/bin/bash
# Digests random files with the launcher's MD5 (md5_digest.exe under Wine)
# and with md5sum, and fails on any difference.
# Usage: md5_check.sh EMULATOR MD5_DIGEST_EXE
set -eu
export LC_ALL=C
emulator=$1
tool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

args=()
for size in 0 1 55 56 63 64 65 4095 4096 4097 65536 1048577; do
  head -c "$size" /dev/urandom >"$work/random_$size.bin"
  args+=("Z:${work//\//\\}\\random_$size.bin")
done

(cd "$work" && md5sum random_*.bin | sort -k2) | awk '{print $1}' >"$work/expected"
# Output to a file, never a pipe: Wine's helpers may hold a pipe open.
"$emulator" "$tool" "${args[@]}" >"$work/actual.raw" 2>/dev/null </dev/null
tr -d '\r' <"$work/actual.raw" | awk '{print $2, $1}' | sed 's/^.*\\//' | sort | awk '{print $2}' >"$work/actual"

if ! diff "$work/expected" "$work/actual"; then
  echo "md5_digest.exe and md5sum disagree"
  cat "$work/actual.raw"
  exit 1
fi
echo "$(wc -l <"$work/expected") files agree with md5sum"
