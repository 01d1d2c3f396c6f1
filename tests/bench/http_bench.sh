#!/bin/bash
# Downloads a 200 MiB body from a loopback server once with
# get_data_by_wininet (x86_64 under Wine) and once with curl, and prints the
# throughput ratio and the client's peak working set against the body size.
# Targets: ratio >= 0.5, peak <= 1.5 x body. Not a timed test.
#   tests/bench/http_bench.sh [BUILD_DIR]   (default build/x86_64)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/x86_64}"
size=$((200 * 1024 * 1024))
client="$build/tests/unit/http/http_bench_client.exe"
[ -x "$build/wine-run.sh" ] && [ -f "$client" ] || {
  echo "build $build first (target http_bench_client)" >&2; exit 2; }

work="$(mktemp -d)"
server_pid=
cleanup() {
  # The server's kill status is not the script's.
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/tests/servers/http_test_server.py" --port 0 --port-file "$work/port" \
  --record "$work/record.txt" </dev/null >/dev/null 2>&1 &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
port="$(cat "$work/port")"
path="/bytes/$size"

# Wine started once before measuring, so its start-up is not counted.
"$build/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1

curl_out="$(curl -s -o /dev/null -w '%{size_download} %{time_total}' "http://127.0.0.1:$port$path")"
read -r curl_bytes curl_seconds <<<"$curl_out"

ours="$("$build/wine-run.sh" "$client" 127.0.0.1 "$port" "$path" </dev/null 2>/dev/null | tr -d '\r')"
ours_bytes="$(sed -n 's/.*bytes=\([0-9]*\).*/\1/p' <<<"$ours")"
ours_ms="$(sed -n 's/.*ms=\([0-9.]*\).*/\1/p' <<<"$ours")"
peak="$(sed -n 's/.*peak_working_set=\([0-9]*\).*/\1/p' <<<"$ours")"

python3 - "$size" "$curl_bytes" "$curl_seconds" "$ours_bytes" "$ours_ms" "$peak" <<'PY'
import sys
size, curl_bytes, curl_s, ours_bytes, ours_ms, peak = sys.argv[1:]
size, curl_bytes, ours_bytes, peak = int(size), int(curl_bytes), int(ours_bytes), int(peak)
curl_rate = curl_bytes / float(curl_s) / 2**20
ours_rate = ours_bytes / (float(ours_ms) / 1000) / 2**20
ratio = ours_rate / curl_rate
memory = peak / size
print("body                : %d bytes" % size)
print("curl                : %d bytes in %.2f s = %.0f MiB/s" % (curl_bytes, float(curl_s), curl_rate))
print("get_data_by_wininet : %d bytes in %.2f s = %.0f MiB/s" % (ours_bytes, float(ours_ms) / 1000, ours_rate))
print("throughput ratio    : %.2f (target >= 0.5) %s" % (ratio, "ok" if ratio >= 0.5 else "BELOW TARGET"))
print("peak working set    : %.0f MiB = %.2f x body (target <= 1.5) %s"
      % (peak / 2**20, memory, "ok" if memory <= 1.5 else "ABOVE TARGET"))
sys.exit(0 if ours_bytes == size and curl_bytes == size else 1)
PY
