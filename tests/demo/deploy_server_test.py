#!/usr/bin/env python3
"""tests/demo/deploy_server_test.py -- scripts/deploy_server.py against real clients on loopback.

    deploy_server_test.py

Starts the server on ports that the system picks (--port 0, so no fixed port is needed) over a
site made here with different files for 127.0.0.1 and 127.0.0.2, and checks: each address serves
its own folder, bytes exactly, Content-Length and keep-alive (two requests on one connection), the
request log (client and local address, request line, status, flushed before the server stops),
HEAD, the --status, --replace and --rate switches, paths that try to leave the site, unknown methods and a
malformed request, the ready file (present while serving, gone after SIGTERM, exit code 0) and a
port that is taken (exit code 2, no ready file). Every wait is bounded.

Prints one line per check and a closing "N passed, M failed"; exits 1 when any check failed.
"""

import http.client
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "..", "scripts", "deploy_server.py")
BOUND_SECONDS = 10  # the longest any wait lasts
BIG = bytes(range(256)) * 300
DESCRIPTOR_BYTES = len(b"[vlmv2menu]\r\nRelease=one\r\n")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_site(root):
    """Files that differ per address, a nested folder, and a secret beside the site."""
    write(os.path.join(root, "127.0.0.1", "deploy.vlm"), b"[vlmv2menu]\r\nRelease=one\r\n")
    write(os.path.join(root, "127.0.0.1", "staging", "deploy.vlm"),
          b"[vlmv2menu]\r\nRelease=st\r\n")
    write(os.path.join(root, "127.0.0.1", "pkg.bin"), b"the real package")
    write(os.path.join(root, "127.0.0.1", "big.bin"), BIG)
    write(os.path.join(root, "127.0.0.1", "staging", "slow.bin"), BIG)
    write(os.path.join(root, "127.0.0.2", "deploy.vlm"), b"[vlmv2menu]\r\nRelease=two\r\n")
    write(os.path.join(root, "secret.txt"), b"outside the served folders")
    os.symlink(os.path.join(root, "secret.txt"), os.path.join(root, "127.0.0.2", "escape.txt"))


def wait_for_file(path, process):
    deadline = time.monotonic() + BOUND_SECONDS
    while time.monotonic() < deadline:
        if os.path.exists(path) or process.poll() is not None:
            return os.path.exists(path)
        time.sleep(0.05)
    return False


def read_ports(ready_file):
    with open(ready_file) as f:
        return {address: int(port) for address, port in (line.split() for line in f)}


def read_log(path):
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


def get(address, port, path, method="GET"):
    """(status, headers dict lower-cased, body) over a fresh connection."""
    connection = http.client.HTTPConnection(address, port, timeout=BOUND_SECONDS)
    try:
        connection.request(method, path)
        reply = connection.getresponse()
        body = reply.read()
        return reply.status, {k.lower(): v for k, v in reply.getheaders()}, body
    finally:
        connection.close()


def raw_reads(address, port, data):
    """Sends raw bytes and reads until the server closes (bounded): the pieces as received."""
    with socket.create_connection((address, port), timeout=BOUND_SECONDS) as s:
        s.sendall(data)
        chunks = []
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            chunks.append(chunk)
    return chunks


def raw_exchange(address, port, data):
    return b"".join(raw_reads(address, port, data))


