#!/bin/bash
# Downloads a 200 MiB body from a loopback server with get_data_by_wininet
# (of the build given, under Wine) and with three peers measured in the same
# run: a raw WinINet loop of the same build reading with the client's
# 1023-byte reads, the same loop with 64 KiB reads, and curl. Each is run twice, alternately; the faster run
# counts. Prints the client's throughput against each peer and its peak
# working set against the body size.
# Targets: at least 0.9 of the raw 1023-byte loop; peak <= 1.5 x body. The
# ratios to the 64 KiB loop and to curl are for reading: under Wine they
# show what the read size costs. Not a timed test.
#   tests/bench/http_bench.sh [BUILD_DIR]   (default build/x86_64)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/x86_64}"
size=$((200 * 1024 * 1024))
runs=2
client="$build/tests/unit/http/http_bench_client.exe"
raw_loop="$build/tests/unit/http/wininet_read_loop.exe"
[ -x "$build/wine-run.sh" ] && [ -f "$client" ] && [ -f "$raw_loop" ] || {
  echo "build $build first (targets http_bench_client, wininet_read_loop)" >&2; exit 2; }

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

# One line per run into $work/runs: "NAME BYTES SECONDS READS PEAK".
field() {  # the value of NAME= in TEXT, 0 when it has none
  local value; value="$(sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2")"
  echo "${value:-0}"
}
run_wine() {  # name program arguments...
  local name="$1"; shift
  # To a file, not a pipe: Wine's helpers may hold a pipe open.
  "$build/wine-run.sh" "$@" </dev/null >"$work/out" 2>/dev/null || true
  local out; out="$(tr -d '\r' <"$work/out")"
  local ms; ms="$(field ms "$out")"
  echo "$name $(field bytes "$out") $(awk -v ms="$ms" 'BEGIN { print ms / 1000 }')" \
    "$(field reads "$out") $(field peak_working_set "$out")" >>"$work/runs"
}
run_curl() {
  echo "curl $(curl -s -o /dev/null -w '%{size_download} %{time_total}' "http://127.0.0.1:$port$path") 0 0" \
    >>"$work/runs"
}

for _ in $(seq "$runs"); do
  run_curl
  run_wine raw64k "$raw_loop" 127.0.0.1 "$port" "$path" 65536
  run_wine raw1023 "$raw_loop" 127.0.0.1 "$port" "$path" 1023
  run_wine ours "$client" 127.0.0.1 "$port" "$path"
done

python3 - "$size" "$work/runs" <<'PY'
import sys
size, runs_file = int(sys.argv[1]), sys.argv[2]
best, peak, complete = {}, 0, True
for line in open(runs_file):
    fields = line.split()
    name = fields[0]
    try:
        got, seconds, reads, run_peak = int(fields[1]), float(fields[2]), int(fields[3]), int(fields[4])
    except (IndexError, ValueError):
        complete = False
        continue
    complete = complete and got == size and seconds > 0
    if name == "ours":
        peak = max(peak, run_peak)
    if seconds > 0 and (name not in best or seconds < best[name][0]):
        best[name] = (seconds, reads)
names = [("curl", "curl"), ("raw64k", "raw WinINet loop, 64 KiB reads"),
         ("raw1023", "raw WinINet loop, 1023-byte reads"), ("ours", "get_data_by_wininet")]
if not complete or any(name not in best for name, _ in names):
    print("a download did not bring the whole body:")
    print(open(runs_file).read())
    sys.exit(1)
rate = {name: size / best[name][0] / 2**20 for name, _ in names}
print("body: %d bytes; best of %d runs each" % (size, len(open(runs_file).readlines()) // len(names)))
for name, label in names:
    seconds, reads = best[name]
    per_read = " (%d reads, %.0f us a read)" % (reads, seconds * 1e6 / reads) if reads else ""
    print("%-34s: %6.2f s = %7.1f MiB/s%s" % (label, seconds, rate[name], per_read))
ratio = rate["ours"] / rate["raw1023"]
print("ratio to the 1023-byte loop       : %.2f (target >= 0.9) %s" % (ratio, "ok" if ratio >= 0.9 else "BELOW TARGET"))
print("ratio to the 64 KiB loop          : %.2f (for reading)" % (rate["ours"] / rate["raw64k"]))
print("ratio to curl                     : %.2f (for reading)" % (rate["ours"] / rate["curl"]))
memory = peak / size
print("peak working set                  : %.0f MiB = %.2f x body (target <= 1.5) %s"
      % (peak / 2**20, memory, "ok" if memory <= 1.5 else "ABOVE TARGET"))
PY
