#!/usr/bin/env python3
"""tests/demo/nginx_site_test.py -- tests/support/nginx_site.py: nginx serving a site on loopback.

    nginx_site_test.py

Serves a small site made here (different files for 127.0.0.1 and 127.0.0.2) on a port free on
both addresses, and checks: bytes exactly, three requests over one kept-alive connection, each
address its own folder, 404 for a missing file and for folders (no listing), the access log read
back, the written files confined to the work folder, and that stopping leaves no nginx process of
this work folder. Over TLS (a test authority made by openssl): both addresses verified by a
client that trusts only that authority, over TLS 1.2 and 1.3, a redirect and a cookie sent back
in the log; a client trusting no one refused without a logged request. Then a port held by
another socket and a missing nginx, each refused with one clear message. Every wait is bounded.

Prints one line per check and a closing "N passed, M failed"; exits 1 when any check failed.
"""

import http.client
import os
import re
import socket
import ssl
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import nginx_site  # noqa: E402
import script_checks  # noqa: E402
import test_certificates  # noqa: E402

BOUND_SECONDS = 10
DESCRIPTOR = b"[vlmv2menu]\r\nURL=http://127.0.0.1/vlmv2menu.pkg\r\n"
PACKAGE = bytes(range(256)) * 400  # every byte value, bigger than one socket read
STAGING = b"[vlmv2menu]\r\nRelease=staging\r\n"
DEVELOPMENT = b"[vlmv2menu]\r\nRelease=development\r\n"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_site(root):
    write(os.path.join(root, "127.0.0.1", "deploy.vlm"), DESCRIPTOR)
    write(os.path.join(root, "127.0.0.1", "vlmv2menu.pkg"), PACKAGE)
    write(os.path.join(root, "127.0.0.1", "staging", "deploy.vlm"), STAGING)
    write(os.path.join(root, "127.0.0.2", "deploy.vlm"), DEVELOPMENT)


def free_port():
    """A port that nothing listens on at 127.0.0.1 nor at 127.0.0.2."""
    for _ in range(50):
        with socket.socket() as first:
            first.bind(("127.0.0.1", 0))
            port = first.getsockname()[1]
        if not any(nginx_site.port_taken(a, port) for a in nginx_site.DEFAULT_ADDRESSES):
            return port
    raise RuntimeError("no port free on both loopback addresses")