def test_serving(t, root, folder, ports, log_path, replacement):
    a, b = ports["127.0.0.1"], ports["127.0.0.2"]
    status, headers, body = get("127.0.0.1", a, "/deploy.vlm")
    t.check("127.0.0.1 serves its own descriptor",
            status == 200 and body == b"[vlmv2menu]\r\nRelease=one\r\n", f"{status} {body!r}")
    t.check("Content-Length matches the body", headers.get("content-length") == str(len(body)),
            str(headers))
    status, _, body = get("127.0.0.2", b, "/deploy.vlm")
    t.check("127.0.0.2 serves the development folder",
            status == 200 and body == b"[vlmv2menu]\r\nRelease=two\r\n", f"{status} {body!r}")
    status, _, body = get("127.0.0.1", a, "/staging/deploy.vlm?x=1")
    t.check("a path below the address folder, query ignored",
            status == 200 and body.endswith(b"Release=st\r\n"), f"{status} {body!r}")
    status, _, body = get("127.0.0.2", b, "/staging/deploy.vlm")
    t.check("127.0.0.2 does not serve 127.0.0.1's files", status == 404, str(status))

    # Keep-alive: two requests on one connection, both answered whole.
    connection = http.client.HTTPConnection("127.0.0.1", a, timeout=BOUND_SECONDS)
    connection.request("GET", "/big.bin")
    first = connection.getresponse().read()
    connection.request("GET", "/deploy.vlm")
    second = connection.getresponse().read()
    client_port = connection.sock.getsockname()[1]
    connection.close()
    t.check("kept-alive connection carries two requests",
            first == BIG and second.endswith(b"Release=one\r\n"))

    status, headers, body = get("127.0.0.1", a, "/big.bin", method="HEAD")
    t.check("HEAD gives the length and no body",
            status == 200 and headers.get("content-length") == "76800" and body == b"",
            f"{status} {headers} {len(body)}")

    status, _, body = get("127.0.0.1", a, "/deploy.vlm404")
    t.check("a missing file gives 404", status == 404, str(status))
    status, _, _ = get("127.0.0.1", a, "/")
    t.check("a folder gives 404", status == 404, str(status))
    for path in ("/../secret.txt", "/%2e%2e/secret.txt", "/staging/..%2f..%2fsecret.txt",
                 "/..\\secret.txt"):
        status, _, body = get("127.0.0.1", a, path)
        t.check(f"path {path} stays inside the site", status == 404 and b"outside" not in body,
                f"{status} {body!r}")
    status, _, body = get("127.0.0.2", b, "/escape.txt")
    t.check("a link leading out of the site is not followed",
            status == 404 and b"outside" not in body, f"{status} {body!r}")

    status, _, body = get("127.0.0.1", a, "/gone.vlm")
    t.check("--status answers the path with its code", status == 410, str(status))
    status1, _, _ = get("127.0.0.1", a, "/release.inf")
    t.check("--status applies on every address", status1 == 503, str(status1))
    status, _, body = get("127.0.0.1", a, "/pkg.bin?v=2")
    with open(replacement, "rb") as f:
        expected = f.read()
    t.check("--replace serves the other file's bytes", status == 200 and body == expected,
            f"{status} {body[:40]!r}")

    # 76800 bytes at 76800 bytes per second: ten slices 0.1 s apart, so the reads see pieces.
    pieces = raw_reads("127.0.0.1", a,
                       b"GET /staging/slow.bin HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
    answer = b"".join(pieces)
    t.check("--rate sends the whole body, in slices",
            answer.startswith(b"HTTP/1.1 200 ") and answer.endswith(BIG) and len(pieces) >= 3,
            f"{len(pieces)} pieces, {len(answer)} bytes")

    status, _, _ = get("127.0.0.1", a, "/deploy.vlm", method="POST")
    t.check("an unknown method gets 501", status == 501, str(status))
    answer = raw_exchange("127.0.0.1", a, b"BOGUS LINE\r\n\r\n")
    t.check("a malformed request gets a full 400 reply and a closed connection",
            answer.startswith(b"HTTP/1.1 400 ") and b"\r\nContent-Length: " in answer, answer[:60])
    answer = raw_exchange("127.0.0.1", a, b"GET /deploy.vlm\r\n\r\n")
    t.check("a request without a version (HTTP/0.9) is refused with a full 400 reply",
            answer.startswith(b"HTTP/1.1 400 ") and b"Release=" not in answer, answer[:60])

    lines = read_log(log_path)
    t.check("every request is logged", len(lines) == 21,
            f"{len(lines)} lines:\n" + "\n".join(lines))
    t.check("log line holds client, local address, request line, status and size",
            lines and lines[0].startswith("127.0.0.1:")
            and lines[0].endswith(
                f'-> 127.0.0.1:{a} "GET /deploy.vlm HTTP/1.1" 200 {DESCRIPTOR_BYTES}'),
            lines[:1])
    t.check("log tells the development address",
            any(line.endswith(f'-> 127.0.0.2:{b} "GET /deploy.vlm HTTP/1.1" 200 {DESCRIPTOR_BYTES}')
                for line in lines))
    same_connection = [line for line in lines if line.startswith(f"127.0.0.1:{client_port} ")]
    t.check("log shows both kept-alive requests on one client port", len(same_connection) == 2,
            same_connection)
    t.check("log holds the 404 switch's answer",
            any('"GET /gone.vlm HTTP/1.1" 410' in line for line in lines))
    t.check("log holds the malformed request line",
            any('"BOGUS LINE" 400' in line for line in lines))


def test_lifecycle(t, root, folder):
    ready = os.path.join(folder, "ready")
    log_path = os.path.join(folder, "requests.log")
    replacement = os.path.join(folder, "not-a-zip.pkg")
    write(replacement, b"this is no zip archive\r\n")
    process = subprocess.Popen(
        [sys.executable, SERVER, "--root", root, "--port", "0", "--log", log_path,
         "--ready-file", ready, "--status", "/gone.vlm=410", "--status", "/release.inf=503",
         "--replace", f"/pkg.bin={replacement}", "--rate", "/staging/slow.bin=76800"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        if not wait_for_file(ready, process):
            t.check("server becomes ready", False, process.stderr.read().decode(errors="replace"))
            return
        ports = read_ports(ready)
        t.check("ready file names both addresses", sorted(ports) == ["127.0.0.1", "127.0.0.2"],
                str(ports))
        t.check("log file exists and is empty before any request",
                os.path.exists(log_path) and read_log(log_path) == [])
        test_serving(t, root, folder, ports, log_path, replacement)
        process.send_signal(signal.SIGTERM)
        code = process.wait(timeout=BOUND_SECONDS)
        t.check("SIGTERM stops the server with exit code 0", code == 0, str(code))
        t.check("the ready file is gone after the stop", not os.path.exists(ready))
    finally:
        if process.poll() is None:
            process.kill()
            process.wait(timeout=BOUND_SECONDS)


def test_port_taken(t, root, folder):
    ready = os.path.join(folder, "ready-taken")
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as holder:
        holder.bind(("127.0.0.1", 0))
        holder.listen(1)
        port = holder.getsockname()[1]
        done = subprocess.run(
            [sys.executable, SERVER, "--root", root, "--port", str(port), "--address",
             "127.0.0.1", "--ready-file", ready], capture_output=True, timeout=BOUND_SECONDS)
    t.check("a taken port ends the server with exit code 2", done.returncode == 2,
            f"{done.returncode} {done.stderr!r}")
    t.check("a taken port leaves no ready file", not os.path.exists(ready))
    done = subprocess.run([sys.executable, SERVER, "--root", root, "--address", "10.0.0.1"],
                          capture_output=True, timeout=BOUND_SECONDS)
    t.check("a non-loopback address is refused",
            done.returncode == 2 and b"loopback" in done.stderr,
            f"{done.returncode} {done.stderr!r}")


def main():
    t = script_checks.Checks()
    with tempfile.TemporaryDirectory(prefix="deploy-server-") as folder:
        root = os.path.join(folder, "site")
        make_site(root)
        test_lifecycle(t, root, folder)
        test_port_taken(t, root, folder)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
