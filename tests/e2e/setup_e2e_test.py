#!/usr/bin/env python3
"""tests/e2e/setup_e2e_test.py -- setup.exe end to end: under wine with a display, driven by mouse
clicks and keys, against the loopback deployment server serving the demo site.

    setup_e2e_test.py --setup EXE --probe EXE --engine DLL --site DIR --work DIR --prefix DIR
                      --production URL --staging URL --development URL [--screenshots DIR]
                      [--answer-probe EXE]

Needs DISPLAY (run it through scripts/gui-run), xdotool and imagemagick. The programs run in a
prefix of their own (--prefix); each scenario copies setup.exe into a fresh folder C:\\e2e\\<name>
and installs into the default folder c:\\vlmv2. Scenarios:

- full installation from the production server, its package sent slowly so the download can be
  watched (the window answering a message sent every 10 ms within 500 ms throughout, by
  answer_probe.exe, default beside --probe; the bar's lime part over its #AFD2FF trough, then the
  bar hidden and the button in its
  disabled tones while the stand-in runs), checked file by file (executable folder,
  installation folder, both links, the runtime-engine stand-in's registry record), then "Done !"
  pressed: the process ends and nothing on disk changes;
- the folder exists and the confirmation is answered "No" (keys): the dialog's buttons and body
  in their colours on screen, no request, folder unchanged, button stays disabled;
- the folder exists and "Yes" is clicked, with /staging and /dev: files directly inside are gone,
  sub-folders stay, staging wins;
- /dev alone (development server), with the desktop toggle off and the Start-menu toggle flipped
  twice; /staging alone;
- the descriptor answered 404: error box with the status line, nothing written, button disabled;
- the demo site's descriptors are sealed (Size, SHA256), so every installation above checks its
  package; an unsealed descriptor with a package that is no zip archive, both toggles off: the zip
  component's dialog is answered and the installation still finishes, without links;
- a package changed by one byte, a descriptor with a wrong Size only, one with a malformed
  SHA256: an error box saying what was expected and received, nothing in the folder, no "Done !";
- a 144 dpi screen: the window 1.5 times its size with the controls in their scaled places, the
  confirmation dialog about 1.5 times its 96 dpi size;
- the window closed while the package trickles in: the sequence still runs to its end (the wait
  for the stand-in ends at once, so the stand-in's file, still in use, stays), then the program
  ends;
- Alt+F4 while the sequence waits for the runtime-engine stand-in: the wait ends at once, the
  remaining steps run (the stand-in's file, still in use, stays) and the program ends.

Prints one line per check and "N passed, M failed"; exits 1 when a check failed. Screenshots (the
idle window, the download, the confirmation dialog, the running and the finished installation)
go to --screenshots, else to the work folder's shots/; the pixel checks read them.
"""

import argparse
import glob
import hashlib
import os
import shutil
import sys
import time
import urllib.parse
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import setup_driver as drv  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

INSTALL_FOLDER = "c:\\vlmv2"
ENGINE_KEY = r"HKCU\Software\Velmora\RuntimeEngine"
DPI_KEY = r"HKCU\Control Panel\Desktop"  # its LogPixels sets wine's screen resolution
LINK_NAME = "Velmora v2.lnk"
SWITCHES = "/sp- /verysilent /norestart"
SYSMOD_CONFIG = b"[SysMod]\r\nsysmods=vlmv2sysmodhttpsvr.bpl\r\n"
INSTALL_SECONDS = 120  # the longest a whole installation may take on a busy machine
PACKAGE_RATE = 30000  # bytes per second of the full scenario's package download
ANSWER_MS = 500  # the longest the window may take to answer while the package trickles in


class Server:
    """One deployment server of the site: where its files lie and how its requests look."""

    def __init__(self, site, base_url):
        parts = urllib.parse.urlsplit(base_url)
        self.address = parts.hostname
        self.port = parts.port or 80
        self.path = parts.path.rstrip("/")
        self.folder = os.path.join(site, self.address, *[p for p in self.path.split("/") if p])

    def file(self, name):
        return drv.read_bytes(os.path.join(self.folder, name))

    def request(self, name):
        return (self.address, f"GET {self.path}/{name} HTTP/1.1", 200)

    def release(self):
        for line in self.file("deploy.vlm").decode("ascii").split("\r\n"):
            if line.lower().startswith("release="):
                return line.split("=", 1)[1]
        return ""


