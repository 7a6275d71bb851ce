#!/usr/bin/env python3
"""tests/support/nginx_site.py -- serves a deployment site with nginx on loopback.

    nginx_site.py --site DIR --work DIR [--port 47811] [--tls CERT KEY]   (serves until Ctrl-C)

A site folder holds one folder per loopback address, as demo/make_demo_site.py lays it out:
DIR/127.0.0.1/ answers requests that reach 127.0.0.1, DIR/127.0.0.2/ those that reach
127.0.0.2. NginxSite writes an nginx configuration for it into a work folder (nginx.conf, with
the pid file, the lock file, the error and access logs and every temporary folder beside it:
nothing outside the work folder is written, so no root rights are needed) and runs nginx in the
foreground ("daemon off") for the length of a "with" block. The demo (tests/e2e/demo_run.py)
serves the demo site this way; tests/demo/nginx_site_test.py checks it.

What the configuration says:
  - one server block per address ("listen 127.0.0.1:PORT", "listen 127.0.0.2:PORT"), whose
    root is that address's folder; only regular files are served ("try_files $uri =404"), so a
    folder gets 404 and never a listing;
  - no MIME table: every file, deploy.vlm and release.inf included, goes out as
    application/octet-stream, as the setup program reads them as bytes;
  - keep-alive on (30 s idle, up to 1000 requests a connection): the setup program fetches
    descriptor, package and release information over one connection;
  - an access log with one line per request, flushed at once:
        <local ip>:<port> <client ip>:<port> <connection number> "<request line>" <status> <bytes>
        "<Cookie header or ->" <end, seconds since the epoch> <duration, seconds>
    requests() reads it back as (address, request line, status, client, connection, cookie,
    end, duration); end and duration have millisecond steps (the benchmarks' phases).
  - with a Tls(certificate chain, key[, protocols, ciphers]): https instead of http on the port
    (TLS 1.2 and 1.3 unless told otherwise; the tests also set old protocols to see them
    refused). A TLS handshake that fails never becomes a request, so it is not in the access log.
  - redirects {path: URL} answer that exact path with "302 Found" to URL; a cookie, when given,
    is sent with every reply as a Set-Cookie header (to see which requests carry it back).
  - run by root, nginx hands requests to worker processes under the "user" directive's account
    (nobody when none is named), which often cannot read a build tree. The workers then run as
    the owner of the site folder: the account that made the files can read them, and no account
    gets more than that. Run by anyone else, nginx keeps its own user and no "user" is written.

Starting waits (at most READY_SECONDS) until every address accepts a connection and nginx has
started its worker (which it does only once every listening socket is open, so a connection taken
by another program on the port does not count), and raises NginxError with nginx's error log
otherwise; a port already taken and a missing nginx each give one line saying so. Stopping asks
nginx to quit, then terminates and at last kills it and any worker left behind, each step bounded.
"""

import argparse
import collections
import grp
import os
import pwd
import re
import shutil
import signal
import socket
import subprocess
import sys
import time

READY_SECONDS = 10  # nginx listening on every address
QUIT_SECONDS = 5  # a graceful stop: requests under way finish
STOP_SECONDS = 3  # each further step of stopping
DEFAULT_ADDRESSES = ("127.0.0.1", "127.0.0.2")
# nginx lives in /usr/sbin, which an ordinary user's PATH often leaves out.
NGINX_SEARCH = os.pathsep.join([os.environ.get("PATH", ""), "/usr/sbin", "/usr/local/sbin"])
TEMP_PATHS = ("client_body", "proxy", "fastcgi", "uwsgi", "scgi")
LOG_FORMAT = ('$server_addr:$server_port $remote_addr:$remote_port $connection '
              '"$request" $status $body_bytes_sent "$http_cookie" $msec $request_time')
LOG_LINE = re.compile(r'^([\d.]+):\d+ (\S+) (\d+) "(.*)" (\d{3}) \d+ "(.*)" ([\d.]+) ([\d.]+)$')
BIND_TAKEN = re.compile(r"bind\(\) to ([\d.]+):\d+ failed \(\d+: Address already in use\)")

Request = collections.namedtuple("Request",
                                 "address line status client connection cookie end duration")
