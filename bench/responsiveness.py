#!/usr/bin/env python3
"""bench/responsiveness.py -- how long setup.exe's window keeps a person waiting while it installs.

    bench/responsiveness.py [--build DIR] [--setup EXE] [--packages small,large]
                            [--rates full,65536,500] [--cap SECONDS] [--mib MIB] [--idle SECONDS]
                            [--detail MS]

setup.exe (default DIR/app/setup.exe, DIR the win64 build folder, default build/win64) runs under
wine in a prefix of its own (DIR/bench-wineprefix) against scripts/deploy_server.py on the
production server's fixed loopback port (the run waits while another program holds the port).
tests/e2e/answer_probe.exe sends WM_NULL to the main window every 10 ms with SendMessageTimeout
and records how long each send waits for its answer, from before Install is pressed until the
installation ends. The script watches, beside it, when the package file is complete in c:\\vlmv2,
when release.inf is asked for and when the zip engine's copy lands in c:\\vlmv2 (the last file
step), and so puts every send into a phase:

    download   Install pressed .. the package saved (descriptor and package, the package's
               seal check and its saving)
    unpack     .. release.inf asked for (the archive directory and the extraction)
    engine     .. the zip engine copied (release.inf, the wait for the runtime-engine
               installer, the deletions, the record, the links)

Packages: "small", the demo site's package as built, and "large", about MIB MiB (default 64) in
2000 entries from bench/extract_packages.py, in a copy of the demo site whose descriptor is sealed
again for it. Rates: "full" speed, or bytes per second for the package (deploy_server.py --rate).
A slow run whose download would outlast --cap seconds (default 30) is measured for that long and
then ended: its download phase is a sample of the steady state, and its other phases are not
reached.

Prints, per run and phase, the number of sends, the longest wait and the 99th percentile (nearest
rank), in milliseconds, and the idle window's figures for --idle seconds (default 5) before
Install as a base line: on a busy machine the idle window too waits now and then for the
scheduler. --detail MS lists every wait longer than MS with its phase and place in it. Needs wine,
Xvfb (started through scripts/gui-run when DISPLAY is unset), xdotool and imagemagick, as the
end-to-end tests do. Not part of the test run.
"""

import argparse
import glob
import hashlib
import os
import shutil
import subprocess
import sys
import threading
import time
import urllib.parse

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import setup_driver as drv  # noqa: E402

INSTALL_FOLDER = "c:\\vlmv2"
PHASES = ("idle", "download", "unpack", "engine")
PORT_WAIT_SECONDS = 900  # how long to wait for another user of the fixed port to finish
RUN_SECONDS = 600  # the longest one whole installation may take


def production_url(build):
    """The production base URL the build's setup.exe was made with (from its CMake cache)."""
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("VLM_PRODUCTION_URL:"):
                return line.split("=", 1)[1].strip()
    raise SystemExit("VLM_PRODUCTION_URL is not in the build's CMake cache")


def large_site(build, work, mib):
    """A copy of the demo site whose production package is the large one, sealed for it."""
    site = os.path.join(work, f"site-{mib}")
    marker = os.path.join(site, ".ready")
    if os.path.exists(marker):
        return site
    packages = os.path.join(work, f"packages-{mib}")
    if not os.path.exists(os.path.join(packages, "many.zip")):
        subprocess.run([sys.executable, os.path.join(ROOT, "bench", "extract_packages.py"),
                        packages, str(mib)], check=True)
    shutil.rmtree(site, ignore_errors=True)
    shutil.copytree(os.path.join(build, "demo-site"), site)
    for descriptor in glob.glob(os.path.join(site, "*", "**", "deploy.vlm"), recursive=True):
        package = os.path.join(os.path.dirname(descriptor), "vlmv2menu.pkg")
        if not os.path.exists(package):
            continue
        shutil.copyfile(os.path.join(packages, "many.zip"), package)
        data = drv.read_bytes(package)
        lines = drv.read_bytes(descriptor).decode("ascii").split("\r\n")
        for i, line in enumerate(lines):
            if line.startswith("Size="):
                lines[i] = f"Size={len(data)}"
            elif line.startswith("SHA256="):
                lines[i] = f"SHA256={hashlib.sha256(data).hexdigest()}"
        with open(descriptor, "wb") as f:
            f.write("\r\n".join(lines).encode("ascii"))
    open(marker, "w").close()
    return site


def start_server(site, work, port, rate):
    """The deployment server, once the port is free (another program may hold it a while)."""
    rates = [("/vlmv2menu.pkg", rate)] if rate else []
    deadline = time.monotonic() + PORT_WAIT_SECONDS
    while True:
        try:
            return drv.DeployServer(site, work, port=port, rates=rates).start()
        except drv.DriverError as error:
            if "cannot listen" not in str(error) or time.monotonic() > deadline:
                raise
            print(f"   port {port} is busy; waiting", flush=True)
            time.sleep(10)


class Markers:
    """Watches the disk and the server's log on a thread of its own: the host times (time.time())
    at which the package file was complete, release.inf was asked for and the zip engine's copy
    appeared in the installation folder."""

    def __init__(self, folder, package_size, server):
        self.folder, self.package_size, self.server = folder, package_size, server
        self.times = {}
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, daemon=True)
        self._thread.start()

    def _size(self, name):
        try:
            return os.path.getsize(os.path.join(self.folder, name))
        except OSError:
            return -1

    def _watch(self):
        while not self._stop.is_set() and "engine" not in self.times:
            now = time.time()
            if "download" not in self.times and self._size("vlmv2menu.pkg") == self.package_size:
                self.times["download"] = now
            if "download" in self.times and "unpack" not in self.times and any(
                    "release.inf" in r[1] for r in self.server.requests()):
                self.times["unpack"] = now
            if "unpack" in self.times and self._size("vlmzip190.dll") > 0:
                self.times["engine"] = now
            time.sleep(0.005)

    def stop(self):
        self._stop.set()
        self._thread.join(timeout=10)