class Context:
    def __init__(self, args):
        self.args = args
        self.t = script_checks.Checks()
        self.prefix = drv.WinePrefix(args.prefix)
        self.probe = drv.Probe(self.prefix, args.probe)
        self.work = os.path.abspath(args.work)
        self.servers = {name: Server(args.site, getattr(args, name))
                        for name in ("production", "staging", "development")}
        self.shots = args.screenshots
        self.folder = None  # host path of c:\vlmv2, known once the prefix exists
        self.links = []
        self.dialog_size = None  # the confirmation dialog's size at 96 dpi, once seen

    def check(self, *args):
        return self.t.check(*args)

    def prepare(self):
        if os.path.isdir(self.work):
            shutil.rmtree(self.work)
        os.makedirs(self.work)
        self.prefix.prepare()
        self.prefix.kill_all()
        self.folder = self.prefix.host_path(INSTALL_FOLDER)
        self.links = [os.path.join(self.prefix.host_path(self.prefix.shell_folder(name)), LINK_NAME)
                      for name in ("Programs", "Desktop")]

    def reset(self, keep_folder=False):
        """Starts a scenario from a machine without the installation (or only with the folder)."""
        if not keep_folder and os.path.isdir(self.folder):
            shutil.rmtree(self.folder)
        for link in self.links:
            if os.path.exists(link):
                os.remove(link)

    def server(self, **faults):
        return drv.DeployServer(self.args.site, self.work, port=self.servers["production"].port,
                                **faults)

    def start(self, name, *args):
        """setup.exe copied into C:\\e2e\\<name>, started with args; (run, host exe folder).
        A start that ends before any window appears is tried once more (wine on a loaded
        machine has ended a start at once with exit code 1 and no output); a second such end,
        or a window that never appears, is an error."""
        for attempt in (1, 2):
            folder, exe = drv.copy_setup(self.prefix, self.args.setup, "e2e/" + name)
            run = drv.SetupRun(self.prefix, self.probe, exe, args,
                               log=os.path.join(self.work, f"{name}.log"))
            try:
                run.wait_main_window()
                return run, folder
            except drv.DriverError as error:
                if attempt == 2 or run.process.poll() is None:
                    raise
                print(f"note: {name}: {error} before any window appeared; starting it again",
                      flush=True)

    def shot(self, run, name, window=None, box=None):
        """Saves a screenshot (in --screenshots, else in the work folder) and returns its pixels.
        Coordinates are client coordinates of the main window unless a box is given."""
        path = os.path.join(self.shots or os.path.join(self.work, "shots"), name)
        if box:
            drv.Screen.screenshot(path, box)
        else:
            run.screenshot(path, window)
        if self.shots:
            print(f"screenshot {path}", flush=True)
        return drv.Picture(path)

    def engine_runs(self):
        values = self.prefix.reg_query(ENGINE_KEY)
        if not values or values.get("Runs", ("", ""))[0] != "REG_DWORD":
            return 0
        return int(values["Runs"][1], 16)


def package_files(server):
    """{name without folders: bytes} of the site's package, directory entries left out."""
    out = {}
    path = os.path.join(server.folder, "vlmv2menu.pkg")
    with zipfile.ZipFile(path) as archive:
        for info in archive.infolist():
            if not info.filename.endswith("/"):
                out[info.filename.rsplit("/", 1)[-1]] = archive.read(info)
    return out


def application_title(exe):
    """The error boxes' title: the executable's name up to its first ".", every character after
    the first in lower case."""
    name = os.path.basename(exe).split(".", 1)[0]
    return name[:1] + name[1:].lower()


def record_bytes(release):
    return (b"[Packages]\r\nPackageList=vlmv2menu\r\n\r\n[vlmv2menu]\r\nRelease=" +
            release.encode("ascii") + b"\r\n\r\n")


def wait_installed(c, run, label):
    window = run.wait_button("Done !", enabled=True, seconds=INSTALL_SECONDS)
    c.check(f"{label}: the button reads \"Done !\" and is enabled", window is not None,
            str(run.refresh()))
    return window


def check_exe_folder(c, exe_folder, server, label):
    c.check(f"{label}: executable folder holds the server's deploy.vlm",
            _read(os.path.join(exe_folder, "deploy.vlm")) == server.file("deploy.vlm"))
    c.check(f"{label}: executable folder holds vlmzip190.dll (the embedded engine)",
            _read(os.path.join(exe_folder, "vlmzip190.dll")) == drv.read_bytes(c.args.engine))
    c.check(f"{label}: vlmv2install.exe is gone from the executable folder",
            not os.path.exists(os.path.join(exe_folder, "vlmv2install.exe")))


def check_install_folder(c, server, exe_folder, label, with_package=True):
    files, _ = drv.snapshot(c.folder)
    c.check(f"{label}: deploy.vlm record is the six CR LF lines",
            files.get("deploy.vlm") == record_bytes(server.release()), repr(files.get("deploy.vlm")))
    c.check(f"{label}: vlmv2.ini is the 42-byte configuration",
            files.get("vlmv2.ini") == SYSMOD_CONFIG and len(SYSMOD_CONFIG) == 42,
            repr(files.get("vlmv2.ini")))
    c.check(f"{label}: vlmzip190.dll equals the one next to the executable",
            files.get("vlmzip190.dll") is not None and
            files.get("vlmzip190.dll") == _read(os.path.join(exe_folder, "vlmzip190.dll")))
    c.check(f"{label}: release.inf holds the server's bytes",
            files.get("release.inf") == server.file("release.inf"))
    c.check(f"{label}: no vlmv2menu.pkg left", "vlmv2menu.pkg" not in files, sorted(files))
    unpacked = package_files(server)
    if with_package:
        c.check(f"{label}: every package file unpacked, without folder names",
                all(files.get(name) == data for name, data in unpacked.items()),
                f"{sorted(unpacked)} vs {sorted(files)}")
    else:
        c.check(f"{label}: nothing of the package was unpacked",
                not any(name in files for name in unpacked), sorted(files))
    return files