# How a site is served over TLS: the certificate file (the server's certificate, then any
# authority certificates sent along), its key, nginx's ssl_protocols and, when set, ssl_ciphers.
Tls = collections.namedtuple("Tls", "certificate key protocols ciphers",
                             defaults=("TLSv1.2 TLSv1.3", None))


class NginxError(Exception):
    pass


def find_nginx():
    found = shutil.which("nginx", path=NGINX_SEARCH)
    if not found:
        raise NginxError("nginx is not installed (install package nginx, or run "
                         "scripts/install_packages.sh as root)")
    return found


def quoted(path):
    """A path as an nginx string. Refuses the characters nginx would read as a variable or an
    escape, so the folder nginx uses is the folder named."""
    if any(c in path for c in '"\\$\n\r'):
        raise NginxError(f"nginx cannot be pointed at {path!r}: it holds \", \\, $ or a line end")
    return f'"{path}"'


def port_taken(address, port):
    """Whether another program listens on address:port (bound the way nginx binds)."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind((address, port))
        except OSError:
            return True
    return False


def accepts(address, port):
    try:
        with socket.create_connection((address, port), timeout=0.5):
            return True
    except OSError:
        return False


def children(pid):
    """The ids of pid's child processes (nginx's workers), read from /proc."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The fields after the command name, which sits in parentheses and may hold blanks.
        if int(stat[stat.rindex(")") + 2:].split()[1]) == pid:
            found.append(int(entry))
    return found


