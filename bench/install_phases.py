#!/usr/bin/env python3
"""bench/install_phases.py -- setup.exe's Install to "Done !" per phase, beside vlmtool.exe doing
the same download and unpack under the same wine (run by bench/install.sh).

    install_phases.py --build DIR --work DIR [--runs N] [--mib MIB] [--setup EXE]

DIR is the win64 build folder (app/setup.exe, tests/e2e/win_probe.exe, tools/vlmtool.exe,
demo-site/). Two packages: the demo's own, and a large one of about MIB MiB (default 64) in about
2000 files (bench/extract_packages.py). For each, a copy of the http demo site with that package
and its descriptor sealed again is served by nginx on the site's port (47811), and setup.exe
(EXE, default DIR/app/setup.exe; may be another build's, e.g. an earlier commit's) installs from
it RUNS times (default 3) in a wine prefix of the bench's own (DIR/bench-install/,
kept between runs), pressed as a user would. The phases come from nginx's access log (the end time
and duration of each request) and the moment the button reads "Done !":
  download   the package's request, first to last byte as nginx saw it
  unpack     from the package's last byte to the release information's request (saving the
             package, unpacking, writing the local files)
  engine     from the release information to "Done !" (the runtime-engine stand-in, its wait,
             the links; read by polling the window, so about 0.3 s coarse)
  total      the Install click to "Done !"
Beside them, in the same prefix and run by run in turns: "vlmtool.exe get" of the same package
URL and "vlmtool.exe unzip" of it into an empty folder (without folder names, as setup.exe
unpacks), timed as whole processes; and the wine start of vlmtool.exe listing the small demo
package (next to no work), which both include. Prints medians and the ratios setup.exe/vlmtool.exe.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
import hashlib  # noqa: E402
import nginx_site  # noqa: E402
import setup_driver as drv  # noqa: E402

PORT = 47811
INSTALL_SECONDS = 600
FOLDER = "c:\\vlmv2"
LINK_NAME = "Velmora v2.lnk"


def sealed_site(source, work, package):
    """A copy of the http demo site whose production server serves package, sealed again."""
    site = os.path.join(work, "site")
    shutil.rmtree(site, ignore_errors=True)
    shutil.copytree(source, site)
    server = os.path.join(site, "127.0.0.1")
    shutil.copyfile(package, os.path.join(server, "vlmv2menu.pkg"))
    data = drv.read_bytes(package)
    lines = drv.read_bytes(os.path.join(server, "deploy.vlm")).decode("ascii").split("\r\n")
    for i, line in enumerate(lines):
        if line.lower().startswith("size="):
            lines[i] = f"Size={len(data)}"
        elif line.lower().startswith("sha256="):
            lines[i] = f"SHA256={hashlib.sha256(data).hexdigest()}"
    with open(os.path.join(server, "deploy.vlm"), "wb") as f:
        f.write("\r\n".join(lines).encode("ascii"))
    return site


def timed(prefix, *args):
    started = time.monotonic()
    code, out = prefix.run(*args, timeout=INSTALL_SECONDS)
    if code != 0:
        raise drv.DriverError(f"{' '.join(map(str, args))} failed ({code}): {out.strip()[-300:]}")
    return time.monotonic() - started


def one_install(prefix, probe, exe, server, links):
    host_folder = prefix.host_path(FOLDER)
    shutil.rmtree(host_folder, ignore_errors=True)
    for link in links:
        if os.path.exists(link):
            os.remove(link)
    seen = len(server.requests())
    run = drv.SetupRun(prefix, probe, exe)
    try:
        run.wait_main_window()
        pressed = time.time()
        run.press_install()
        if not drv.wait_for(run.install_started, 30, 0.1):
            run.press_install(by_keys=True)
        if not run.wait_button("Done !", enabled=True, seconds=INSTALL_SECONDS):
            raise drv.DriverError("the installation did not reach \"Done !\"")
        done = time.time()
    finally:
        run.stop()
        prefix.kill_all()
    requests = {r.line.split()[1].rsplit("/", 1)[-1]: r for r in server.requests()[seen:]}
    package, release = requests["vlmv2menu.pkg"], requests["release.inf"]
    return {"download": package.duration,
            "unpack": release.end - release.duration - package.end,
            "engine": done - release.end,
            "total": done - pressed}


def measure(label, package, args, prefix, probe, exe, links):
    work = os.path.join(args.work, label)
    os.makedirs(work, exist_ok=True)
    site = sealed_site(os.path.join(args.build, "demo-site"), work, package)
    tool = os.path.join(args.build, "tools", "vlmtool.exe")
    url = f"http://127.0.0.1:{PORT}/vlmv2menu.pkg"
    got = prefix.host_path("c:\\bench\\got.pkg")
    unpacked = prefix.host_path("c:\\bench\\unpacked")
    local_package = prefix.host_path("c:\\bench\\package.pkg")
    small = prefix.host_path("c:\\bench\\small.pkg")  # listing it is next to no work
    os.makedirs(os.path.dirname(got), exist_ok=True)
    shutil.copyfile(package, local_package)
    shutil.copyfile(os.path.join(args.build, "demo-site", "127.0.0.1", "vlmv2menu.pkg"), small)
    setup_runs, get_runs, unzip_runs, start_runs = [], [], [], []
    with nginx_site.NginxSite(site, os.path.join(work, "nginx"), PORT) as server:
        for n in range(args.runs):
            setup_runs.append(one_install(prefix, probe, exe, server, links))
            if os.path.exists(got):
                os.remove(got)
            get_runs.append(timed(prefix, tool, "get", url, prefix.windows_path(got)))
            shutil.rmtree(unpacked, ignore_errors=True)
            os.makedirs(unpacked)
            unzip_runs.append(timed(prefix, tool, "unzip", prefix.windows_path(local_package),
                                    prefix.windows_path(unpacked)))
            start_runs.append(timed(prefix, tool, "list", prefix.windows_path(small)))
            print(f"  {label} run {n + 1}: " + ", ".join(
                f"{k} {v:.2f} s" for k, v in setup_runs[-1].items()) +
                f"; vlmtool.exe get {get_runs[-1]:.2f} s, unzip {unzip_runs[-1]:.2f} s",
                flush=True)
    median = statistics.median
    phase = {k: median(r[k] for r in setup_runs) for k in setup_runs[0]}
    get, unzip, start = median(get_runs), median(unzip_runs), median(start_runs)
    size = os.path.getsize(package) / 2**20
    print(f"{label}: {size:.1f} MiB package, {args.runs} runs, medians")
    print(f"  setup.exe:   download {phase['download']:.2f} s, unpack {phase['unpack']:.2f} s, "
          f"engine {phase['engine']:.2f} s, Install to \"Done !\" {phase['total']:.2f} s")
    print(f"  vlmtool.exe: get {get:.2f} s, unzip {unzip:.2f} s (each includes wine's start of "
          f"{start:.2f} s)")
    print(f"  setup.exe/vlmtool.exe: download {phase['download'] / get:.2f}x, "
          f"unpack {phase['unpack'] / unzip:.2f}x", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--mib", type=int, default=64)
    parser.add_argument("--setup", help="the setup.exe to measure (default: the build's)")
    args = parser.parse_args()
    args.build, args.work = os.path.abspath(args.build), os.path.abspath(args.work)
    os.makedirs(args.work, exist_ok=True)

    packages = os.path.join(args.work, f"packages-{args.mib}")
    if not os.path.exists(os.path.join(packages, "many.zip")):
        subprocess.run([sys.executable, os.path.join(HERE, "extract_packages.py"), packages,
                        str(args.mib)], check=True, timeout=INSTALL_SECONDS)
    prefix = drv.WinePrefix(os.path.join(args.work, "wineprefix"))
    prefix.prepare()
    prefix.kill_all()
    probe = drv.Probe(prefix, os.path.join(args.build, "tests", "e2e", "win_probe.exe"))
    _, exe = drv.copy_setup(
        prefix, args.setup or os.path.join(args.build, "app", "setup.exe"), "bench")
    links = [os.path.join(prefix.host_path(prefix.shell_folder(name)), LINK_NAME)
             for name in ("Programs", "Desktop")]
    try:
        measure("demo", os.path.join(args.build, "demo-site", "127.0.0.1", "vlmv2menu.pkg"),
                args, prefix, probe, exe, links)
        measure("large", os.path.join(packages, "many.zip"), args, prefix, probe, exe, links)
    finally:
        prefix.kill_all()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (drv.DriverError, nginx_site.NginxError) as error:
        sys.exit(f"error: {error}")