def nginx_processes(config):
    """Ids of processes whose command line names this configuration (the nginx master)."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                if config.encode() in f.read():
                    found.append(int(entry))
        except OSError:
            pass
    return found


def alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False


def get(port, path, address="127.0.0.1", context=None, headers=None):
    if context:
        connection = http.client.HTTPSConnection(address, port, timeout=BOUND_SECONDS,
                                                 context=context)
    else:
        connection = http.client.HTTPConnection(address, port, timeout=BOUND_SECONDS)
    try:
        connection.request("GET", path, headers=headers or {})
        reply = connection.getresponse()
        return reply.status, reply.read(), reply.getheader("Location"), reply.getheader(
            "Set-Cookie")
    finally:
        connection.close()


def test_serving(t, site, work):
    started = time.time() - 1  # nginx's clock has millisecond steps
    port = free_port()
    server = nginx_site.NginxSite(site, work, port)
    with server:
        pids = [server.process.pid] + nginx_site.children(server.process.pid)
        t.check("nginx runs a master and a worker", len(pids) >= 2, pids)

        # Three requests on one socket: http.client would silently open a new one if nginx closed it.
        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=BOUND_SECONDS)
        replies = []
        for path in ("/deploy.vlm", "/vlmv2menu.pkg", "/staging/deploy.vlm"):
            connection.request("GET", path)
            reply = connection.getresponse()
            replies.append((reply.status, reply.getheader("Content-Type"), reply.read(),
                            connection.sock))
        connection.close()
        t.check("one kept-alive connection carries three requests",
                all(r[3] is replies[0][3] and r[3] is not None for r in replies))
        t.check("bodies are the files' bytes, sent as application/octet-stream",
                [r[:3] for r in replies] == [
                    (200, "application/octet-stream", DESCRIPTOR),
                    (200, "application/octet-stream", PACKAGE),
                    (200, "application/octet-stream", STAGING)],
                [(r[0], r[1], len(r[2])) for r in replies])

        status, body = get(port, "/deploy.vlm", "127.0.0.2")[:2]
        t.check("127.0.0.2 serves its own folder", (status, body) == (200, DEVELOPMENT),
                f"{status} {body!r}")
        status, _ = get(port, "/vlmv2menu.pkg", "127.0.0.2")[:2]
        t.check("127.0.0.2 does not serve 127.0.0.1's files", status == 404, status)
        status, _ = get(port, "/release.inf")[:2]
        t.check("a missing file gives 404", status == 404, status)
        for path in ("/", "/staging/", "/staging"):
            status, body = get(port, path)[:2]
            t.check(f"folder {path} gives 404 and no listing",
                    status == 404 and b"deploy.vlm" not in body, f"{status} {body[:80]!r}")

        with open(server.config) as f:
            written = re.findall(r'"(/[^"]*)"', f.read())
        t.check("every path nginx is given lies in the work folder or the site",
                written and all(p.startswith((work + os.sep, site + os.sep)) for p in written)
                and all(os.path.isdir(os.path.join(work, "temp", name))
                        for name in nginx_site.TEMP_PATHS), written)

    requests = server.requests()
    t.check("the access log holds every request: address, request line, status",
            [(r.address, r.line, r.status) for r in requests] == [
                ("127.0.0.1", "GET /deploy.vlm HTTP/1.1", 200),
                ("127.0.0.1", "GET /vlmv2menu.pkg HTTP/1.1", 200),
                ("127.0.0.1", "GET /staging/deploy.vlm HTTP/1.1", 200),
                ("127.0.0.2", "GET /deploy.vlm HTTP/1.1", 200),
                ("127.0.0.2", "GET /vlmv2menu.pkg HTTP/1.1", 404),
                ("127.0.0.1", "GET /release.inf HTTP/1.1", 404),
                ("127.0.0.1", "GET / HTTP/1.1", 404),
                ("127.0.0.1", "GET /staging/ HTTP/1.1", 404),
                ("127.0.0.1", "GET /staging HTTP/1.1", 404)], requests)
    t.check("the log shows the kept-alive requests on one connection",
            len({(r.client, r.connection) for r in requests[:3]}) == 1
            and requests[3].connection != requests[0].connection, requests[:4])
    t.check("the log's end times follow the requests, within this test",
            all(started <= r.end - r.duration <= r.end <= time.time() for r in requests)
            and [r.end for r in requests] == sorted(r.end for r in requests), requests[:2])
    t.check("stop leaves no nginx process of this work folder",
            not any(alive(pid) and nginx_site.alive_nginx(pid) for pid in pids)
            and nginx_processes(server.config) == [], pids)
    t.check("stop closes the port", not nginx_site.accepts("127.0.0.1", port))


def test_tls(t, site, work):
    certs = os.path.join(work, "certs")
    authority = test_certificates.make_authority(certs, "nginx site test authority")
    served = test_certificates.issue(certs, "server", authority, "IP:127.0.0.1,IP:127.0.0.2")
    tls = nginx_site.Tls(*served)
    port = free_port()
    redirect = f"http://127.0.0.1:{port}/deploy.vlm"
    server = nginx_site.NginxSite(site, os.path.join(work, "nginx"), port, tls=tls,
                                  redirects={"/moved": redirect}, cookie="sid=7; Secure; Path=/")
    with server:
        for version in (ssl.TLSVersion.TLSv1_2, ssl.TLSVersion.TLSv1_3):
            context = ssl.create_default_context(cafile=authority[0])
            context.minimum_version = context.maximum_version = version
            results = [get(port, path, address, context, {"Cookie": "sid=7"})
                       for path, address in (("/vlmv2menu.pkg", "127.0.0.1"),
                                             ("/deploy.vlm", "127.0.0.2"))]
            t.check(f"TLS: {version.name}: each address's file, verified by name",
                    [r[:2] for r in results] == [(200, PACKAGE), (200, DEVELOPMENT)],
                    [r[0] for r in results])
            t.check(f"TLS: {version.name}: the cookie is set on every reply",
                    all(r[3] == "sid=7; Secure; Path=/" for r in results), results[0][3])
        status, _, location, _ = get(port, "/moved", context=ssl.create_default_context(
            cafile=authority[0]))
        t.check("TLS: a redirect answers 302 with its URL", (status, location) == (302, redirect),
                (status, location))
        logged = len(server.requests())
        try:
            get(port, "/deploy.vlm", context=ssl.create_default_context(cafile=served[0]))
            refused = False
        except ssl.SSLError:
            refused = True
        t.check("TLS: a client without the authority refuses the server", refused)
        requests = server.requests()
        t.check("TLS: the refused handshake logs no request, the others their cookie",
                len(requests) == logged == 5 and requests[0].cookie == "sid=7", requests)


def test_refusals(t, site, work):
    port = free_port()
    with socket.socket() as holder:
        holder.bind(("127.0.0.2", port))
        holder.listen(1)
        try:
            nginx_site.NginxSite(site, work, port).start()
            message = None
        except nginx_site.NginxError as e:
            message = str(e)
    t.check("a port held by another program is refused by name",
            message == f"port {port} on 127.0.0.2 is taken by another program", message)

    search = nginx_site.NGINX_SEARCH
    nginx_site.NGINX_SEARCH = work  # a folder without nginx
    try:
        nginx_site.NginxSite(site, work, free_port()).start()
        message = None
    except nginx_site.NginxError as e:
        message = str(e)
    finally:
        nginx_site.NGINX_SEARCH = search
    t.check("a missing nginx names its package", message and "package nginx" in message, message)


def main():
    t = script_checks.Checks()
    with tempfile.TemporaryDirectory(prefix="nginx-site-") as folder:
        site = os.path.join(folder, "site")
        make_site(site)
        test_serving(t, site, os.path.join(folder, "work"))
        test_tls(t, site, os.path.join(folder, "tls"))
        test_refusals(t, site, os.path.join(folder, "refused"))
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
