#!/bin/bash
# The launcher of the build given, with no setup at hand, installs a setup of
# SIZE_MIB MiB end to end under Wine: Install fetches the list file from a
# loopback server, downloads the setup into %temp%\ovn6setup, checks its
# MD5 and starts it. Uses the install end-to-end harness
# (tests/e2e/install/flow_session.py): the driver program works the window,
# and the setup is the stand-in setup padded to SIZE_MIB with an overlay, so
# it still runs; the list names its MD5.
# Prints the time from the list request to the setup's start, the
# download's time and throughput (the server's first to last byte), and the
# launcher process's peak memory against the setup size. The peak is the
# peak resident set (VmHWM in /proc/PID/status) of the launcher's Wine
# process, read from the Linux side, before Install and after the run.
# Target: the peak stays flat (streamed to the file): at most 64 MiB above
# the idle launcher's peak, whatever the setup size. Not a timed test.
# The build needs -DOVN_BUILD_TESTS=ON -DOVN_LIST_HOST=127.0.0.1
# -DOVN_LIST_PORT=<port> and the targets ovn6launcher, ovn_driver and
# ovn_standin_setup. Its prefix's Windows (OVN_TEST_WINDOWS) decides between
# setup64.exe and setup32.exe. Needs SIZE_MIB MiB free twice over (the
# served file in a temporary folder, the download in the build's prefix).
#   tests/bench/setup_download_bench.sh BUILD_DIR SIZE_MIB
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:?usage: setup_download_bench.sh BUILD_DIR SIZE_MIB}" && pwd)"
size_mib="${2:?usage: setup_download_bench.sh BUILD_DIR SIZE_MIB}"
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
launcher="$build/launcher/ovn6launcher.exe"
driver="$build/tests/e2e/driver/ovn_driver.exe"
standin="$build/tools/standin-setup/ovn_standin_setup.exe"
[ -x "$build/wine-run.sh" ] && [ -f "$launcher" ] && [ -f "$driver" ] && [ -f "$standin" ] || {
  echo "build $build first (targets ovn6launcher, ovn_driver, ovn_standin_setup)" >&2; exit 2; }
port="$(cache_value OVN_LIST_PORT)"
[ "$(cache_value OVN_LIST_HOST)" = 127.0.0.1 ] && [ -n "$port" ] || {
  echo "configure $build with -DOVN_LIST_HOST=127.0.0.1 -DOVN_LIST_PORT=<port>" >&2; exit 2; }
windows="$(cache_value OVN_TEST_WINDOWS)"
prefix="$build/wineprefix"

# A wineserver for the prefix that runs already is someone else's.
server_running() {
  local pid
  for pid in $(pgrep -x wineserver64); do
    grep -qzx "WINEPREFIX=$prefix" "/proc/$pid/environ" 2>/dev/null && return 0
  done
  return 1
}
own_server=1
server_running && own_server=0
own_display=0
if [ -z "${DISPLAY:-}" ]; then
  source "$root/tools/xvfb.sh"
  start_xvfb
  own_display=1
fi
work="$(mktemp -d)"
cleanup() {
  rm -rf "$work"
  if [ $own_server -eq 1 ]; then
    WINEPREFIX="$prefix" "$root/tools/in-tree.sh" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  fi
  [ $own_display -eq 1 ] && stop_xvfb
  return 0
}
trap cleanup EXIT

# Wine started once before measuring, so its start-up is not counted.
"$build/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1

OVN_TEST_WINDOWS="${windows:-win64}" python3 - "$root" "$build" "$work" "$prefix" "$port" "$size_mib" \
  "$launcher" "$driver" "$standin" <<'PY'
import argparse, hashlib, os, sys, time
root, build, work, prefix, port, size_mib, launcher, driver, standin = sys.argv[1:]
sys.path.insert(0, os.path.join(root, "tests", "e2e", "install"))
from flow_session import ID_OK, LIST_PATH, SETUP_NAME, SETUP_URL_PATH, FlowSession, GatedHandler, poll

size = int(size_mib) << 20
MiB = float(1 << 20)
# At 2 MiB/s, and the start-up besides.
run_timeout_s = size / (2 << 20) + 120
args = argparse.Namespace(emulator=os.path.join(build, "wine-run.sh"), driver=driver, launcher=launcher,
                          standin=standin, out=work, prefix=prefix, list_port=int(port))
served = os.path.join(work, "setup.bin")
times = {}


