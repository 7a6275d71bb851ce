#!/usr/bin/env python3
"""scripts/deploy_server.py -- the scripted loopback deployment server for the tests.

    deploy_server.py --root DIR [--port 47811] [--log FILE] [--ready-file FILE]
                     [--address ADDR]... [--status PATH=CODE]... [--replace PATH=FILE]...
                     [--rate PATH=BYTES_PER_SECOND]... [--cut PATH=BYTES]...

Listens on 127.0.0.1 and 127.0.0.2 (or the --address values, loopback only) at --port and
serves the files under DIR/<local address>/: a request that reached 127.0.0.2 for /deploy.vlm
gets DIR/127.0.0.2/deploy.vlm. This is how one machine holds the production server
(127.0.0.1), the staging server (a path below it) and the development server (127.0.0.2) of a
demo site built by demo/make_demo_site.py. --port 0 lets the system pick a free port for each
address (the ready file tells which).

HTTP/1.1 with keep-alive: every answer carries Content-Length, and a connection stays open until
the client closes it, asks "Connection: close", speaks HTTP/1.0 without keep-alive, or stays
idle for 30 seconds. GET and HEAD are answered; other methods get 501. Only regular files below
the address's folder are served: a path with "..", a backslash or a NUL, a folder, or a link
leading out of the folder gets 404.

--log FILE receives one line per request, flushed at once, so that a test can see what reached
the server (and that nothing did):
    <client ip>:<port> -> <local ip>:<port> "<request line>" <status> <body bytes>
Without --log the lines go to standard error.

--ready-file FILE is written (whole, by a rename) once every address listens; it holds one
"<address> <port>" line per address. It is removed when the server stops.

Fault switches for tests, matched against the request path without its query, on every
address, and repeatable:
    --status /deploy.vlm=404        answer that path with that status (a short text body)
    --replace /vlmv2menu.pkg=FILE   serve FILE's bytes at that path (status 200)
    --rate /vlmv2menu.pkg=30000     send that path's body at about that many bytes per second
                                    (a slow line, so a test can watch a download under way)
    --cut /vlmv2menu.pkg=1000       announce the whole body's length, send only its first
                                    BYTES, then close the connection (a short body)

SIGTERM or SIGINT stops the server; the exit code is then 0. A port that cannot be bound ends it
with exit code 2 and no ready file.
"""

import argparse
import http
import http.server
import ipaddress
import os
import signal
import socketserver
import sys
import threading
import time
import urllib.parse

IDLE_SECONDS = 30  # a kept-alive connection that stays silent this long is closed
DEFAULT_ADDRESSES = ["127.0.0.1", "127.0.0.2"]


class RequestLog:
    """One line per request, written and flushed under a lock (requests arrive on many threads)."""

    def __init__(self, path):
        self._file = open(path, "a", encoding="utf-8") if path else sys.stderr
        self._lock = threading.Lock()

    def write(self, line):
        with self._lock:
            self._file.write(line + "\n")
            self._file.flush()


class Settings:
    def __init__(self, root, log, statuses, replacements, rates, cuts):
        self.root = os.path.realpath(root)
        self.log = log
        self.statuses = statuses  # request path -> status code
        self.replacements = replacements  # request path -> file whose bytes are served
        self.rates = rates  # request path -> body bytes per second
        self.cuts = cuts  # request path -> body bytes sent before the connection closes


def request_path(target):
    """The path part of a request target (origin form or absolute form), undecoded."""
    if "://" in target:
        target = urllib.parse.urlsplit(target).path or "/"
    return target.split("?", 1)[0].split("#", 1)[0]


