#!/usr/bin/env python3
"""tests/demo/demo_site_test.py -- the demo deployment site, as built and as served.

    demo_site_test.py --generator
    demo_site_test.py --site DIR --production URL --staging URL --development URL
                      [--vlmtool TOOL [--emulator COMMAND]]

--generator runs demo/make_demo_site.py into a temporary folder (a stand-in file as the menu
program) and checks the generator's rules: layout per server address and path, the descriptors'
exact bytes, the package's entries, the same bytes from the same inputs, and refusals of URLs
the loopback server cannot serve.

--site checks the site that the build made in DIR for the given base URLs (the build's cache
values): every server's descriptor, package and release information, the package holding a
Windows program as vlmv2menu.exe, no two entries that would unpack onto the same file name; then
it starts scripts/deploy_server.py on the URLs' port (CTest holds the resource lock
"deploy_server" for it) and walks each server as the setup program does: descriptor, the package
at the descriptor's URL, release information, all over HTTP with the bytes compared. With
--vlmtool, the package is also unpacked by the project's zip engine ("vlmtool unzip", run through
COMMAND when given) with the installer's settings: four files directly in the target folder.

Prints one line per check and "N passed, M failed"; exits 1 when any check failed.
"""

import argparse
import hashlib
import http.client
import json
import os
import shlex
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
GENERATOR = os.path.join(TOP, "demo", "make_demo_site.py")
PACKAGE_FILES = os.path.join(TOP, "demo", "package")
SERVER = os.path.join(TOP, "scripts", "deploy_server.py")
BOUND_SECONDS = 15
SERVERS = ("production", "staging", "development")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def descriptor_values(data):
    """{key lower-cased: value} of section [vlmv2menu]; names compare without case."""
    values, section = {}, None
    for line in data.decode("ascii").split("\r\n"):
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].lower()
        elif section == "vlmv2menu" and "=" in line and not line.startswith(";"):
            key, value = line.split("=", 1)
            values[key.strip().lower()] = value
    return values


def server_folder(site, base_url):
    parts = urllib.parse.urlsplit(base_url)
    return os.path.join(site, parts.hostname, *[s for s in parts.path.split("/") if s])


def check_text_file(t, label, data):
    t.check(f"{label}: every line ends with CR LF",
            data.endswith(b"\r\n") and data.count(b"\n") == data.count(b"\r\n"), repr(data[:80]))


def check_site_files(t, site, bases):
    """The files of a built site; returns {server: (descriptor bytes, package bytes)}."""
    found = {}
    releases = set()
    for name in SERVERS:
        folder = server_folder(site, bases[name])
        paths = {f: os.path.join(folder, f) for f in ("deploy.vlm", "vlmv2menu.pkg", "release.inf")}
        missing = [f for f, p in paths.items() if not os.path.isfile(p)]
        t.check(f"{name}: descriptor, package and release information in {folder}", not missing,
                str(missing))
        if missing:
            continue
        descriptor = read(paths["deploy.vlm"])
        check_text_file(t, f"{name} deploy.vlm", descriptor)
        values = descriptor_values(descriptor)
        t.check(f"{name}: URL names the package on the same server",
                values.get("url") == bases[name] + "/vlmv2menu.pkg", str(values))
        t.check(f"{name}: Release names the server", name in values.get("release", ""), str(values))
        releases.add(values.get("release"))
        information = read(paths["release.inf"])
        check_text_file(t, f"{name} release.inf", information)
        t.check(f"{name}: release.inf names the same release",
                values.get("release", "?").encode() in information, repr(information))
        package = read(paths["vlmv2menu.pkg"])
        t.check(f"{name}: Size and SHA256 seal the package",
                values.get("size") == str(len(package)) and
                values.get("sha256") == hashlib.sha256(package).hexdigest(), str(values))
        found[name] = (descriptor, package)
    t.check("each server has its own release", len(releases) == len(SERVERS), str(releases))
    return found


def check_package(t, path, menu_bytes=None):
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
        names = [i.filename for i in infos]
        t.check("package: archive reads back without CRC errors", archive.testzip() is None)
        t.check("package: vlmv2menu.exe is the first entry", names[:1] == ["vlmv2menu.exe"], names)
        for wanted in ("docs/", "docs/readme.txt", "config/", "config/vlmv2menu.cfg",
                       "vlmv2sysmodhttpsvr.bpl"):
            t.check(f"package: holds {wanted}", wanted in names, names)
        files = [i for i in infos if not i.filename.endswith("/")]
        t.check("package: files are Deflate-compressed",
                all(i.compress_type == zipfile.ZIP_DEFLATED for i in files),
                [(i.filename, i.compress_type) for i in files])
        final = [i.filename.rsplit("/", 1)[-1] for i in files]
        t.check("package: no two files unpack onto the same name", len(set(final)) == len(final),
                final)
        menu = archive.read("vlmv2menu.exe")
        if menu_bytes is None:
            t.check("package: vlmv2menu.exe is a Windows program",
                    menu[:2] == b"MZ" and b"PE\0\0" in menu[:1024], repr(menu[:4]))
        else:
            t.check("package: vlmv2menu.exe is the given program", menu == menu_bytes)
        for info in files[1:]:
            source = os.path.join(PACKAGE_FILES, *info.filename.split("/"))
            t.check(f"package: {info.filename} has its source's bytes",
                    archive.read(info) == read(source))


