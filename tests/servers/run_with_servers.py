#!/usr/bin/env python3
"""Runs one test program with its servers: starts them on loopback, passes
their ports and files to the program through the environment, and stops
them when the program ends (or when this script is killed).

usage: run_with_servers.py [--tls] [--proxy] [--fixed-port N]
                          [--private-prefix DIR] -- COMMAND...

Always started: the scriptable HTTP server (on port N with --fixed-port,
else on a free port). --tls adds two HTTPS servers (a certificate for
another host name, an expired one); --proxy adds tinyproxy demanding Basic
authentication. A listing run (--gtest_list_tests) starts nothing.
--private-prefix names the Wine prefix of its own that COMMAND runs in;
its wineserver is ended afterwards, so no Wine process outlives the test.

Environment given to the program (paths as Windows paths):
  OVN_TEST_HTTP_PORT, OVN_TEST_RECORD, OVN_TEST_ROUTES, OVN_TEST_WORK,
  OVN_TEST_HTTPS_OTHER_PORT, OVN_TEST_HTTPS_EXPIRED_PORT,
  OVN_TEST_PROXY_PORT, OVN_TEST_PROXY_LOG, OVN_TEST_PROXY_USER,
  OVN_TEST_PROXY_PASSWORD
"""
import argparse
import ctypes
import fcntl
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(os.path.dirname(HERE), "fixtures", "tls")
SERVER = os.path.join(HERE, "http_test_server.py")
PROXY_USER = "ovnproxy"
PROXY_PASSWORD = "pr0xy-pass"
# Wine runs inside the project's Wine tree, entered through one wrapper.
IN_TREE = os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools", "in-tree.sh")
WINESERVER = [IN_TREE, "/usr/lib/wine/wineserver64"]
START_TIMEOUT = 10.0
FIXED_PORT_WAIT = 600.0


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def die_with_parent():
    # Servers must not outlive a harness killed by a test time-out.
    libc = ctypes.CDLL("libc.so.6", use_errno=True)
    libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, what):
    deadline = time.monotonic() + START_TIMEOUT
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.02)
    raise RuntimeError("%s did not start" % what)


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.2):
            return True
    except OSError:
        return False


class Servers:
    def __init__(self, work):
        self.work = work
        self.processes = []
        self.env = {}

    def start_http(self, name, port=0, cert=None):
        port_file = os.path.join(self.work, name + ".port")
        command = [sys.executable, SERVER, "--port", str(port), "--port-file", port_file,
                   "--record", os.path.join(self.work, "record.txt"),
                   "--routes", os.path.join(self.work, "routes.txt")]
        if cert:
            command += ["--cert", cert]
        self.processes.append(subprocess.Popen(command, preexec_fn=die_with_parent,
                                               stdin=subprocess.DEVNULL))
        wait_for(lambda: os.path.exists(port_file), name)
        with open(port_file) as f:
            return int(f.read())

    def start_proxy(self):
        port = free_port()
        log = os.path.join(self.work, "proxy.log")
        config = os.path.join(self.work, "proxy.conf")
        with open(config, "w") as f:
            f.write('Port %d\nListen 127.0.0.1\nTimeout 30\nLogFile "%s"\nLogLevel Connect\n'
                    'MaxClients 100\nAllow 127.0.0.1\nBasicAuth %s %s\nDisableViaHeader Yes\n'
                    % (port, log, PROXY_USER, PROXY_PASSWORD))
        self.processes.append(subprocess.Popen(["tinyproxy", "-d", "-c", config],
                                               preexec_fn=die_with_parent,
                                               stdin=subprocess.DEVNULL,
                                               stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
        wait_for(lambda: accepts(port), "tinyproxy")
        return port, log

    def stop(self):
        for p in self.processes:
            if p.poll() is None:
                p.terminate()
        for p in self.processes:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()


def end_wineserver(prefix):
    env = dict(os.environ, WINEPREFIX=prefix)
    subprocess.call(WINESERVER + ["-k"], env=env, stdin=subprocess.DEVNULL,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.call(WINESERVER + ["-w"], env=env, stdin=subprocess.DEVNULL,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def lock_fixed_port(port):
    # One holder of the fixed port at a time, across ctest runs and build
    # trees on this machine.
    handle = open(os.path.join(tempfile.gettempdir(), "ovn-test-port-%d.lock" % port), "w")
    deadline = time.monotonic() + FIXED_PORT_WAIT
    while True:
        try:
            fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return handle
        except BlockingIOError:
            if time.monotonic() > deadline:
                raise RuntimeError("port %d stayed taken" % port)
            time.sleep(0.1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--proxy", action="store_true")
    parser.add_argument("--fixed-port", type=int, default=0)
    parser.add_argument("--private-prefix")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    if "--gtest_list_tests" in command:
        if not args.private_prefix:
            os.execvp(command[0], command)
        try:
            return subprocess.call(command)
        finally:
            end_wineserver(args.private_prefix)

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    port_lock = lock_fixed_port(args.fixed_port) if args.fixed_port else None
    work = tempfile.mkdtemp(prefix="ovn-http-")
    servers = Servers(work)
    try:
        env = dict(os.environ)
        env["OVN_TEST_HTTP_PORT"] = str(servers.start_http("http", args.fixed_port))
        env["OVN_TEST_RECORD"] = windows_path(os.path.join(work, "record.txt"))
        env["OVN_TEST_ROUTES"] = windows_path(os.path.join(work, "routes.txt"))
        env["OVN_TEST_WORK"] = windows_path(work)
        if args.tls:
            env["OVN_TEST_HTTPS_OTHER_PORT"] = str(
                servers.start_http("other", cert=os.path.join(FIXTURES, "other_host.pem")))
            env["OVN_TEST_HTTPS_EXPIRED_PORT"] = str(
                servers.start_http("expired", cert=os.path.join(FIXTURES, "expired.pem")))
        if args.proxy:
            port, log = servers.start_proxy()
            env["OVN_TEST_PROXY_PORT"] = str(port)
            env["OVN_TEST_PROXY_LOG"] = windows_path(log)
            env["OVN_TEST_PROXY_USER"] = PROXY_USER
            env["OVN_TEST_PROXY_PASSWORD"] = PROXY_PASSWORD
        return subprocess.call(command, env=env, stdin=subprocess.DEVNULL)
    finally:
        if args.private_prefix:
            end_wineserver(args.private_prefix)
        servers.stop()
        shutil.rmtree(work, ignore_errors=True)
        if port_lock:
            port_lock.close()


if __name__ == "__main__":
    sys.exit(main())
