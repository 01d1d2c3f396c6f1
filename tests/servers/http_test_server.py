#!/usr/bin/env python3
"""Scriptable HTTP(S) server for the launcher's tests, loopback only.

Every request is appended to the record file as one line:
method TAB target TAB body-as-hex {TAB "Name: value"}... LF
so a test can check exactly what arrived.

Answers come from the routes file when it names the path (lines
"PATH STATUS BODY_FILE", BODY_FILE relative to the routes file or "-" for
no body; the file is read again for every request), otherwise from the
built-in routes:

  /status/CODE         that status; 404 and 500 with an error page,
                       204 and 304 without a body, 206 with a partial body
  /empty               200 with an empty body
  /bytes/N             200 with N bytes of byte_at(i)
  /cut/ANNOUNCED/SENT  announces ANNOUNCED bytes, sends SENT, closes
  /slow/MS             answers 200 after MS milliseconds
  /silent              accepts the request and never answers
  /bigheader/N         200 with a header line of N filler bytes
  /badstatus           a status line whose code is not a number
  anything else        200 with the body "ok " + target
"""
import argparse
import os
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

STOP = threading.Event()
RECORD_LOCK = threading.Lock()
CHUNK = 1 << 16
ERROR_PAGE = b"<html><body><h1>%d</h1><p>error page</p></body></html>"


def byte_at(i):
    return (i * 7 + 3) & 0xFF


PATTERN = bytes(byte_at(i) for i in range(256 * 7))


def build_pattern(start, count):
    out = bytearray()
    offset = start % 256
    while count > 0:
        n = min(count, 256 * 6)
        out += PATTERN[offset:offset + n]
        count -= n
    return bytes(out)


FULL_CHUNK = build_pattern(0, CHUNK)


def pattern_bytes(start, count):
    """Bytes start..start+count of the body pattern (period 256)."""
    if count == CHUNK and start % 256 == 0:
        return FULL_CHUNK
    return build_pattern(start, count)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ovn-test"
    sys_version = ""

    def log_message(self, *args):
        pass

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (ConnectionError, ssl.SSLError, socket.timeout):
            self.close_connection = True

    def _record(self, body):
        fields = [self.command, self.path, body.hex()]
        fields += ["%s: %s" % (k, v) for k, v in self.headers.items()]
        line = "\t".join(fields) + "\n"
        with RECORD_LOCK:
            with open(self.server.record, "a", encoding="latin-1") as f:
                f.write(line)

    def _answer(self, status, body, extra=(), length=None):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        if body is not None:
            self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        if body:
            self.wfile.write(body)

    def _scripted(self, path):
        routes = self.server.routes
        if not routes or not os.path.exists(routes):
            return None
        with open(routes, encoding="utf-8") as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 2 and parts[0] == path:
                    body = None
                    if len(parts) >= 3 and parts[2] != "-":
                        with open(os.path.join(os.path.dirname(routes), parts[2]), "rb") as b:
                            body = b.read()
                    return int(parts[1]), body
        return None

    def _serve(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        self._record(body)
        path = self.path.split("?", 1)[0]
        parts = path.strip("/").split("/")

        scripted = self._scripted(path)
        if scripted:
            status, content = scripted
            if content is None and status not in (204, 304):
                content = b""
            return self._answer(status, content)

        head = parts[0]
        if head == "status":
            code = int(parts[1])
            if code in (204, 304):
                return self._answer(code, None)
            if code == 206:
                return self._answer(206, b"part", [("Content-Range", "bytes 0-3/10")])
            if code >= 400:
                return self._answer(code, ERROR_PAGE % code, [("Content-Type", "text/html")])
            return self._answer(code, b"status %d" % code)
        if head == "empty":
            return self._answer(200, b"")
        if head == "bytes":
            total = int(parts[1])
            self.send_response(200)
            self.send_header("Content-Length", str(total))
            self.end_headers()
            sent = 0
            while sent < total:
                n = min(CHUNK, total - sent)
                self.wfile.write(pattern_bytes(sent, n))
                sent += n
            return None
        if head == "cut":
            announced, sent = int(parts[1]), int(parts[2])
            self.send_response(200)
            self.send_header("Content-Length", str(announced))
            self.end_headers()
            self.wfile.write(pattern_bytes(0, sent))
            self.wfile.flush()
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return None
        if head == "slow":
            time.sleep(int(parts[1]) / 1000.0)
            return self._answer(200, b"slow")
        if head == "silent":
            while not STOP.wait(0.2):
                pass
            self.close_connection = True
            return None
        if head == "bigheader":
            return self._answer(200, b"big", [("X-Filler", "f" * int(parts[1]))])
        if head == "badstatus":
            self.wfile.write(b"HTTP/1.1 abc Weird\r\nContent-Length: 2\r\n\r\nok")
            return None
        return self._answer(200, b"ok " + self.path.encode("latin-1"))

    do_GET = do_POST = do_PUT = do_HEAD = do_DELETE = do_CONNECT = _serve


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--record", required=True)
    parser.add_argument("--routes")
    parser.add_argument("--cert", help="PEM holding certificate and key: serve HTTPS")
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.record = args.record
    server.routes = args.routes
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert)
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    open(args.record, "a").close()
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    finally:
        STOP.set()


if __name__ == "__main__":
    sys.exit(main())