def check_links(c, label, arguments, expected=(True, True)):
    for link, wanted, where in zip(c.links, expected, ("Programs folder", "desktop")):
        if not wanted:
            c.check(f"{label}: no link in the {where}", not os.path.exists(link), link)
            continue
        if not c.check(f"{label}: \"{LINK_NAME}\" in the {where}", os.path.isfile(link), link):
            continue
        info = c.probe.link(c.prefix.windows_path(link)) or {}
        c.check(f"{label}: {where} link starts c:\\vlmv2\\vlmv2menu.exe",
                info.get("path", "").lower() == "c:\\vlmv2\\vlmv2menu.exe", str(info))
        c.check(f"{label}: {where} link passes {arguments!r}",
                info.get("arguments") == arguments, str(info))
        c.check(f"{label}: {where} link works in the target's folder c:\\vlmv2\\",
                info.get("working_folder", "").lower() == "c:\\vlmv2\\", str(info))
        c.check(f"{label}: {where} link is described as \"Velmora v2\"",
                info.get("description") == "Velmora v2", str(info))


def check_engine_record(c, label, runs_before):
    values = c.prefix.reg_query(ENGINE_KEY) or {}
    c.check(f"{label}: runtime-engine stand-in ran with {SWITCHES!r}",
            values.get("CommandLine") == ("REG_SZ", SWITCHES), str(values))
    c.check(f"{label}: its run count went up by one", c.engine_runs() == runs_before + 1,
            f"{runs_before} -> {c.engine_runs()}")


def _read(path):
    return drv.read_bytes(path) if os.path.isfile(path) else None


# Colours of the window's parts on screen, and points to look at them (client coordinates at
# 96 dpi). The button's middle band is its colour - 40: #808080 gives 88, #505050 (disabled) 40.
BUTTON_BAND = (34, 339)
BAR_LEFT = (46, 431)  # inside the bar, past the end shadows, between the overlays
BAR_RIGHT = (276, 431)
LIME, TROUGH, WHITE = (0, 255, 0), (175, 210, 255), (255, 255, 255)


def pixel(run, picture, point):
    s = run.scale()
    return picture.at(round(point[0] * s), round(point[1] * s))


def grey(colour, low, high):
    return max(colour) - min(colour) <= 8 and low <= colour[0] <= high


def lime_fill(colour):
    # Lime, lightened at most by the sheen passing over it (white at up to 120 of 255).
    return colour[1] >= 200 and colour[0] <= 140 and colour[2] <= 140


def check_requests(c, server_process, expected, label):
    c.check(f"{label}: the server was asked for exactly {[r[1] for r in expected]}",
            server_process.requests() == expected, str(server_process.requests()))


def press(c, run, label, by_keys, taken, seconds=15):
    """Presses the Install button and waits until taken() holds. A mouse click that is not taken
    is a failure of its own; Enter then stands in, so that the later checks still run."""
    run.press_install(by_keys)
    ok = drv.wait_for(taken, seconds, 0.2)
    if not by_keys:
        c.check(f"{label}: a mouse click on the button is taken", ok, str(run.install_button()))
        if not ok:
            run.press_install(by_keys=True)
            ok = drv.wait_for(taken, seconds, 0.2)
    return ok


def start_install(c, run, label, by_keys=False):
    ok = press(c, run, label, by_keys, run.install_started)
    c.check(f"{label}: the installation starts", ok, str(run.install_button()))
    return ok


def press_done_ends(c, run, exe_folder, label, by_keys=False):
    before = (drv.snapshot(c.folder), drv.snapshot(exe_folder))
    press(c, run, label, by_keys, lambda: run.process.poll() is not None, 30)
    code = run.wait_exit(5)
    c.check(f"{label}: pressing \"Done !\" ends the process (exit code 0)", code == 0, str(code))
    c.check(f"{label}: ending touches nothing on disk",
            (drv.snapshot(c.folder), drv.snapshot(exe_folder)) == before)


# -- scenarios ------------------------------------------------------------------------------

def scenario_full(c):
    label = "full"
    c.reset()
    c.prefix.reg_delete(ENGINE_KEY)
    server = c.servers["production"]
    # A slow line for the package (about 3 s), so the download can be watched on screen.
    with c.server(rates=[("/vlmv2menu.pkg", PACKAGE_RATE)]) as deploy:
        run, exe_folder = c.start("full")
        try:
            main = run.main
            button = run.install_button()
            edit = run.folder_edit()
            c.check("idle: client area is 770 x 460",
                    (main["client"][2] - main["client"][0], main["client"][3] - main["client"][1])
                    == drv.CLIENT_SIZE, str(main["client"]))
            c.check("idle: main window has an empty title", main["text"] == "", main["text"])
            c.check("idle: Install button shows \"Install\", enabled, with the focus",
                    button is not None and button["text"] == "Install" and button["enabled"] and
                    main["focus_hwnd"] == button["hwnd"], str(button))
            c.check("idle: folder edit shows c:\\vlmv2",
                    edit is not None and edit["text"] == INSTALL_FOLDER, str(edit))
            c.check("idle: payloads written next to the executable",
                    _read(os.path.join(exe_folder, "vlmzip190.dll")) == drv.read_bytes(c.args.engine)
                    and os.path.isfile(os.path.join(exe_folder, "vlmv2install.exe")))
            idle = c.shot(run, "idle.png")
            colour = pixel(run, idle, BUTTON_BAND)
            c.check("idle: the enabled button's middle band is #808080 - 40 on screen",
                    grey(colour, 70, 110), str(colour))

            answers = drv.AnswerProbe(c.prefix, c.args.answer_probe, c.work).start()
            if not start_install(c, run, label):
                answers.stop()
                return
            watch_download(c, run, deploy, server)
            check_answers(c, answers)
            # One look at the window while the sequence runs (the stand-in alone takes 3 s).
            running = drv.wait_for(lambda: (lambda w: w and (run.folder_edit(w) or {}).get("text")
                                            == INSTALL_FOLDER + "\\" and w)(run.refresh()), 30, 0.2)
            c.check("running: the folder text gets its backslash", running,
                    str(run.folder_edit()))
            button = run.install_button(running) if running else None
            c.check("running: the Install button is disabled",
                    button and (not button["enabled"] or button["text"] == "Done !"), str(button))
            # The runtime-engine stand-in runs about 3 s once release.inf is saved.
            if drv.wait_for(lambda: os.path.exists(os.path.join(c.folder, "release.inf")), 60, 0.05):
                time.sleep(1.3)  # "Installing" has grown by a dot
                installing = c.shot(run, "installing.png")
                colour = pixel(run, installing, BUTTON_BAND)
                c.check("installing: the disabled button is drawn in #505050 tones",
                        grey(colour, 25, 60), str(colour))
                colour = pixel(run, installing, BAR_LEFT)
                c.check("installing: the progress bar is hidden", drv.near(colour, WHITE, 8),
                        str(colour))
            if wait_installed(c, run, label):
                c.shot(run, "done.png")
                check_requests(c, deploy, [server.request("deploy.vlm"),
                                           server.request("vlmv2menu.pkg"),
                                           server.request("release.inf")], label)
                check_exe_folder(c, exe_folder, server, label)
                check_install_folder(c, server, exe_folder, label)
                check_links(c, label, "")
                check_engine_record(c, label, 0)
                press_done_ends(c, run, exe_folder, label)
        finally:
            run.stop()


