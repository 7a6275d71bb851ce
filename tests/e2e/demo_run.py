#!/usr/bin/env python3
"""tests/e2e/demo_run.py -- the README demo: one real installation of the demo product from the
loopback demo deployment site, by setup.exe under wine (started by scripts/demo.sh).

    demo_run.py --build DIR [--http] [--interactive]

DIR is the win64 build folder. By default the demo runs over https, as a publisher should set up
a site: the installer built for the https servers (DIR/app/https/setup.exe) and its site
(DIR/demo-site-https/), served with a certificate issued by a demo authority that openssl makes
in DIR/demo-work/certs/ and that trust_test_ca.exe trusts in the demo's wine prefix for the length
of the demo (never the machine's store). With --http: DIR/app/setup.exe and DIR/demo-site/ over
plain http. The programs run in the prefix DIR/demo-wineprefix; setup.exe is copied to C:\\demo
in it and installs into c:\\vlmv2 (both emptied first, so every demo is a first installation).
nginx serves the site on loopback for the length of the demo (tests/support/nginx_site.py; its
configuration and logs are in DIR/demo-work/nginx/), and is stopped at the end, also when the
demo fails or is interrupted.
Before setup.exe starts, "vlmtool check" (DIR/tools/vlmtool.exe) checks the site live, as a
publisher would before a release, and its report is printed.

Without --interactive it drives the window as a person would: presses Install, waits for
"Done !", takes a screenshot, presses the button again and waits for the program to end. With
--interactive the window is the user's, and the demo waits until the program ends. Then it prints
the installed folder's listing, the shortcuts made, setup.exe's requests in nginx's access log
and the screenshot's path.
Exits 1 when the installation did not finish.
"""

import argparse
import contextlib
import json
import os
import shutil
import sys
import urllib.parse

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import nginx_site  # noqa: E402
import setup_driver as drv  # noqa: E402

INSTALL_SECONDS = 180
LINK_NAME = "Velmora v2.lnk"


def listing(folder):
    lines = []
    for here, subfolders, names in os.walk(folder):
        subfolders.sort()
        for name in sorted(names):
            path = os.path.join(here, name)
            lines.append(f"  {os.path.getsize(path):>9}  {os.path.relpath(path, folder)}")
    return lines or ["  (empty)"]


def wait_outcome(run):
    """Waits for "Done !" or for a box or dialog that stops the installation; (what, window)."""
    def outcome():
        window = run.refresh()
        if window is None:
            return ("ended", None)
        button = run.install_button(window)
        if button and button["text"] == "Done !" and button["enabled"]:
            return ("done", window)
        for other in run.top_windows():
            if other["hwnd"] != window["hwnd"] and other["rect"][2] - other["rect"][0] > 1:
                return ("box", other)
        return None
    return drv.wait_for(outcome, INSTALL_SECONDS, 0.5) or ("timeout", None)