class StreamingHandler(GatedHandler):
    """Streams the big setup from its file; notes when each request came
    and when the setup's last byte went."""

    def _serve(self):
        path = self.path.split("?", 1)[0]
        times.setdefault(path, time.time())
        if path != SETUP_URL_PATH:
            return super()._serve()
        self._record(b"")
        self.send_response(200)
        self.send_header("Content-Length", str(size))
        self.end_headers()
        try:
            with open(served, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    self.wfile.write(block)
            self.wfile.flush()
            times["sent"] = time.time()
        finally:
            times["ended"] = time.time()


def launcher_linux_pid():
    """The Linux process running the medium's launcher in the prefix."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                program = f.read().split(b"\0")[0].decode("utf-8", "replace").lower()
            with open("/proc/%s/environ" % pid, "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if program.endswith("ovn6launcher.exe") and ("WINEPREFIX=" + prefix).encode() in environment:
            return pid
    return None


def peak_bytes(pid):
    with open("/proc/%s/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    return 0


def md5_of(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def write_setup():
    """The stand-in with its tag, then filler: the loader maps only its
    sections, so the padded program runs as the small one. Returns its MD5."""
    head = s.setup_bytes("setup download benchmark")
    filler = os.urandom(1 << 20)
    digest = hashlib.md5(head)
    with open(served, "wb") as f:
        f.write(head)
        left = size - len(head)
        while left > 0:
            block = filler[:min(left, len(filler))]
            f.write(block)
            digest.update(block)
            left -= len(block)
    return digest.hexdigest()


def measure():
    """Runs Install once and prints the figures; False when the run failed."""
    digest = write_setup()
    s.serve([s.setup_line(digest)], gates=[SETUP_URL_PATH])
    s.server.RequestHandlerClass = StreamingHandler
    s.start()
    pid = launcher_linux_pid()
    if not s.failures.check(pid, "the launcher's Linux process found"):
        return False
    idle_peak = peak_bytes(pid)
    s.click(ID_OK)
    if not s.failures.check(s.wait_arrived(SETUP_URL_PATH, 60), "setup download asked for"):
        return False
    # The stand-in downloaded finds its settings (where to record its start).
    s.write_ini(s.temp_setup_dir)
    s.open_gate(SETUP_URL_PATH)
    # Only cheap checks while the body flows: every driver call starts a
    # Wine process.
    s.failures.check(poll(lambda: "ended" in times, run_timeout_s, 0.5), "the download ended")
    s.failures.check(poll(lambda: s.runs() or s.message_boxes(), 120, 1), "the run ended")
    if s.failures.messages or s.message_boxes():
        return s.failures.check(False, "the setup started, no message box")
    s.wait_idle(60)
    run_peak = peak_bytes(pid)
    s.check_one_run("temporary", easy=True, with_log=True)
    downloaded = os.path.join(s.temp_setup_dir, SETUP_NAME)
    s.failures.equal(digest, md5_of(downloaded) if os.path.exists(downloaded) else None,
                     "downloaded setup in place")
    if s.failures.messages or "sent" not in times:
        return False
    started = os.stat(s.record).st_mtime
    download = times["sent"] - times[SETUP_URL_PATH]
    print("setup: %s, %d bytes (%d MiB), %s Windows" % (SETUP_NAME, size, size >> 20,
                                                         os.environ["OVN_TEST_WINDOWS"]))
    print("list request to setup started     : %7.1f s" % (started - times[LIST_PATH]))
    print("download (server's first to last) : %7.1f s = %6.1f MiB/s" % (download, size / MiB / download))
    print("digest checks and start           : %7.1f s" % (started - times["sent"]))
    print("launcher peak resident, idle      : %7.1f MiB" % (idle_peak / MiB))
    print("launcher peak resident, after run : %7.1f MiB" % (run_peak / MiB))
    print("peak / setup size                 : %.1f / %d MiB, ratio %.3f"
          % (run_peak / MiB, size >> 20, run_peak / size))
    limit = idle_peak + (64 << 20)
    print("target: peak flat (streamed), <= 64 MiB + the idle peak = %.1f MiB: %s"
          % (limit / MiB, "ok" if run_peak <= limit else "ABOVE TARGET"))
    return True


s = FlowSession(args, "setup-download")
try:
    measured = measure()
finally:
    status = s.finish()
sys.exit(status if measured else 1)
PY