def watch_download(c, run, deploy, server):
    """Looks at the window while the package trickles in: the bar fills with lime from the left
    over its pale blue trough."""
    package = server.request("vlmv2menu.pkg")
    asked = drv.wait_for(lambda: package in deploy.requests(), 30, 0.1)
    c.check("downloading: the package is asked for", asked, str(deploy.requests()))
    picture = None
    seconds = os.path.getsize(os.path.join(server.folder, "vlmv2menu.pkg")) / PACKAGE_RATE
    deadline = time.monotonic() + 2 * seconds + 5
    while asked and time.monotonic() < deadline:
        picture = c.shot(run, "downloading.png")
        if lime_fill(pixel(run, picture, BAR_LEFT)):
            break
        time.sleep(0.2)
    if picture is None:
        return
    left, right = pixel(run, picture, BAR_LEFT), pixel(run, picture, BAR_RIGHT)
    c.check("downloading: the bar's filled part is lime", lime_fill(left), str(left))
    c.check("downloading: the rest of the bar is the #AFD2FF trough", drv.near(right, TROUGH, 25),
            str(right))


def check_answers(c, answers):
    """Once the package is saved: the window answered every message sent while the package
    trickled in (about 3 s, each 32 KiB block taking about a second) within ANSWER_MS."""
    saved = drv.wait_for(lambda: os.path.exists(os.path.join(c.folder, "vlmv2menu.pkg")), 60, 0.05)
    waits = [wait for _, wait in answers.stop()]
    c.check("downloading: the package is saved", saved)
    c.check(f"downloading: the window answered every message within {ANSWER_MS} ms "
            f"({len(waits)} sent, at least 50 expected)",
            len(waits) >= 50 and max(waits) < ANSWER_MS,
            f"longest {max(waits, default=0):.1f} ms")


def scenario_refuse(c):
    """Needs the folder of an earlier installation."""
    label = "exists+No"
    c.reset(keep_folder=True)
    os.makedirs(c.folder, exist_ok=True)
    before = drv.snapshot(c.folder)
    with c.server() as deploy:
        run, exe_folder = c.start("refuse")
        try:
            run.press_install(by_keys=True)
            dialog = run.wait_overwrite_dialog()
            if not c.check(f"{label}: the confirmation dialog appears", dialog is not None,
                           str(run.top_windows())):
                return
            time.sleep(0.3)  # the layered window's first image reaches the screen
            check_dialog_pixels(c, run, dialog, c.shot(run, "refuse-dialog.png"))
            c.dialog_size = _size(dialog["rect"])
            time.sleep(0.5)
            c.check(f"{label}: the Enter that started the installation does not answer it",
                    any(w["hwnd"] == dialog["hwnd"] for w in run.top_windows()))
            c.check(f"{label}: the dialog is a layered window", dialog["exstyle"] & 0x80000,
                    hex(dialog["exstyle"]))
            main = run.refresh()
            c.check(f"{label}: the main window takes no input while it is open",
                    not main["enabled"], str(main["enabled"]))
            c.shot(run, "confirm.png", box=_union(main["client"], dialog["rect"]))
            run.answer_overwrite(dialog, yes=False, by_keys=True)
            gone = run.wait_gone(dialog["hwnd"])
            c.check(f"{label}: Enter chooses \"No\" and closes the dialog", gone)
            time.sleep(1.0)
            main = run.refresh()
            button = run.install_button(main)
            c.check(f"{label}: no request reached the server", deploy.requests() == [],
                    str(deploy.requests()))
            c.check(f"{label}: the folder is unchanged", drv.snapshot(c.folder) == before)
            c.check(f"{label}: the button stays disabled", button and not button["enabled"]
                    and button["text"] == "Install", str(button))
            c.check(f"{label}: the folder text is left as it was",
                    (run.folder_edit(main) or {}).get("text") == INSTALL_FOLDER)
            run.close()
            c.check(f"{label}: closing the window ends the program", run.wait_exit(30) is not None)
        finally:
            run.stop()