def alive_nginx(pid):
    """Whether pid is still an nginx process (not a later process that reused the id)."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().startswith(b"nginx:")
    except OSError:
        return False


class NginxSite:
    """nginx serving a site folder on loopback for the length of a "with" block."""

    def __init__(self, site, work, port=47811, addresses=DEFAULT_ADDRESSES, tls=None,
                 redirects=None, cookie=None):
        self.site = os.path.abspath(site)
        self.tls = tls
        self.redirects = dict(redirects or {})
        self.cookie = cookie
        self.work = os.path.abspath(work)
        self.port = port
        self.addresses = list(addresses)
        self.config = os.path.join(self.work, "nginx.conf")
        self.error_log = os.path.join(self.work, "error.log")
        self.access_log = os.path.join(self.work, "access.log")
        self.process = None
        self._workers = set()

    def config_text(self):
        w = lambda name: quoted(os.path.join(self.work, name))  # noqa: E731
        lines = [
            f"# Serves {self.site} on loopback; written by tests/support/nginx_site.py.",
            "# Everything nginx writes stays in this folder.",
            "daemon off;",
            "worker_processes 1;",
            f"pid {w('nginx.pid')};",
            f"lock_file {w('nginx.lock')};",
            f"error_log {w('error.log')} notice;",
        ]
        if os.geteuid() == 0:
            owner = os.stat(self.site)
            try:
                lines.append(f"user {pwd.getpwuid(owner.st_uid).pw_name} "
                             f"{grp.getgrgid(owner.st_gid).gr_name};")
            except KeyError:
                raise NginxError(f"the owner of {self.site} has no account name for nginx's "
                                 "workers to run as") from None
        lines += ["", "events {", "    worker_connections 64;", "}", "", "http {",
                  "    types {}",
                  "    default_type application/octet-stream;",
                  "    server_tokens off;",
                  "    sendfile on;",
                  "    autoindex off;",
                  "    keepalive_timeout 30s;",
                  "    keepalive_requests 1000;"]
        lines += [f"    {name}_temp_path {w(os.path.join('temp', name))};" for name in TEMP_PATHS]
        lines += [f"    log_format requests '{LOG_FORMAT}';",
                  f"    access_log {w('access.log')} requests;"]
        for address in self.addresses:
            lines += ["", "    server {",
                      f"        listen {address}:{self.port}{' ssl' if self.tls else ''};",
                      f"        root {quoted(os.path.join(self.site, address))};"]
            lines += self._tls_lines()
            if self.cookie:
                lines.append(f"        add_header Set-Cookie {quoted(self.cookie)} always;")
            for path, url in sorted(self.redirects.items()):
                lines.append(f"        location = {quoted(path)} {{ return 302 {quoted(url)}; }}")
            lines += ["        location / {",
                      "            try_files $uri =404;",
                      "        }",
                      "    }"]
        lines.append("}")
        return "\n".join(lines) + "\n"

    def _tls_lines(self):
        if not self.tls:
            return []
        lines = [f"        ssl_certificate {quoted(os.path.abspath(self.tls.certificate))};",
                 f"        ssl_certificate_key {quoted(os.path.abspath(self.tls.key))};",
                 f"        ssl_protocols {self.tls.protocols};"]
        if self.tls.ciphers:
            lines.append(f"        ssl_ciphers {quoted(self.tls.ciphers)};")
        return lines

    def start(self):
        nginx = find_nginx()
        for address in self.addresses:
            if not os.path.isdir(os.path.join(self.site, address)):
                raise NginxError(f"the site {self.site} has no folder {address}")
            if port_taken(address, self.port):
                raise NginxError(f"port {self.port} on {address} is taken by another program")
        os.makedirs(os.path.join(self.work, "temp"), exist_ok=True)
        for name in ("error.log", "access.log", "nginx.pid"):
            if os.path.exists(os.path.join(self.work, name)):
                os.remove(os.path.join(self.work, name))
        with open(self.config, "w") as f:
            f.write(self.config_text())
        # -e: the error log for what goes wrong before the configuration is read.
        with open(self.error_log, "ab") as log:
            self.process = subprocess.Popen(
                [nginx, "-p", self.work, "-c", self.config, "-e", self.error_log],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        deadline = time.monotonic() + READY_SECONDS
        waiting = list(self.addresses)
        while self.process.poll() is None and time.monotonic() < deadline:
            waiting = [a for a in waiting if not accepts(a, self.port)]
            if not waiting:
                self._workers.update(children(self.process.pid))
                if self._workers:
                    return self
            time.sleep(0.05)
        self.stop()
        log = self.error_text()
        taken = BIND_TAKEN.search(log)
        if taken:
            raise NginxError(f"port {self.port} on {taken.group(1)} is taken by another program")
        raise NginxError(f"nginx did not start serving {', '.join(waiting) or 'its worker'} within "
                         f"{READY_SECONDS} s; its error log:\n{log}")

    def stop(self):
        """Quit, then TERM, then KILL, each bounded; any worker left behind is killed too."""
        if self.process is None:
            return
        master = self.process
        self._workers.update(children(master.pid))
        for sig, seconds in ((signal.SIGQUIT, QUIT_SECONDS), (signal.SIGTERM, STOP_SECONDS),
                             (signal.SIGKILL, STOP_SECONDS)):
            if master.poll() is not None:
                break
            master.send_signal(sig)
            try:
                master.wait(timeout=seconds)
            except subprocess.TimeoutExpired:
                pass
        deadline = time.monotonic() + STOP_SECONDS
        while time.monotonic() < deadline:
            left = [pid for pid in self._workers if alive_nginx(pid)]
            if not left:
                break
            for pid in left:
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
            time.sleep(0.05)
        self.process = None
        self._workers.clear()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def error_text(self):
        try:
            with open(self.error_log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def requests(self):
        """[Request(address, line, status, client, connection)] in the order logged."""
        if not os.path.exists(self.access_log):
            return []
        out = []
        with open(self.access_log, encoding="utf-8", errors="replace") as f:
            for line in f.read().splitlines():
                match = LOG_LINE.match(line)
                if match:
                    out.append(Request(match.group(1), match.group(4), int(match.group(5)),
                                       match.group(2), int(match.group(3)), match.group(6),
                                       float(match.group(7)), float(match.group(8))))
        return out


def main():
    parser = argparse.ArgumentParser(description="Serves a deployment site with nginx on loopback.")
    parser.add_argument("--site", required=True, help="folder with one folder per address")
    parser.add_argument("--work", required=True, help="folder for the configuration and logs")
    parser.add_argument("--port", type=int, default=47811)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"),
                        help="serve https with this certificate (chain) and key")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        tls = Tls(*args.tls) if args.tls else None
        with NginxSite(args.site, args.work, args.port, tls=tls) as site:
            print(f"nginx on {', '.join(site.addresses)} port {site.port}, serving {site.site}; "
                  f"configuration {site.config}; Ctrl-C stops it", flush=True)
            site.process.wait()
    except NginxError as e:
        print(f"error: {e}", file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