def percentile(values, share):
    ordered = sorted(values)
    rank = max(1, -(-len(ordered) * share // 100))  # nearest rank
    return ordered[int(rank) - 1]


def measure(args, prefix, probe_exe, win_probe, site, package_size, label, rate):
    """One installation: ({phase: [waits in ms]}, whether it ran to its end, whether it was
    cut at the cap)."""
    work = os.path.join(args.work, label)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    folder = prefix.host_path(INSTALL_FOLDER)
    shutil.rmtree(folder, ignore_errors=True)
    server = start_server(site, work, args.port, rate)
    try:
        _, exe = drv.copy_setup(prefix, args.setup, "bench/" + label)
        run = drv.SetupRun(prefix, drv.Probe(prefix, win_probe), exe)
        probe = drv.AnswerProbe(prefix, probe_exe, work, RUN_SECONDS + 60)
        markers = None
        try:
            run.wait_main_window()
            probe.start()
            time.sleep(args.idle)  # the idle window's base line
            pressed = time.time()
            markers = Markers(folder, package_size, server)
            run.press_install()
            deadline = time.monotonic() + RUN_SECONDS
            capped = False
            while "engine" not in markers.times and time.monotonic() < deadline:
                if "download" not in markers.times and time.time() - pressed > args.cap:
                    capped = True
                    break
                time.sleep(0.05)
            ended = time.time()
        finally:
            samples = probe.stop()
            if markers is not None:
                markers.stop()
            run.stop()
            prefix.kill_all()
    finally:
        server.stop()
    bounds = [("idle", pressed)] + [(phase, markers.times.get(phase, ended))
                                    for phase in PHASES[1:]]
    waits = {phase: [] for phase in PHASES}
    for at, wait in samples:
        for phase, end in bounds:
            if at < end:
                waits[phase].append(wait)
                break
    complete = "engine" in markers.times
    if capped:
        for phase in ("unpack", "engine"):
            waits[phase] = []
    if args.detail:
        starts = dict(zip(PHASES[1:], [pressed] + [end for _, end in bounds[1:-1]]))
        print(f"   {label}: phases " + ", ".join(
            f"{phase} {1000 * (end - starts[phase]):.0f} ms" for phase, end in bounds[1:]),
            flush=True)
        for at, wait in samples:
            phase = next((p for p, end in bounds if at < end), None)
            if wait > args.detail and phase in starts:
                print(f"   {label}: {wait:.1f} ms from {1000 * (at - starts[phase]):.0f} ms "
                      f"into {phase}", flush=True)
    return waits, complete, capped


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "win64"))
    parser.add_argument("--setup", help="the setup.exe to measure (default: the build's)")
    parser.add_argument("--packages", default="small,large")
    parser.add_argument("--rates", default="full,65536,500")
    parser.add_argument("--cap", type=float, default=30.0)
    parser.add_argument("--mib", type=int, default=64)
    parser.add_argument("--idle", type=float, default=5.0)
    parser.add_argument("--detail", type=float, default=0,
                        help="also list every wait longer than this many ms, with its phase")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execv(os.path.join(ROOT, "scripts", "gui-run"),
                 [os.path.join(ROOT, "scripts", "gui-run"), sys.executable] + sys.argv)
    build = os.path.abspath(args.build)
    args.setup = os.path.abspath(args.setup or os.path.join(build, "app", "setup.exe"))
    args.work = os.path.join(build, "bench-responsiveness")
    os.makedirs(args.work, exist_ok=True)
    base = urllib.parse.urlsplit(production_url(build))
    args.port = base.port or 80
    probe_exe = os.path.join(build, "tests", "e2e", "answer_probe.exe")
    win_probe = os.path.join(build, "tests", "e2e", "win_probe.exe")
    for path in (args.setup, probe_exe, win_probe):
        if not os.path.exists(path):
            raise SystemExit(f"{path} is missing: build the win64 preset first")

    prefix = drv.WinePrefix(os.path.join(build, "bench-wineprefix"))
    prefix.prepare()
    prefix.kill_all()
    sites = {}
    for name in args.packages.split(","):
        site = os.path.join(build, "demo-site") if name == "small" else large_site(
            build, args.work, args.mib)
        package = os.path.join(site, base.hostname, *[p for p in base.path.split("/") if p],
                               "vlmv2menu.pkg")
        sites[name] = (site, os.path.getsize(package))

    print(f"setup.exe: {args.setup}")
    print("waits of the window for a sent message, in ms: sends / longest / 99th percentile")
    header = f"{'package':<22} {'rate':>10}  " + "  ".join(f"{p:>22}" for p in PHASES)
    print(header)
    for name, (site, size) in sites.items():
        for rate_text in args.rates.split(","):
            rate = None if rate_text == "full" else int(rate_text)
            label = f"{name}-{rate_text}"
            waits, complete, capped = measure(args, prefix, probe_exe, win_probe, site, size,
                                              label, rate)
            cells = []
            for phase in PHASES:
                values = waits[phase]
                cells.append(f"{len(values):>5} / {max(values):>6.1f} / "
                             f"{percentile(values, 99):>6.1f}" if values else f"{'-':>22}")
            note = f" (first {args.cap:.0f} s of the download)" if capped else (
                "" if complete else " (did not finish)")
            print(f"{name + f' {size / 1048576:.2f} MiB':<22} {rate_text:>10}  " +
                  "  ".join(cells) + note, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