def check_dialog_pixels(c, run, dialog, shown):
    """The dialog on screen: "No" (focused) and "Yes" in their colours, the body around them."""
    left, top = run.main["client"][:2]
    to_client = lambda x, y: (x - left, y - top)  # noqa: E731
    for index, want, name in ((0, (192, 192, 192), "focused \"No\" is #C0C0C0"),
                              (1, (218, 229, 243), "\"Yes\" is #DAE5F3")):
        x, y = run.dialog_button_center(dialog, index)
        # The lower half, left of the caption: below the gloss, beside the text.
        colour = shown.at(*to_client(x - 25, y + 5))
        c.check(f"dialog: {name}", drv.near(colour, want, 12), str(colour))
    # Beside the buttons, the body: light blue-grey (#D0DEF0 under the button area's white
    # gloss). Without a compositing manager the X server cannot blend a layered window with what
    # lies behind it, so the body's translucency is checked on the dialog's own image instead
    # (the ui tests), not here.
    d_left, _, _, _ = dialog["rect"]
    _, y = run.dialog_button_center(dialog, 0)
    colour = shown.at(*to_client(d_left + 6, y))
    c.check("dialog: the body beside the buttons is light blue-grey",
            min(colour) >= 170 and colour[2] >= colour[0] + 10, str(colour))


