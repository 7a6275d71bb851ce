#!/usr/bin/env python3
"""tests/tools/vlmtool_get_test.py -- "vlmtool get" end to end against real servers on loopback.

    vlmtool_get_test.py VLMTOOL [EMULATOR...]

EMULATOR is the command that runs VLMTOOL (the wine wrapper for the Windows build); without it
VLMTOOL runs directly. Two servers are used, both on 127.0.0.1 at ports found free at run time:

- python3's http.server, run in this process (HTTP/1.0 replies, one connection per request), with
  a count of the connections it accepts;
- Debian's nginx (/usr/sbin/nginx) with a generated configuration: static files, keep-alive on,
  run as the current user with every path in a temporary folder and "daemon off", stopped at the
  end. Its access log records the connection serial number of every request. Without nginx these
  checks print a "skip" line.

Checked: bodies saved byte for byte, the --events lines (work events and status), the number of
connections, relative URLs, the error line and exit code of a failure with nothing saved, the
body limit (--max-size) in every framing, and usage errors. Prints one line per check and a closing "N passed, M failed"; exits 1 when any check
failed.
"""

import functools
import http.server
import os
import shlex
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

NGINX = "/usr/sbin/nginx"
BOUND_SECONDS = 10  # the longest any wait for a server lasts


class Runner(script_checks.Checks):
    def __init__(self, tool, emulator):
        super().__init__()
        self.tool = tool
        self.emulator = emulator

    def run(self, *args):
        """Runs the tool; returns (exit code, stdout bytes, stderr bytes)."""
        command = self.emulator + [self.tool] + [str(a) for a in args]
        done = script_checks.run_program(command, timeout=300)
        return done.returncode, done.stdout, done.stderr


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def free_port():
    """A loopback port that nothing listens on right now."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_listening(port):
    deadline = time.monotonic() + BOUND_SECONDS
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def make_site(folder):
    """The files both servers serve; returns {name: bytes}."""
    files = {
        "big.bin": bytes((i * 7 + i // 251) % 256 for i in range(70000)),
        "deploy.vlm": b"[Deploy]\r\nURL=menu.pkg\r\n",
        "menu.pkg": b"PK\x03\x04" + bytes(range(256)) * 9,
        "release.inf": b"Release=2.0.1\r\n",
    }
    os.makedirs(os.path.join(folder, "dir"), exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, "dir", name), "wb") as f:
            f.write(data)
    return files


def parse_events(text):
    """The --events lines grouped per call: a list of (events, status line)."""
    calls, events = [], []
    for line in text.decode("utf-8").split("\n"):
        if not line:
            continue
        if line.startswith("status "):
            calls.append((events, line))
            events = []
        else:
            events.append(line)
    return calls


def counted_events_ok(events, size):
    """begin read SIZE, rising running totals ending at SIZE in steps of at most 32768, end."""
    if len(events) < 3 or events[0] != f"begin read {size}" or events[-1] != "end read":
        return False
    previous = 0
    for line in events[1:-1]:
        if not line.startswith("work read "):
            return False
        count = int(line.split()[2])
        if count <= previous or count - previous > 32768:
            return False
        previous = count
    return previous == size


class CountingHandler(http.server.SimpleHTTPRequestHandler):
    connections = 0
    lock = threading.Lock()

    def setup(self):
        with CountingHandler.lock:
            CountingHandler.connections += 1
        super().setup()

    def do_GET(self):
        # /announce/N: a Content-Length of N, then only one byte and silence until the client goes.
        if self.path.startswith("/announce/"):
            size = int(self.path.rsplit("/", 1)[1])
            self.wfile.write(f"HTTP/1.1 200 OK\r\nContent-Length: {size}\r\n\r\nx".encode())
            self.wfile.flush()
            self.connection.settimeout(BOUND_SECONDS)
            try:
                self.connection.recv(1)
            except OSError:
                pass
            self.close_connection = True
            return
        # /chunked/N: N bytes in chunks of 1000 at most.
        if self.path.startswith("/chunked/"):
            body = stream_body(int(self.path.rsplit("/", 1)[1]))
            reply = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            for at in range(0, len(body), 1000):
                piece = body[at:at + 1000]
                reply += b"%x\r\n" % len(piece) + piece + b"\r\n"
            self.wfile.write(reply + b"0\r\n\r\n")
            self.close_connection = True
            return
        # /stream/N: N bytes without a Content-Length, ended by closing the connection.
        if self.path.startswith("/stream/"):
            size = int(self.path.rsplit("/", 1)[1])
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            self.wfile.write(stream_body(size))
            self.close_connection = True
            return
        super().do_GET()

    def log_message(self, *args):
        pass


def stream_body(size):
    return bytes((i * 13) % 251 for i in range(size))


def test_http_server(t, folder, site):
    handler = functools.partial(CountingHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    port = server.server_address[1]
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        base = f"http://127.0.0.1:{port}/dir/"
        out = os.path.join(folder, "out")
        os.makedirs(out, exist_ok=True)

        CountingHandler.connections = 0
        code, stdout, stderr = t.run("get", "--events", base + "big.bin",
                                     os.path.join(out, "big.bin"))
        calls = parse_events(stdout)
        t.check("http.server: 70000-byte file, exit 0", code == 0 and stderr == b"",
                f"exit {code} {stderr!r}")
        t.check("http.server: body saved byte for byte",
                read_bytes(os.path.join(out, "big.bin")) == site["big.bin"])
        t.check("http.server: work events of a counted body",
                len(calls) == 1 and counted_events_ok(calls[0][0], 70000), repr(stdout[:400]))
        t.check("http.server: status line",
                len(calls) == 1 and calls[0][1] == "status 200 HTTP/1.0 200 OK", repr(calls))

        CountingHandler.connections = 0
        names = ["deploy.vlm", "menu.pkg", "release.inf"]
        args = ["get", "--events", base + names[0], os.path.join(out, names[0])]
        for name in names[1:]:  # relative URLs, resolved against the previous request
            args += [name, os.path.join(out, name)]
        code, stdout, stderr = t.run(*args)
        calls = parse_events(stdout)
        t.check("http.server: three files in a row, exit 0", code == 0, f"exit {code} {stderr!r}")
        t.check("http.server: three bodies saved",
                all(read_bytes(os.path.join(out, n)) == site[n] for n in names))
        t.check("http.server: events and status per call",
                len(calls) == 3 and all(counted_events_ok(ev, len(site[n])) and
                                        st == "status 200 HTTP/1.0 200 OK"
                                        for (ev, st), n in zip(calls, names)), repr(calls))
        t.check("http.server: HTTP/1.0 replies close, one connection per call",
                CountingHandler.connections == 3, f"{CountingHandler.connections} connections")

        code, stdout, stderr = t.run("get", "--events", f"http://127.0.0.1:{port}/stream/70000",
                                     os.path.join(out, "stream"))
        calls = parse_events(stdout)
        events = calls[0][0] if len(calls) == 1 else []
        t.check("http.server: close-delimited body saved",
                code == 0 and read_bytes(os.path.join(out, "stream")) == stream_body(70000),
                f"exit {code} {stderr!r}")
        t.check("http.server: close-delimited body reports a maximum of 0",
                len(events) >= 3 and events[0] == "begin read 0" and
                events[-2] == "work read 70000" and events[-1] == "end read", repr(events))

        # A failure stops the tool: what came before is saved, the failed OUT and the rest not.
        first, missing, after = (os.path.join(out, n) for n in ("f1", "f2", "f3"))
        with open(missing, "wb") as f:
            f.write(b"old")
        code, stdout, stderr = t.run("get", base + "deploy.vlm", first, base + "nope.vlm",
                                     missing, base + "release.inf", after)
        t.check("http.server: 404 gives the error line and exit 1",
                code == 1 and stdout == b"" and
                stderr == b"error ENetHTTPProtocolException: HTTP/1.0 404 File not found\n",
                f"exit {code} {stdout!r} {stderr!r}")
        t.check("http.server: 404 saves nothing and stops",
                read_bytes(first) == site["deploy.vlm"] and read_bytes(missing) == b"old"
                and not os.path.exists(after))
    finally:
        server.shutdown()
        server.server_close()


def test_body_limits(t, folder):
    """Each URL's body is refused beyond --max-size (default 512 MiB), in every framing, with
    nothing saved for it."""
    handler = functools.partial(CountingHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    port = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        base = f"http://127.0.0.1:{port}"
        for label, path, limit, ok in (
                ("until close at the limit", "/stream/1000", 1000, True),
                ("until close above the limit", "/stream/1001", 1000, False),
                ("chunked at the limit", "/chunked/3000", 3000, True),
                ("chunked above the limit", "/chunked/3001", 3000, False),
                ("announced above the limit", "/announce/1001", 1000, False),
                ("announced above the default 512 MiB", "/announce/536870913", None, False)):
            target = os.path.join(folder, "limit.out")
            if os.path.exists(target):
                os.remove(target)
            sizes = ["--max-size", str(limit)] if limit else []
            code, stdout, stderr = t.run("get", *sizes, base + path, target)
            if ok:
                t.check(f"--max-size: {label}, saved", code == 0 and
                        os.path.getsize(target) == int(path.rsplit("/", 1)[1]),
                        f"exit {code} {stderr!r}")
                continue
            want = (f"error ENetBodyTooLarge: The download from {base}{path} is larger than the "
                    f"limit of {limit or 536870912} bytes.\n").encode()
            t.check(f"--max-size: {label}, refused with nothing saved",
                    code == 1 and stderr == want and not os.path.exists(target),
                    f"exit {code} {stderr!r}")
    finally:
        server.shutdown()
        server.server_close()


def test_refused_and_usage(t, folder):
    port = free_port()
    target = os.path.join(folder, "refused.out")
    code, stdout, stderr = t.run("get", f"http://127.0.0.1:{port}/a", target)
    t.check("refused connection: socket error line",
            code == 1 and stderr ==
            b"error ENetSocketError: Socket Error # 10061\\r\\nConnection refused.\n"
            and not os.path.exists(target), f"exit {code} {stderr!r}")
    for name, args in (("without a pair", ["get"]), ("only --events", ["get", "--events"]),
                       ("odd count", ["get", "http://127.0.0.1/a"]),
                       ("--max-size without a count", ["get", "--max-size"]),
                       ("--max-size 0", ["get", "--max-size", "0", "http://127.0.0.1/a", "o"]),
                       ("--max-size not a number",
                        ["get", "--max-size", "1k", "http://127.0.0.1/a", "o"]),
                       ("--max-size above 2147483647",
                        ["get", "--max-size", "2147483648", "http://127.0.0.1/a", "o"])):
        code, stdout, stderr = t.run(*args)
        t.check(f"usage: {name}", code == 2 and stdout == b"" and b"usage" in stderr,
                f"exit {code} {stderr!r}")


NGINX_CONF = """\
worker_processes 1;
daemon off;
master_process off;
pid {tmp}/nginx.pid;
error_log {tmp}/error.log;
events {{ worker_connections 64; }}
http {{
    client_body_temp_path {tmp}/body;
    proxy_temp_path {tmp}/proxy;
    fastcgi_temp_path {tmp}/fastcgi;
    uwsgi_temp_path {tmp}/uwsgi;
    scgi_temp_path {tmp}/scgi;
    log_format conn '$connection $connection_requests $request_uri $status';
    access_log {tmp}/access.log conn;
    keepalive_timeout 65;
    keepalive_requests 100;
    default_type application/octet-stream;
    server {{
        listen 127.0.0.1:{port};
        root {root};
    }}
}}
"""


def start_nginx(tmp, root):
    """Starts nginx on a free port; returns (process, port), or (None, None)."""
    for _ in range(5):  # a port found free can be taken before nginx binds it
        port = free_port()
        conf = os.path.join(tmp, "nginx.conf")
        with open(conf, "w") as f:
            f.write(NGINX_CONF.format(tmp=tmp, port=port, root=root))
        process = subprocess.Popen([NGINX, "-p", tmp, "-c", conf], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        if wait_listening(port) and process.poll() is None:
            return process, port
        process.kill()
        process.wait(timeout=BOUND_SECONDS)
    return None, None


def access_log(tmp):
    path = os.path.join(tmp, "access.log")
    return read_bytes(path).decode().splitlines() if os.path.exists(path) else []


def test_nginx(t, folder, site):
    if not os.path.exists(NGINX):
        print(f"skip nginx: {NGINX} is not installed")
        return
    tmp = tempfile.mkdtemp(prefix="nginx-", dir=folder)
    process, port = start_nginx(tmp, folder)
    if process is None:
        t.check("nginx: starts on a loopback port", False, read_bytes(
            os.path.join(tmp, "error.log")) if os.path.exists(os.path.join(tmp, "error.log"))
            else "no error log")
        return
    try:
        base = f"http://127.0.0.1:{port}/dir/"
        out = os.path.join(folder, "nginx-out")
        os.makedirs(out, exist_ok=True)
        names = ["big.bin", "deploy.vlm", "menu.pkg", "release.inf"]
        args = ["get", "--events", base + names[0], os.path.join(out, names[0])]
        for name in names[1:]:
            args += [base + name, os.path.join(out, name)]
        code, stdout, stderr = t.run(*args)
        calls = parse_events(stdout)
        t.check("nginx: four files in a row, exit 0", code == 0 and stderr == b"",
                f"exit {code} {stderr!r}")
        t.check("nginx: bodies saved byte for byte",
                all(read_bytes(os.path.join(out, n)) == site[n] for n in names))
        t.check("nginx: work events and status per call",
                len(calls) == 4 and all(counted_events_ok(ev, len(site[n])) and
                                        st == "status 200 HTTP/1.1 200 OK"
                                        for (ev, st), n in zip(calls, names)),
                repr(stdout[:600]))
        # The access log is written when each request ends; give the last line a moment.
        deadline = time.monotonic() + BOUND_SECONDS
        while len(access_log(tmp)) < 4 and time.monotonic() < deadline:
            time.sleep(0.05)
        lines = access_log(tmp)
        connections = {line.split()[0] for line in lines}
        t.check("nginx: keep-alive serves the four requests over one connection",
                len(lines) == 4 and len(connections) == 1 and
                [line.split()[1] for line in lines] == ["1", "2", "3", "4"], repr(lines))

        # A second run: a 404 raises, and the connection count shows a new connection per run.
        code, stdout, stderr = t.run("get", base + "absent", os.path.join(out, "absent"))
        t.check("nginx: 404 gives the error line",
                code == 1 and stderr == b"error ENetHTTPProtocolException: HTTP/1.1 404 Not Found\n"
                and not os.path.exists(os.path.join(out, "absent")), f"exit {code} {stderr!r}")
    finally:
        process.kill()
        process.wait(timeout=BOUND_SECONDS)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tool = os.path.abspath(sys.argv[1])
    emulator = [part for arg in sys.argv[2:] for part in shlex.split(arg)]
    t = Runner(tool, emulator)
    with tempfile.TemporaryDirectory(prefix="vlmtool-get-") as folder:
        site = make_site(folder)
        test_http_server(t, folder, site)
        test_body_limits(t, folder)
        test_refused_and_usage(t, folder)
        test_nginx(t, folder, site)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