def file_for(folder, path):
    """The regular file that serves path below folder, or None. folder is a real path."""
    decoded = urllib.parse.unquote(path, errors="strict")
    if "\\" in decoded or "\0" in decoded:
        return None
    segments = [s for s in decoded.split("/") if s]
    if any(s in (".", "..") for s in segments):
        return None
    candidate = os.path.realpath(os.path.join(folder, *segments))
    # A link inside the site that points elsewhere must not make the server read outside it.
    if os.path.commonpath([candidate, folder]) != folder or not os.path.isfile(candidate):
        return None
    return candidate


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = IDLE_SECONDS

    def version_string(self):
        return "VelmoraDeploy/1.0"

    def parse_request(self):
        if not super().parse_request():
            return False
        if self.request_version == "HTTP/0.9":
            # A line without a version would get a bare body without status or length.
            self.send_error(400)
            return False
        return True

    def do_GET(self):
        self._answer(send_body=True)

    def do_HEAD(self):
        self._answer(send_body=False)

    def _answer(self, send_body):
        settings = self.server.settings
        path = request_path(self.path)
        if path in settings.statuses:
            code = settings.statuses[path]
            self._send(code, f"{code} {status_phrase(code)}\r\n".encode(), "text/plain", send_body)
            return
        source = settings.replacements.get(path)
        if source is None:
            local_address = self.connection.getsockname()[0]
            folder = os.path.join(settings.root, local_address)
            try:
                source = file_for(folder, path) if os.path.isdir(folder) else None
            except UnicodeDecodeError:
                source = None
        if source is None:
            self._send(404, b"404 Not Found\r\n", "text/plain", send_body)
            return
        try:
            with open(source, "rb") as f:
                body = f.read()
        except OSError:
            self._send(404, b"404 Not Found\r\n", "text/plain", send_body)
            return
        self._send(200, body, "application/octet-stream", send_body, settings.rates.get(path),
                   settings.cuts.get(path))

    def _send(self, code, body, content_type, send_body, rate=None, cut=None):
        self._body_bytes = len(body) if send_body else 0
        self.send_response(code, status_phrase(code))
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not send_body:
            return
        if cut is not None:
            self.wfile.write(body[:cut])
            self.wfile.flush()
            self.close_connection = True
            self._body_bytes = min(cut, len(body))
            return
        if not rate:
            self.wfile.write(body)
            return
        # Ten slices a second, each sent and flushed on its own, so the client sees a steady trickle.
        self.wfile.flush()
        slice_size = max(1, rate // 10)
        for start in range(0, len(body), slice_size):
            self.wfile.write(body[start:start + slice_size])
            self.wfile.flush()
            if start + slice_size < len(body):
                time.sleep(0.1)

    def send_error(self, code, message=None, explain=None):
        # Malformed requests and unknown methods: a short body with its length, then close.
        # The reply is always a full HTTP/1.1 one, also to a line that looked like HTTP/0.9.
        self.close_connection = True
        self.request_version = self.protocol_version
        body = f"{code} {status_phrase(code)}\r\n".encode()
        self._body_bytes = len(body)
        self.send_response(code, status_phrase(code))
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD" and code >= 200 and code not in (204, 304):
            self.wfile.write(body)

    def log_request(self, code="-", size="-"):
        client = self.client_address
        local = self.connection.getsockname()
        line = self.requestline.replace("\\", "\\\\").replace('"', '\\"')
        status = int(code) if isinstance(code, (int, http.HTTPStatus)) else code
        self.server.settings.log.write(
            f'{client[0]}:{client[1]} -> {local[0]}:{local[1]} "{line}" {status} '
            f"{getattr(self, '_body_bytes', 0)}")

    def log_error(self, format, *args):
        pass  # the request's own line (log_request) says what happened

    def log_message(self, format, *args):
        pass


def status_phrase(code):
    try:
        return http.HTTPStatus(code).phrase
    except ValueError:
        return "Status"


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, port, settings):
        self.settings = settings
        super().__init__((address, port), Handler)

    def handle_error(self, request, client_address):
        # A client that drops its connection is ordinary here; anything else gets one line.
        # No tracebacks: a caller that reads standard error only at the end would see its pipe
        # fill up and the server stall.
        error = sys.exc_info()[1]
        if isinstance(error, ConnectionError):
            return
        print(f"deploy_server.py: {client_address[0]}:{client_address[1]}: "
              f"{type(error).__name__}: {error}", file=sys.stderr, flush=True)


def key_value(text, kind):
    path, separator, value = text.partition("=")
    if not separator or not path.startswith("/"):
        raise argparse.ArgumentTypeError(f"{kind} wants PATH=VALUE with PATH starting with /")
    return path, value


def key_number(text, kind, valid, meaning):
    """PATH=N with N a whole number for which valid(N) holds."""
    path, value = key_value(text, kind)
    try:
        number = int(value)
    except ValueError:
        raise argparse.ArgumentTypeError(f"{kind} value {value!r} is not a number") from None
    if not valid(number):
        raise argparse.ArgumentTypeError(f"{kind} value {number} is not {meaning}")
    return path, number


def parse_status(text):
    return key_number(text, "--status", lambda code: 100 <= code <= 599, "an HTTP status")


def parse_replace(text):
    path, source = key_value(text, "--replace")
    if not os.path.isfile(source):
        raise argparse.ArgumentTypeError(f"--replace file {source!r} does not exist")
    return path, os.path.abspath(source)


def parse_rate(text):
    return key_number(text, "--rate", lambda rate: rate > 0, "a positive byte rate")


def parse_cut(text):
    return key_number(text, "--cut", lambda count: count >= 0, "a byte count")


def parse_address(text):
    try:
        address = ipaddress.IPv4Address(text)
    except ipaddress.AddressValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not an IPv4 address") from None
    if not address.is_loopback:
        raise argparse.ArgumentTypeError(f"{text} is not a loopback address")
    return str(address)


def write_ready_file(path, servers):
    text = "".join(f"{s.server_address[0]} {s.server_address[1]}\n" for s in servers)
    temporary = path + ".part"
    with open(temporary, "w") as f:
        f.write(text)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description="Loopback deployment server.")
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=47811)
    parser.add_argument("--log")
    parser.add_argument("--ready-file")
    parser.add_argument("--address", type=parse_address, action="append")
    parser.add_argument("--status", type=parse_status, action="append", default=[])
    parser.add_argument("--replace", type=parse_replace, action="append", default=[])
    parser.add_argument("--rate", type=parse_rate, action="append", default=[])
    parser.add_argument("--cut", type=parse_cut, action="append", default=[])
    args = parser.parse_args()
    if not os.path.isdir(args.root):
        parser.error(f"--root {args.root!r} is not a folder")

    settings = Settings(args.root, RequestLog(args.log), dict(args.status), dict(args.replace),
                        dict(args.rate), dict(args.cut))
    servers = []
    try:
        for address in args.address or DEFAULT_ADDRESSES:
            servers.append(Server(address, args.port, settings))
    except OSError as error:
        print(f"deploy_server.py: cannot listen on port {args.port}: {error}", file=sys.stderr)
        for server in servers:
            server.server_close()
        return 2

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    threads = [threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
               for s in servers]
    for thread in threads:
        thread.start()
    if args.ready_file:
        write_ready_file(args.ready_file, servers)
    while not stop.wait(0.5):
        pass
    for server in servers:
        server.shutdown()
        server.server_close()
    if args.ready_file and os.path.exists(args.ready_file):
        os.remove(args.ready_file)
    return 0


if __name__ == "__main__":
    sys.exit(main())