def scenario_high_dpi(c):
    """The window and the confirmation dialog on a 144 dpi screen (the prefix's LogPixels for the
    time of the scenario): every length 1.5 times its 96 dpi value."""
    label = "144 dpi"
    c.reset(keep_folder=True)
    os.makedirs(c.folder, exist_ok=True)
    before = (c.prefix.reg_query(DPI_KEY) or {}).get("LogPixels")
    c.prefix.run("reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    try:
        run, _ = c.start("dpi")
        try:
            main = run.main
            c.check(f"{label}: client area is 1155 x 690", _size(main["client"]) == (1155, 690),
                    str(main["client"]))
            idle = c.shot(run, "idle-144dpi.png")
            for name, point, want in (("white ground", (5, 450), WHITE),
                                      ("start-menu toggle lime", (34, 160), LIME)):
                colour = pixel(run, idle, point)
                c.check(f"{label}: {name} at its scaled place", drv.near(colour, want, 40),
                        str(colour))
            colour = pixel(run, idle, BUTTON_BAND)
            c.check(f"{label}: the button's band at its scaled place", grey(colour, 70, 110),
                    str(colour))
            run.press_install(by_keys=True)
            dialog = run.wait_overwrite_dialog()
            if not c.check(f"{label}: the confirmation dialog appears", dialog is not None,
                           str(run.top_windows())):
                return
            width, height = _size(dialog["rect"])
            # At least the scaled caption band (75) and the scaled minimum cell (38).
            c.check(f"{label}: the dialog's fixed sizes are scaled", height >= 75 + 38,
                    str(dialog["rect"]))
            if c.dialog_size:
                c.check(f"{label}: the dialog is about 1.5 times its 96 dpi size",
                        all(1.35 <= new / old <= 1.65
                            for new, old in zip((width, height), c.dialog_size)),
                        f"{(width, height)} against {c.dialog_size}")
            time.sleep(0.3)
            main = run.refresh()
            c.shot(run, "confirm-144dpi.png", box=_union(main["client"], dialog["rect"]))
            run.answer_overwrite(dialog, yes=False, by_keys=True)
            c.check(f"{label}: Enter chooses \"No\" and closes the dialog",
                    run.wait_gone(dialog["hwnd"]))
            run.close()
            c.check(f"{label}: closing the window ends the program", run.wait_exit(30) is not None)
        finally:
            run.stop()
    finally:
        if before:
            kind, data = before
            data = str(int(data, 16)) if kind == "REG_DWORD" else data
            c.prefix.run("reg", "add", DPI_KEY, "/v", "LogPixels", "/t", kind, "/d", data, "/f")
        else:
            c.prefix.run("reg", "delete", DPI_KEY, "/v", "LogPixels", "/f")


def _size(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


def _union(a, b):
    return (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))


def scenario_overwrite_both_flags(c):
    """The folder exists, "Yes" is clicked; /staging and /dev given: staging wins."""
    label = "exists+Yes /staging /dev"
    c.reset(keep_folder=True)
    os.makedirs(os.path.join(c.folder, "sub", "deeper"), exist_ok=True)
    for name, data in (("stray.txt", b"old"), (".hidden-file", b"h"), ("release.inf", b"old"),
                       ("sub/keep.txt", b"keep"), ("sub/deeper/x.bin", b"\0" * 10)):
        with open(os.path.join(c.folder, name), "wb") as f:
            f.write(data)
    server = c.servers["staging"]
    runs = c.engine_runs()
    with c.server() as deploy:
        run, exe_folder = c.start("overwrite", "/staging", "/dev")
        try:
            if not start_install(c, run, label):
                return
            dialog = run.wait_overwrite_dialog()
            if not c.check(f"{label}: the confirmation dialog appears", dialog is not None):
                return
            run.answer_overwrite(dialog, yes=True)
            c.check(f"{label}: a click on \"Yes\" closes the dialog", run.wait_gone(dialog["hwnd"]))
            if not wait_installed(c, run, label):
                return
            files, folders = drv.snapshot(c.folder)
            c.check(f"{label}: files directly inside are gone",
                    "stray.txt" not in files and ".hidden-file" not in files, sorted(files))
            c.check(f"{label}: sub-folders and their files stay",
                    files.get(os.path.join("sub", "keep.txt")) == b"keep" and
                    files.get(os.path.join("sub", "deeper", "x.bin")) == b"\0" * 10, sorted(files))
            check_requests(c, deploy, [server.request("deploy.vlm"), server.request("vlmv2menu.pkg"),
                                       server.request("release.inf")], label)
            check_exe_folder(c, exe_folder, server, label)
            check_install_folder(c, server, exe_folder, label)
            check_links(c, label, "/staging")
            check_engine_record(c, label, runs)
        finally:
            run.stop()


def scenario_flag(c, flag, server_name, toggles, by_keys):
    """A fresh installation with one option. toggles: clicks on (start menu, desktop)."""
    label = flag
    c.reset()
    server = c.servers[server_name]
    runs = c.engine_runs()
    with c.server() as deploy:
        run, exe_folder = c.start(flag.strip("/"), flag)
        try:
            for layout, clicks in zip((drv.START_MENU_TOGGLE, drv.DESKTOP_TOGGLE), toggles):
                for _ in range(clicks):
                    run.click_control(layout)
                    time.sleep(0.7)  # separate clicks, not a double click
            if not start_install(c, run, label, by_keys):
                return
            if not wait_installed(c, run, label):
                return
            check_requests(c, deploy, [server.request("deploy.vlm"), server.request("vlmv2menu.pkg"),
                                       server.request("release.inf")], label)
            check_exe_folder(c, exe_folder, server, label)
            check_install_folder(c, server, exe_folder, label)
            check_links(c, label, flag, tuple(clicks % 2 == 0 for clicks in toggles))
            check_engine_record(c, label, runs)
        finally:
            run.stop()


def scenario_descriptor_404(c):
    label = "descriptor 404"
    c.reset()
    with c.server(statuses=[("/deploy.vlm", 404)]) as deploy:
        run, exe_folder = c.start("notfound")
        try:
            run.press_install(by_keys=True)
            box = run.wait_message_box()
            if not c.check(f"{label}: an error box appears", box is not None, str(run.top_windows())):
                return
            title = application_title(c.args.setup)
            c.check(f"{label}: the box is titled {title!r}", box["text"] == title, box["text"])
            c.check(f"{label}: the box shows the status line",
                    run.box_message(box) == "HTTP/1.1 404 Not Found.", run.box_message(box))
            c.shot(run, "error-404.png", box=_union(run.main["client"], box["rect"]))
            run.click_box_button(box, "OK")
            c.check(f"{label}: OK closes the box", run.wait_gone(box["hwnd"]))
            main = run.refresh()
            button = run.install_button(main)
            c.check(f"{label}: the button stays disabled", button and not button["enabled"],
                    str(button))
            c.check(f"{label}: the server saw only the descriptor request",
                    deploy.requests() == [("127.0.0.1", "GET /deploy.vlm HTTP/1.1", 404)],
                    str(deploy.requests()))
            files, folders = drv.snapshot(c.folder)
            c.check(f"{label}: nothing written into the installation folder",
                    files == {} and folders == set(), f"{sorted(files)} {sorted(folders)}")
            c.check(f"{label}: no descriptor saved next to the executable",
                    not os.path.exists(os.path.join(exe_folder, "deploy.vlm")))
            run.close()
            c.check(f"{label}: closing the window ends the program", run.wait_exit(30) is not None)
        finally:
            run.stop()


def descriptor_variant(c, server, name, keep=lambda line: True, extra=()):
    """The server's descriptor with the lines keep() refuses left out and extra lines added at
    the end of section [vlmv2menu], saved in the work folder; its path."""
    lines = server.file("deploy.vlm").decode("ascii").split("\r\n")
    section_end = lines.index("", lines.index("[vlmv2menu]"))
    lines = [l for l in lines[:section_end] if keep(l)] + list(extra) + lines[section_end:]
    path = os.path.join(c.work, name)
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("ascii"))
    return path


def unsealed(line):
    return not line.lower().startswith(("size=", "sha256="))