def main():
    parser = argparse.ArgumentParser(description="Runs the setup demo.")
    parser.add_argument("--build", required=True)
    parser.add_argument("--http", action="store_true", help="plain http instead of https")
    parser.add_argument("--interactive", action="store_true")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    site = os.path.join(build, "demo-site" if args.http else "demo-site-https")
    with open(os.path.join(site, "site.json")) as f:
        servers = {s["name"]: s for s in json.load(f)["servers"]}
    production = urllib.parse.urlsplit(servers["production"]["base_url"])
    port = production.port or (443 if production.scheme == "https" else 80)
    work = os.path.join(build, "demo-work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    print("== preparing the wine prefix (the first time takes a minute or two)", flush=True)
    prefix = drv.WinePrefix(os.path.join(build, "demo-wineprefix"))
    prefix.prepare()
    prefix.kill_all()
    probe = drv.Probe(prefix, os.path.join(build, "tests", "e2e", "win_probe.exe"))
    folder = prefix.host_path("c:\\vlmv2")
    shutil.rmtree(folder, ignore_errors=True)
    links = [os.path.join(prefix.host_path(prefix.shell_folder(name)), LINK_NAME)
             for name in ("Programs", "Desktop")]
    for link in links:
        if os.path.exists(link):
            os.remove(link)
    setup = os.path.join(build, "app", *([] if args.http else ["https"]), "setup.exe")
    exe_folder, exe = drv.copy_setup(prefix, setup, "demo")
    shot = os.path.join(work, "setup-done.png")

    addresses = sorted({s["address"] for s in servers.values()})
    with contextlib.ExitStack() as stack:
        tls = None
        if not args.http:
            authority = stack.enter_context(drv.TrustedAuthority(
                prefix, os.path.join(build, "tests", "e2e", "trust_test_ca.exe"),
                os.path.join(work, "certs"), "Velmora demo authority"))
            tls = nginx_site.Tls(*authority.served())
            print(f"== the demo authority {authority.certificate} is trusted in the prefix for "
                  "the demo", flush=True)
        server = stack.enter_context(nginx_site.NginxSite(
            site, os.path.join(work, "nginx"), port, addresses, tls=tls))
        print(f"== nginx on {', '.join(addresses)} port {port} ({'https' if tls else 'http'}), "
              f"serving {site}", flush=True)
        # The publisher's last step before users meet the site: check it live.
        base = servers["production"]["base_url"]
        code, out = prefix.run(os.path.join(build, "tools", "vlmtool.exe"), "check", "--timeout",
                               "10", base, timeout=120)
        print(f"== vlmtool check {base} (exit code {code}):", flush=True)
        print("".join(f"  {line}\n" for line in out.splitlines()), end="", flush=True)
        checked = len(server.requests())  # the check's own requests are not setup.exe's
        print(f"== starting {exe} under wine (display {os.environ.get('DISPLAY')})", flush=True)
        run = drv.SetupRun(prefix, probe, exe, log=os.path.join(work, "setup.log"))
        try:
            run.wait_main_window()
            run.screenshot(os.path.join(work, "setup-idle.png"))
            if args.interactive:
                print("== the window is yours: press Install, then \"Done !\" (or close it)",
                      flush=True)
                run.process.wait()
                finished = os.path.exists(os.path.join(folder, "vlmv2.ini"))
                shot = None
            else:
                print("== pressing Install", flush=True)
                run.press_install()
                what, window = wait_outcome(run)
                finished = what == "done"
                if finished:
                    run.screenshot(shot, window)
                    print("== \"Done !\": pressing it again", flush=True)
                    run.press_install()
                    code = run.wait_exit(30)
                    print(f"== setup.exe ended with exit code {code}", flush=True)
                else:
                    shot = drv.Screen.screenshot(shot)
                    text = run.box_message(window) if window else ""
                    print(f"== the installation did not finish ({what}) {text}", flush=True)
        finally:
            run.stop()
            prefix.kill_all()
        requests = server.requests()[checked:]

    print(f"\nInstalled folder c:\\vlmv2 ({folder}):")
    print("\n".join(listing(folder)))
    print(f"\nExecutable folder C:\\demo ({exe_folder}):")
    print("\n".join(listing(exe_folder)))
    print("\nShortcuts:")
    made = 0
    for link in links:
        if os.path.exists(link):
            made += 1
            info = probe.link(prefix.windows_path(link)) or {}
            print(f"  {prefix.windows_path(link)}\n    target {info.get('path')!s}  arguments "
                  f"{info.get('arguments')!r}  working folder {info.get('working_folder')!s}")
    if not made:
        print("  (none)")
    print(f"\nRequests the deployment server answered (over {production.scheme}):")
    print("\n".join(f"  {r.address}  {r.line}  {r.status}" for r in requests) or "  (none)")
    if shot:
        print(f"\nScreenshot of the window: {shot}")
    return 0 if finished else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except nginx_site.NginxError as e:  # nginx missing, the port taken: one line, no trace
        sys.exit(f"error: {e}")