def run_generator(out, menu, bases):
    command = [sys.executable, GENERATOR, "--out", out, "--menu-exe", menu, "--package-files",
               PACKAGE_FILES]
    for name in SERVERS:
        command += [f"--{name}", bases[name]]
    return script_checks.run_program(command, timeout=60)


def test_generator(t):
    bases = {"production": "http://127.0.0.1:5555", "staging": "http://127.0.0.1:5555/a/stage",
             "development": "http://127.0.0.3:5555"}
    with tempfile.TemporaryDirectory(prefix="demo-site-") as folder:
        menu = os.path.join(folder, "menu.exe")
        with open(menu, "wb") as f:
            f.write(b"MZ stand-in program bytes")
        out = os.path.join(folder, "site")
        os.makedirs(os.path.join(out, "127.0.0.9"))  # a stale server folder of an earlier build
        done = run_generator(out, menu, bases)
        t.check("generator succeeds", done.returncode == 0, done.stderr)
        t.check("generator removes folders of an earlier build",
                not os.path.exists(os.path.join(out, "127.0.0.9")))
        found = check_site_files(t, out, bases)
        t.check("staging lies in its path below its address",
                os.path.isfile(os.path.join(out, "127.0.0.1", "a", "stage", "deploy.vlm")))
        package = read(os.path.join(out, "vlmv2menu.pkg"))
        expected = (b"; Velmora v2 deployment descriptor, development server\r\n"
                    b"[vlmv2menu]\r\nURL=http://127.0.0.3:5555/vlmv2menu.pkg\r\n"
                    b"Release=2.0.1-development\r\n" +
                    f"Size={len(package)}\r\nSHA256={hashlib.sha256(package).hexdigest()}\r\n"
                    .encode() + b"\r\n[Server]\r\nName=development\r\n")
        t.check("development descriptor, byte for byte",
                found.get("development", (b"",))[0] == expected,
                repr(found.get("development", (b"",))[0]))
        check_package(t, os.path.join(out, "vlmv2menu.pkg"), menu_bytes=read(menu))
        packages = {hashlib.sha256(p).hexdigest() for _, p in found.values()}
        packages.add(hashlib.sha256(read(os.path.join(out, "vlmv2menu.pkg"))).hexdigest())
        t.check("every server serves the same package", len(packages) == 1, str(packages))
        manifest = json.loads(read(os.path.join(out, "site.json")))
        t.check("site.json lists the three servers with their URLs",
                {s["name"]: s["base_url"] for s in manifest["servers"]} == bases, str(manifest))
        first = read(os.path.join(out, "vlmv2menu.pkg"))
        done = run_generator(out, menu, bases)
        t.check("the same inputs give the same package bytes",
                done.returncode == 0 and read(os.path.join(out, "vlmv2menu.pkg")) == first)

        missing_out = os.path.join(folder, "missing")
        done = run_generator(missing_out, os.path.join(folder, "no-such.exe"), bases)
        t.check("generator refuses a missing menu program and makes no site",
                done.returncode == 1 and b"does not exist" in done.stderr
                and not os.path.exists(missing_out), f"{done.returncode} {done.stderr!r}")

        for name, url, why in (("production", "http://10.0.0.1:5555", "not loopback"),
                               ("production", "ftp://127.0.0.1", "not http"),
                               ("production", "https://127.0.0.1:5555", "schemes mixed"),
                               ("staging", "http://127.0.0.1:5555/a/", "trailing slash"),
                               ("staging", "http://127.0.0.1:5555/../x", "climbs out"),
                               ("development", "http://localhost:5555", "not an address"),
                               ("staging", "http://127.0.0.1:5555", "same as production")):
            other = dict(bases, **{name: url})
            refused_out = os.path.join(folder, "refused")
            done = run_generator(refused_out, menu, other)
            t.check(f"generator refuses {url} ({why})",
                    done.returncode == 1 and b"make_demo_site.py:" in done.stderr
                    and not os.path.exists(os.path.join(refused_out, "site.json")),
                    f"{done.returncode} {done.stderr!r}")