def scenario_not_a_zip(c):
    """An unsealed descriptor (as every descriptor was before seals) and a package that is no
    archive: the zip component reports it and the sequence goes on, as it always has."""
    label = "package no zip"
    c.reset()
    junk = os.path.join(c.work, "junk.pkg")
    with open(junk, "wb") as f:
        f.write(b"this is no archive at all\r\n" * 40)
    server = c.servers["production"]
    plain = descriptor_variant(c, server, "unsealed.vlm", keep=unsealed)
    runs = c.engine_runs()
    with c.server(replacements=[("/deploy.vlm", plain), ("/vlmv2menu.pkg", junk)]) as deploy:
        run, exe_folder = c.start("notzip")
        try:
            run.click_control(drv.START_MENU_TOGGLE)
            time.sleep(0.7)
            run.click_control(drv.DESKTOP_TOGGLE)
            time.sleep(0.7)
            if not start_install(c, run, label):
                return
            main_hwnd = run.main["hwnd"]

            def zip_dialog_or_done():
                # Any other window of the program (wine's 1 x 1 helpers aside), or the end.
                windows = run.top_windows()
                for w in windows:
                    if w["hwnd"] != main_hwnd and w["rect"][2] - w["rect"][0] > 1:
                        return w
                main = next((w for w in windows if w["hwnd"] == main_hwnd), None)
                button = main and run.install_button(main)
                return "done" if button and button["text"] == "Done !" else None

            # The component may report the archive more than once (reading its directory, then
            # extracting); every box is answered with its first button, as a user would.
            answered = []
            for _ in range(5):
                dialog = drv.wait_for(zip_dialog_or_done, 60, 0.3)
                if dialog in (None, "done"):
                    break
                print(f"     zip dialog {dialog['hwnd']}: class {dialog['class']!r} title "
                      f"{dialog['text']!r} text {run.box_message(dialog)!r} buttons "
                      f"{[b['text'] for b in run.box_buttons(dialog)]}", flush=True)
                if not answered:
                    c.shot(run, "zip-dialog.png", box=_union(run.main["client"], dialog["rect"]))
                buttons = run.box_buttons(dialog)
                if buttons:
                    run.click_box_button(dialog, buttons[0]["text"].replace("&", ""))
                else:
                    drv.Screen.move(*drv.center(dialog["rect"]))
                    drv.Screen.key("Return")
                gone = run.wait_gone(dialog["hwnd"])
                c.check(f"{label}: answering zip dialog {len(answered) + 1} closes it", gone)
                answered.append(dialog)
                if not gone:
                    break
            c.check(f"{label}: the zip component's dialog appears, saying the archive is not valid",
                    answered and "not a valid Zip archive" in run.box_message(answered[0]),
                    str([run.box_message(d) for d in answered]))
            if not wait_installed(c, run, label):
                return
            c.check(f"{label}: the server was asked for all three files",
                    deploy.requests() == [server.request("deploy.vlm"),
                                          server.request("vlmv2menu.pkg"),
                                          server.request("release.inf")], str(deploy.requests()))
            check_install_folder(c, server, exe_folder, label, with_package=False)
            check_links(c, label, "", (False, False))
            check_engine_record(c, label, runs)
            press_done_ends(c, run, exe_folder, label)
        finally:
            run.stop()


