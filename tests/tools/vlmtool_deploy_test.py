#!/usr/bin/env python3
"""tests/tools/vlmtool_deploy_test.py -- "vlmtool seal" and "vlmtool check" end to end.

    vlmtool_deploy_test.py VLMTOOL [EMULATOR...]

EMULATOR is the command that runs VLMTOOL (the wine wrapper for the Windows build). A small site
is built in a temporary folder (a production descriptor with comments and another section, a
staging sub-site, packages made with python's zipfile), sealed with "vlmtool seal", then served on
127.0.0.1 at a free port by scripts/deploy_server.py, with and without its faults, and by nginx.
Every fault must be named by "vlmtool check" with its exit code: 404, an HTML page served with
200, a short body, a package that does not match its seal, unsafe entry names, entries whose names
collide once folders are dropped, no vlmv2menu.exe, a descriptor without URL or Release, a package
on another host, an empty release.inf. Prints one line per check and "N passed, M failed".
"""

import hashlib
import io
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import script_checks  # noqa: E402
import nginx_site  # noqa: E402

DEPLOY_SERVER = os.path.join(HERE, "..", "..", "scripts", "deploy_server.py")
BOUND_SECONDS = 10


class Runner(script_checks.Checks):
    def __init__(self, tool, emulator):
        super().__init__()
        self.tool, self.emulator = tool, emulator

    def run(self, *args):
        """(exit code, stdout text, stderr text) of the tool."""
        done = script_checks.run_program(self.emulator + [self.tool] + [str(a) for a in args],
                                         timeout=300)
        return done.returncode, done.stdout.decode("utf-8", "replace"), \
            done.stderr.decode("utf-8", "replace")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def package(entries):
    """A Deflate zip of {name: bytes}, as bytes."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries.items():
            z.writestr(zipfile.ZipInfo(name, (2026, 1, 15, 12, 0, 0)), data)
    return out.getvalue()


GOOD = {"vlmv2menu.exe": b"MZ" + bytes(range(256)) * 40, "docs/": b"",
        "docs/readme.txt": b"read me\r\n"}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def descriptor(url, release="2.0.1", extra=""):
    return (f"; the descriptor of a test site\r\n[vlmv2menu]\r\nURL={url}\r\n"
            + (f"Release={release}\r\n" if release else "") + extra +
            "\r\n[Server]\r\nName=test\r\n").encode()


class Scripted:
    """scripts/deploy_server.py on 127.0.0.1:port over root, with fault switches."""

    def __init__(self, root, port, work, *switches):
        self.ready = os.path.join(work, "ready")
        if os.path.exists(self.ready):
            os.remove(self.ready)
        self.process = subprocess.Popen(
            [sys.executable, DEPLOY_SERVER, "--root", root, "--port", str(port), "--address",
             "127.0.0.1", "--ready-file", self.ready, "--log", os.path.join(work, "log")]
            + list(switches), stderr=subprocess.DEVNULL)

    def __enter__(self):
        deadline = time.monotonic() + BOUND_SECONDS
        while not os.path.exists(self.ready) and self.process.poll() is None:
            if time.monotonic() > deadline:
                break
            time.sleep(0.05)
        if not os.path.exists(self.ready):
            self.__exit__()
            raise RuntimeError("deploy_server.py did not start")
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=BOUND_SECONDS)


def test_seal(t, site, package_bytes):
    main, staging = os.path.join(site, "deploy.vlm"), os.path.join(site, "staging", "deploy.vlm")
    before = open(main, "rb").read()
    code, out, err = t.run("seal", site)
    digest = hashlib.sha256(package_bytes).hexdigest()
    t.check("seal: exit 0, one line per descriptor",
            code == 0 and out.count("\nsealed ") + out.startswith("sealed ") == 2, out + err)
    after = open(main, "rb").read()
    seal = f"Size={len(package_bytes)}\r\nSHA256={digest}\r\n".encode()
    t.check("seal: Size and SHA256 added after the section's last line, every other line kept",
            after == before.replace(b"Release=2.0.1\r\n", b"Release=2.0.1\r\n" + seal), repr(after))
    t.check("seal: the staging descriptor sealed with its own package",
            f"SHA256={hashlib.sha256(open(os.path.join(site, 'staging', 'vlmv2menu.pkg'), 'rb').read()).hexdigest()}"
            .encode() in open(staging, "rb").read())
    code, out, err = t.run("seal", site)
    t.check("seal: sealing again changes nothing", code == 0 and open(main, "rb").read() == after,
            err)
    code, out, err = t.run("seal", os.path.join(site, "no-such-folder"))
    t.check("seal: a folder without a descriptor is an error line, exit 1",
            code == 1 and err.startswith("error EPackageSeal: There is no descriptor"), err)


def test_check(t, root, site, port, work):
    base = f"http://127.0.0.1:{port}"

    def check(label, want_code, want_text, *switches, path=""):
        with Scripted(root, port, work, *switches):
            code, out, err = t.run("check", "--timeout", "10", base + path)
        t.check(f"check {label}: exit {want_code}, says {want_text!r}",
                code == want_code and want_text in out, f"exit {code}\n{out}{err}")
        return out

    out = check("a sound site", 0, f"check {base}: 0 errors, 0 warnings")
    t.check("check a sound site: no finding lines", out.count("\n") == 1, out)
    check("the staging sub-site", 0, "0 errors, 0 warnings", path="/staging")

    def replaced(name, data):
        path = os.path.join(work, name)
        write(path, data)
        return path

    url = f"{base}/vlmv2menu.pkg"
    unsealed = lambda pkg, **kw: ["--replace", "/deploy.vlm=" + replaced(
        pkg + ".vlm", descriptor(url, **kw)), "--replace", "/vlmv2menu.pkg=" + replaced(
        pkg, package(BAD_PACKAGES[pkg]))]
    check("404", 2, f"error: the deployment descriptor {base}/deploy.vlm cannot be fetched: "
          "HTTP/1.1 404 Not Found", "--status", "/deploy.vlm=404")
    check("an HTML page", 2, f"error: the menu package {url} is an HTML page",
          "--replace", "/vlmv2menu.pkg=" + replaced("page.html", b"<!DOCTYPE html>\n<p>Sorry"))
    check("a short body", 2, f"error: the menu package {url} cannot be fetched",
          "--cut", "/vlmv2menu.pkg=100")
    check("a package changed on the server", 2, f"error: The menu package from {url} is damaged:",
          "--replace", "/vlmv2menu.pkg=" + replaced("other.pkg", package({**GOOD, "x": b"x"})))
    check("unsafe names", 1, "warning: entry CON would be skipped: its name is unsafe",
          *unsealed("unsafe.pkg"))
    check("colliding names", 1, "warning: entry b/x.txt would not be written: an earlier entry",
          *unsealed("collide.pkg"))
    check("no vlmv2menu.exe", 2, "error: the menu package has no vlmv2menu.exe",
          *unsealed("nomenu.pkg"))
    check("no Release, another host", 1, "warning: the descriptor has no Release",
          "--replace", "/deploy.vlm=" + replaced("norelease.vlm", descriptor(
              f"http://localhost:{port}/vlmv2menu.pkg", release="")))
    check("no URL", 2, "error: the descriptor has no URL",
          "--replace", "/deploy.vlm=" + replaced("nourl.vlm", b"[vlmv2menu]\r\nRelease=1\r\n"))
    check("an empty release.inf", 1, "warning: release.inf is empty",
          "--replace", "/release.inf=" + replaced("empty.inf", b""))
    check("a release.inf over 1 MiB", 2, f"error: the release information {base}/release.inf "
          f"cannot be fetched: The download from {base}/release.inf is larger than the limit of "
          "1048576 bytes.", "--replace", "/release.inf=" + replaced("big.inf", b"x" * 1048577))
    out = check("an unsealed descriptor", 0, "note: the descriptor has no Size or SHA256",
                "--replace", "/deploy.vlm=" + replaced("plain.vlm", descriptor(url)))

    with Scripted(root, port, work, "--status", "/release.inf=500"):
        code, out, err = t.run("check", "--json", base)
    try:
        report = json.loads(out)
    except ValueError:
        report = {}
    t.check("check --json: one object with the findings and the exit code",
            code == 2 and report.get("errors") == 1 and report.get("exit_code") == 2 and
            report["findings"][0]["severity"] == "error" and "500" in report["findings"][0]["text"],
            out + err)
    code, out, err = t.run("check")
    t.check("check: no base URL is a usage error, exit 2", code == 2 and "usage:" in err, err)
    started = time.monotonic()
    code, out, err = t.run("check", "--timeout", "2", f"http://127.0.0.1:{free_port()}")
    t.check("check: nobody listening is an error, quickly",
            code == 2 and "cannot be fetched" in out and time.monotonic() - started < 60, out + err)


BAD_PACKAGES = {
    "unsafe.pkg": {**GOOD, "CON": b"device", "a<b.txt": b"angle"},
    "collide.pkg": {**GOOD, "a/x.txt": b"a", "b/x.txt": b"b"},
    "nomenu.pkg": {"docs/readme.txt": b"no program\r\n"},
}


def test_nginx(t, root, site, port, work):
    base = f"http://127.0.0.1:{port}"
    with nginx_site.NginxSite(root, os.path.join(work, "nginx"), port=port,
                              addresses=["127.0.0.1"]):
        code, out, err = t.run("check", "--timeout", "10", base)
        t.check("nginx: a sealed site checks clean", code == 0 and
                f"check {base}: 0 errors, 0 warnings" in out, f"exit {code}\n{out}{err}")
        pkg = os.path.join(site, "vlmv2menu.pkg")
        data = bytearray(open(pkg, "rb").read())
        data[len(data) // 2] ^= 1
        write(pkg, bytes(data))
        code, out, err = t.run("check", "--timeout", "10", base)
        t.check("nginx: a package changed by one byte is named", code == 2 and
                "is damaged: expected" in out, f"exit {code}\n{out}{err}")


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    t = Runner(sys.argv[1], sys.argv[2:])
    work = tempfile.mkdtemp(prefix="vlmtool-deploy-")
    try:
        port = free_port()
        root = os.path.join(work, "root")
        site = os.path.join(root, "127.0.0.1")
        good = package(GOOD)
        write(os.path.join(site, "deploy.vlm"), descriptor(f"http://127.0.0.1:{port}/vlmv2menu.pkg"))
        write(os.path.join(site, "vlmv2menu.pkg"), good)
        write(os.path.join(site, "release.inf"), b"VLMREL 2\r\n")
        staging_package = package({**GOOD, "staging.txt": b"staging\r\n"})
        write(os.path.join(site, "staging", "deploy.vlm"),
              descriptor(f"http://127.0.0.1:{port}/staging/vlmv2menu.pkg"))
        write(os.path.join(site, "staging", "vlmv2menu.pkg"), staging_package)
        write(os.path.join(site, "staging", "release.inf"), b"VLMREL 2\r\n")
        test_seal(t, site, good)
        test_check(t, root, site, port, work)
        test_nginx(t, root, site, port, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