def wait_for_file(path, process):
    deadline = time.monotonic() + BOUND_SECONDS
    while time.monotonic() < deadline and process.poll() is None:
        if os.path.exists(path):
            return True
        time.sleep(0.05)
    return os.path.exists(path)


def fetch(url):
    parts = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(parts.hostname, parts.port or 80,
                                            timeout=BOUND_SECONDS)
    try:
        connection.request("GET", parts.path or "/")
        reply = connection.getresponse()
        return reply.status, reply.read()
    finally:
        connection.close()


def test_served_site(t, site, bases):
    found = check_site_files(t, site, bases)
    check_package(t, os.path.join(site, "vlmv2menu.pkg"))
    ports = {urllib.parse.urlsplit(u).port or 80 for u in bases.values()}
    t.check("all servers share one port", len(ports) == 1, str(ports))
    if len(ports) != 1 or len(found) != len(SERVERS):
        return
    with tempfile.TemporaryDirectory(prefix="demo-site-served-") as folder:
        ready = os.path.join(folder, "ready")
        log = os.path.join(folder, "requests.log")
        process = subprocess.Popen([sys.executable, SERVER, "--root", site, "--port",
                                    str(ports.pop()), "--log", log, "--ready-file", ready],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            if not wait_for_file(ready, process):
                t.check("deployment server starts", False, process.stderr.read())
                return
            for name in SERVERS:
                status, descriptor = fetch(bases[name] + "/deploy.vlm")
                t.check(f"{name}: served descriptor equals the file",
                        status == 200 and descriptor == found[name][0], f"{status}")
                url = descriptor_values(descriptor).get("url", "")
                status, package = fetch(url)
                t.check(f"{name}: the descriptor's URL yields the package",
                        status == 200 and package == found[name][1], f"{url} {status}")
                status, information = fetch(bases[name] + "/release.inf")
                t.check(f"{name}: release information served", status == 200 and information,
                        f"{status}")
            with open(log) as f:
                lines = f.read().splitlines()
            development = urllib.parse.urlsplit(bases["development"]).hostname
            t.check("the development server is reached on its own address",
                    any(f"-> {development}:" in line and "/deploy.vlm" in line for line in lines),
                    "\n".join(lines))
            t.check("nine requests logged", len(lines) == 9, "\n".join(lines))
        finally:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=BOUND_SECONDS)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(timeout=BOUND_SECONDS)


def test_unpacking(t, site, tool, emulator):
    """Unpacks the built package with the project's engine; checks the files that land."""
    with tempfile.TemporaryDirectory(prefix="demo-site-unzip-") as folder:
        target = os.path.join(folder, "target")
        os.makedirs(target)
        drive = "Z:" if emulator else ""  # under wine an absolute Unix path must name its drive
        with tempfile.TemporaryFile() as output:
            package = drive + os.path.join(site, "vlmv2menu.pkg")
            done = subprocess.run(emulator + [tool, "unzip", package, drive + target + "/"],
                                  stdout=output, stderr=subprocess.STDOUT, timeout=120)
            output.seek(0)
            text = output.read().decode(errors="replace")
        found = sorted(os.listdir(target))
        t.check("the project's engine unpacks the package",
                done.returncode == 0, f"{done.returncode} {text}")
        t.check("the package unpacks flat into four files",
                found == ["readme.txt", "vlmv2menu.cfg", "vlmv2menu.exe", "vlmv2sysmodhttpsvr.bpl"],
                str(found))
        with zipfile.ZipFile(os.path.join(site, "vlmv2menu.pkg")) as archive:
            same = all(read(os.path.join(target, name)) == archive.read(entry)
                       for name, entry in (("vlmv2menu.exe", "vlmv2menu.exe"),
                                           ("readme.txt", "docs/readme.txt"))
                       if os.path.exists(os.path.join(target, name)))
        t.check("unpacked files hold the entries' bytes", same)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--generator", action="store_true")
    parser.add_argument("--site")
    for name in SERVERS:
        parser.add_argument(f"--{name}")
    parser.add_argument("--vlmtool")
    parser.add_argument("--emulator", action="append", default=[])
    args = parser.parse_args()
    t = script_checks.Checks()
    if args.generator:
        test_generator(t)
    else:
        bases = {name: getattr(args, name) for name in SERVERS}
        if not args.site or None in bases.values():
            parser.error("--site needs --production, --staging and --development")
        test_served_site(t, args.site, bases)
        if args.vlmtool:
            emulator = [part for arg in args.emulator for part in shlex.split(arg)]
            test_unpacking(t, args.site, args.vlmtool, emulator)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