def scenario_seal_refused(c, name):
    """A package or seal that does not hold: the error box says what was expected and received,
    nothing is unpacked or saved into the folder, and the window stays stopped."""
    label = f"seal {name}"
    c.reset()
    server = c.servers["production"]
    package = server.file("vlmv2menu.pkg")
    digest = hashlib.sha256(package).hexdigest()
    url = f"http://{server.address}:{server.port}{server.path}/vlmv2menu.pkg"
    replacements, fetched = [], [server.request("deploy.vlm"), server.request("vlmv2menu.pkg")]
    if name == "tampered":  # one byte changed on the server
        changed = bytearray(package)
        changed[len(changed) // 2] ^= 0x01
        path = os.path.join(c.work, "tampered.pkg")
        with open(path, "wb") as f:
            f.write(changed)
        replacements.append(("/vlmv2menu.pkg", path))
        message = (f"The menu package from {url} is damaged: expected {len(package)} bytes with "
                   f"SHA-256 {digest}, received {len(package)} bytes with SHA-256 "
                   f"{hashlib.sha256(changed).hexdigest()}.")
    elif name == "size":  # a wrong Size and no SHA256
        replacements.append(("/deploy.vlm", descriptor_variant(
            c, server, "size.vlm", keep=unsealed, extra=[f"Size={len(package) + 1}"])))
        message = (f"The menu package from {url} is damaged: expected {len(package) + 1} bytes, "
                   f"received {len(package)} bytes with SHA-256 {digest}.")
    else:  # a malformed SHA256: refused before the package is asked for
        replacements.append(("/deploy.vlm", descriptor_variant(
            c, server, "malformed.vlm", keep=unsealed, extra=["SHA256=" + digest[:-1] + "g"])))
        fetched = fetched[:1]
        message = ("The deployment descriptor's key SHA256 in section [vlmv2menu] is malformed: "
                   f"\"{digest[:-1]}g\" is not 64 hexadecimal digits.")
    # The log of /loglevel1 goes to the user's temporary folder (wine: C:\users\<name>\Temp).
    logs = [p for p in glob.glob(os.path.join(c.prefix.drive_c, "users", "*", "Temp"))
            if "Public" not in p]
    log = os.path.join(logs[0], "vlmv2setup.log") if logs else None
    if log and os.path.exists(log):
        os.remove(log)
    with c.server(replacements=replacements) as deploy:
        run, exe_folder = c.start("seal-" + name, "/loglevel1")
        try:
            run.press_install(by_keys=True)
            box = run.wait_message_box()
            if not c.check(f"{label}: an error box appears", box is not None, str(run.top_windows())):
                return
            c.check(f"{label}: the box says what was expected and received",
                    run.box_message(box) == message, run.box_message(box))
            run.click_box_button(box, "OK")
            c.check(f"{label}: OK closes the box", run.wait_gone(box["hwnd"]))
            button = run.install_button(run.refresh())
            c.check(f"{label}: the button stays disabled, never \"Done !\"",
                    button and not button["enabled"] and button["text"] == "Install", str(button))
            c.check(f"{label}: the server was asked for what the check needed",
                    deploy.requests() == fetched, str(deploy.requests()))
            files, folders = drv.snapshot(c.folder)
            c.check(f"{label}: nothing unpacked or saved into the installation folder",
                    files == {} and folders == set(), f"{sorted(files)} {sorted(folders)}")
            if len(fetched) == 2:
                text = drv.read_bytes(log).decode("latin-1") if log and os.path.exists(log) else ""
                c.check(f"{label}: the log says what was checked",
                        "menu package checked against its seal: expected " in text and
                        text.rstrip().endswith(", damaged"), text[-400:])
            run.close()
            c.check(f"{label}: closing the window ends the program", run.wait_exit(30) is not None)
        finally:
            run.stop()


def scenario_close_while_downloading(c):
    """The close request reaches the window during the download (the window answers while its
    socket waits); as during any step, only the wait for the stand-in looks at it."""
    label = "closed while downloading"
    c.reset()
    server = c.servers["production"]
    runs_before = c.engine_runs()
    with c.server(rates=[("/vlmv2menu.pkg", PACKAGE_RATE)]) as deploy:
        run, exe_folder = c.start("close-download")
        try:
            if not start_install(c, run, label):
                return
            package = server.request("vlmv2menu.pkg")
            if not c.check(f"{label}: the package is asked for",
                           drv.wait_for(lambda: package in deploy.requests(), 30, 0.05)):
                return
            time.sleep(0.5)
            run.close()
            code = run.wait_exit(INSTALL_SECONDS)
            c.check(f"{label}: the program ends", code is not None, str(code))
            check_install_folder(c, server, exe_folder, label)
            c.check(f"{label}: the wait ends at once: vlmv2install.exe, still running, stays",
                    os.path.exists(os.path.join(exe_folder, "vlmv2install.exe")))
            # The stand-in outlives the program by about 3 s; the next scenario starts after it.
            drv.wait_for(lambda: c.engine_runs() > runs_before, 30, 0.2)
        finally:
            run.stop()


def scenario_close_while_installing(c):
    """Alt+F4 while the sequence waits for the runtime-engine stand-in (about 3 s)."""
    label = "closed while installing"
    c.reset()
    server = c.servers["production"]
    with c.server():
        run, exe_folder = c.start("close")
        try:
            if not start_install(c, run, label):
                return
            if not c.check(f"{label}: the stand-in is started after release.inf is saved",
                           drv.wait_for(lambda: os.path.exists(os.path.join(c.folder, "release.inf")),
                                        60, 0.05)):
                return
            time.sleep(0.3)
            drv.Screen.move(*run.to_screen(600, 300))
            drv.Screen.key("alt+F4")
            code = run.wait_exit(30)
            c.check(f"{label}: the program ends", code is not None, str(code))
            # The wait ended while the stand-in still ran, so its file could not be deleted.
            c.check(f"{label}: the wait ends at once: vlmv2install.exe, still running, stays",
                    os.path.exists(os.path.join(exe_folder, "vlmv2install.exe")))
            check_install_folder(c, server, exe_folder, label)
            check_links(c, label, "")
        finally:
            run.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for name in ("setup", "probe", "engine", "site", "work", "prefix", "production", "staging",
                 "development"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--screenshots")
    parser.add_argument("--answer-probe", help="answer_probe.exe (default: beside --probe)")
    parser.add_argument("--only", help="comma-separated scenario names (for debugging)")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("setup_e2e_test.py needs a display: run it through scripts/gui-run", file=sys.stderr)
        return 2
    args.answer_probe = args.answer_probe or os.path.join(os.path.dirname(args.probe),
                                                          "answer_probe.exe")
    c = Context(args)
    scenarios = [
        ("full", scenario_full),
        ("refuse", scenario_refuse),
        ("overwrite", scenario_overwrite_both_flags),
        ("dev", lambda c: scenario_flag(c, "/dev", "development", (2, 1), by_keys=True)),
        ("staging", lambda c: scenario_flag(c, "/staging", "staging", (0, 0), by_keys=False)),
        ("notfound", scenario_descriptor_404),
        ("notzip", scenario_not_a_zip),
        ("tampered", lambda c: scenario_seal_refused(c, "tampered")),
        ("size", lambda c: scenario_seal_refused(c, "size")),
        ("malformed", lambda c: scenario_seal_refused(c, "malformed")),
        ("dpi", scenario_high_dpi),
        ("closedownload", scenario_close_while_downloading),
        ("close", scenario_close_while_installing),  # last: the stand-in outlives the program
    ]
    return run_scenarios(c, scenarios, args.only)


def run_scenarios(c, scenarios, only=None):
    """Runs the (name, scenario(c)) pairs, or those named in the comma-separated only, each
    timed, in a prepared prefix; returns the exit code of the checks."""
    only = set(only.split(",")) if only else None
    try:
        c.prepare()
        for name, scenario in scenarios:
            if only and name not in only:
                continue
            started = time.monotonic()
            print(f"== {name}", flush=True)
            try:
                scenario(c)
            except (drv.DriverError, OSError) as error:
                c.check(f"{name}: scenario ran to its end", False, str(error))
            print(f"   ({time.monotonic() - started:.1f} s)", flush=True)
    finally:
        c.prefix.kill_all()
    return c.t.finish()


if __name__ == "__main__":
    sys.exit(main())
