"""tests/e2e/setup_driver.py -- drives setup.exe under wine the way a person would.

Used by the end-to-end tests (setup_e2e_test.py) and by the README's demo (demo_run.py). Needs a
display (DISPLAY set, e.g. by scripts/gui-run), xdotool and imagemagick's import.

- DeployServer: scripts/deploy_server.py on the fixed loopback port, with its request log (the
  tests use it for its fault switches; the demo serves its site with nginx instead).
- WinePrefix: a dedicated prefix (through scripts/wine-run), Windows and host paths, the registry.
- Probe: tests/e2e/win_probe.exe in that prefix: the windows on screen, shell links, close.
- SetupRun: one setup.exe process: its main window, clicks at client coordinates, keys, the texts
  of its child windows, the overwrite dialog, error boxes and other dialogs, screenshots.
- AnswerProbe: tests/e2e/answer_probe.exe in the background: how long the main window takes to
  answer a message sent every 10 ms.

Every wait is bounded; a wait that runs out returns None (or raises DriverError where going on
makes no sense).
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
DEPLOY_SERVER = os.path.join(ROOT, "scripts", "deploy_server.py")

WINE_SECONDS = 60  # the longest one short wine program (reg, win_probe) may take
SERVER_READY_SECONDS = 15
MAIN_WINDOW_SECONDS = 60  # a first start in a new prefix is slow

# The main window's layout at 96 dpi (client coordinates): left, top, width, height.
CLIENT_SIZE = (770, 460)
INSTALL_BUTTON = (26, 303, 175, 73)
START_MENU_TOGGLE = (26, 135, 31, 33)
DESKTOP_TOGGLE = (26, 174, 31, 33)
FOLDER_EDIT = (26, 256, 351, 31)

MAIN_CLASS = "TMainForm"
DIALOG_CLASS = "TSmoothMessageDialogWindow"
OVERWRITE_CAPTION = "Directory exists.  Overwrite files ?"
MESSAGE_BOX_CLASS = "#32770"

# The overwrite dialog's layout: a 50-pixel caption band, then a centred row of buttons in
# cells at least 75 x 25 pixels with 5 pixels of spacing (the captions "No" and "Yes" in an
# 11-pixel font fit the minimum cell).
DIALOG_CAPTION_HEIGHT = 50
DIALOG_SPACING = 5
DIALOG_CELL = (75, 25)

# A line of the server's request log:
#   <client ip>:<port> -> <local ip>:<port> "<request line>" <status> <body bytes>
REQUEST_LINE = re.compile(r'^\S+ -> ([\d.]+):\d+ "(.*)" (\d+) \d+$')

# A value line of "reg query": four blanks before the name, the type and the data (names may hold
# blanks).
REG_VALUE = re.compile(r"^ {4}(.+?) {4}(REG_\w+)(?: {4}(.*))?$")


class DriverError(Exception):
    pass


def wait_for(condition, seconds, interval=0.2):
    """Calls condition until it returns something true; that value, or None after seconds."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(folder):
    """{relative path: bytes} of the files below folder, and the set of its sub-folders."""
    files, folders = {}, set()
    if not os.path.isdir(folder):
        return files, folders
    for here, subfolders, names in os.walk(folder):
        relative = os.path.relpath(here, folder)
        for name in subfolders:
            folders.add(os.path.normpath(os.path.join(relative, name)))
        for name in names:
            path = os.path.join(here, name)
            files[os.path.normpath(os.path.join(relative, name))] = read_bytes(path)
    return files, folders


class DeployServer:
    """The loopback deployment server over a site folder; a context manager."""

    def __init__(self, site, work, port=47811, statuses=(), replacements=(), rates=()):
        self.site = site
        self.port = port
        self.log = os.path.join(work, "server.log")
        self.ready = os.path.join(work, "server.ready")
        self.statuses = list(statuses)  # (path, code)
        self.replacements = list(replacements)  # (path, file)
        self.rates = list(rates)  # (path, body bytes per second)
        self.process = None

    def start(self):
        for path in (self.log, self.ready):
            if os.path.exists(path):
                os.remove(path)
        command = [sys.executable, DEPLOY_SERVER, "--root", self.site, "--port", str(self.port),
                   "--log", self.log, "--ready-file", self.ready]
        for path, code in self.statuses:
            command += ["--status", f"{path}={code}"]
        for path, source in self.replacements:
            command += ["--replace", f"{path}={source}"]
        for path, rate in self.rates:
            command += ["--rate", f"{path}={rate}"]
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE)
        ready = wait_for(lambda: os.path.exists(self.ready) or self.process.poll() is not None,
                         SERVER_READY_SECONDS, 0.05)
        if not ready or self.process.poll() is not None:
            error = b""
            if self.process.poll() is not None:
                error = self.process.stderr.read()
            self.stop()
            raise DriverError(f"the deployment server did not start: {error.decode(errors='replace')}")
        return self

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        self.process.stderr.close()
        self.process = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def requests(self):
        """[(local address, request line, status)] in the order served."""
        if not os.path.exists(self.log):
            return []
        out = []
        for line in read_bytes(self.log).decode("utf-8", errors="replace").splitlines():
            match = REQUEST_LINE.match(line)
            if match:
                out.append((match.group(1), match.group(2), int(match.group(3))))
        return out


class WinePrefix:
    """A wine prefix of its own, prepared by scripts/wine-run on first use."""

    def __init__(self, path):
        self.path = os.path.abspath(path)
        self.env = dict(os.environ, VLM_WINEPREFIX=self.path,
                        # No desktop menu entries on the host for the links made in here.
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
        self.drive_c = os.path.join(self.path, "drive_c")

    def prepare(self):
        """Creates the prefix when needed and keeps its user folders inside it: a new prefix
        links Desktop, Documents and the like to the host's home folder, where the installer's
        desktop link would land."""
        self.run("cmd", "/c", "exit", timeout=300)
        users = os.path.join(self.drive_c, "users")
        for user in os.listdir(users) if os.path.isdir(users) else []:
            for entry in os.listdir(os.path.join(users, user)):
                path = os.path.join(users, user, entry)
                if os.path.islink(path):
                    os.remove(path)
                    os.makedirs(path)

    def command(self, *args):
        return [WINE_RUN] + [str(a) for a in args]

    def run(self, *args, timeout=WINE_SECONDS):
        """Runs a Windows program to its end: (exit code, stdout text). The output goes through a
        file, not a pipe: wine's background programs, started by the first program that needs
        them, inherit the handles and would keep a pipe open long after the program ended."""
        with tempfile.TemporaryFile() as out:
            process = subprocess.Popen(self.command(*args), env=self.env, stdout=out,
                                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            try:
                code = process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(timeout=10)
                raise DriverError(f"{' '.join(map(str, args))} did not end within {timeout} s")
            out.seek(0)
            return code, out.read().decode("utf-8", errors="replace").replace("\r", "")

    def popen(self, *args, log=None):
        out = open(log, "ab") if log else subprocess.DEVNULL
        try:
            return subprocess.Popen(self.command(*args), env=self.env, stdout=out,
                                    stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        finally:
            if log:
                out.close()

    def kill_all(self):
        """Ends every program of this prefix (only the tests' own programs run in it)."""
        subprocess.run(["wineserver", "-k"], env=dict(self.env, WINEPREFIX=self.path),
                       capture_output=True, timeout=WINE_SECONDS)

    def host_path(self, windows_path):
        """The host path of a Windows path on drive C: or Z:, letter case resolved."""
        text = windows_path.replace("\\", "/")
        drive, rest = text[:2].lower(), text[2:]
        if drive == "z:":
            return rest or "/"
        if drive != "c:":
            raise DriverError(f"no host path for {windows_path!r}")
        path = self.drive_c
        for part in [p for p in rest.split("/") if p]:
            match = part
            if os.path.isdir(path):
                for name in os.listdir(path):
                    if name.lower() == part.lower():
                        match = name
                        break
            path = os.path.join(path, match)
        return path

    def windows_path(self, host_path):
        host_path = os.path.abspath(host_path)
        if host_path == self.drive_c or host_path.startswith(self.drive_c + os.sep):
            return "C:" + (host_path[len(self.drive_c):] or "\\").replace("/", "\\")
        return "Z:" + host_path.replace("/", "\\")

    def reg_query(self, key):
        """{value name: (type, data)} of a key, or None when it does not exist."""
        code, out = self.run("reg", "query", key)
        if code != 0:
            return None
        values = {}
        for line in out.split("\n"):
            match = REG_VALUE.match(line)
            if match:
                values[match.group(1)] = (match.group(2), match.group(3) or "")
        return values

    def reg_delete(self, key):
        self.run("reg", "delete", key, "/f")

    def shell_folder(self, name):
        """The per-user shell folder value (Desktop, Programs, ...) as a Windows path."""
        values = self.reg_query(
            r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders") or {}
        return values.get(name, (None, None))[1]


class Probe:
    """win_probe.exe run in the prefix."""

    def __init__(self, prefix, exe):
        self.prefix = prefix
        self.exe = exe

    def windows(self):
        code, out = self.prefix.run(self.exe)
        if code != 0:
            raise DriverError(f"win_probe failed with exit code {code}")
        return [json.loads(line) for line in out.split("\n") if line.strip()]

    def link(self, windows_path, attempts=3):
        """{path, arguments, working_folder, description} of a shell link, or {error} when it
        cannot be read. A failed read is tried again after a pause: a cold wine prefix has been
        seen to fail a first read of a complete link once."""
        info = {}
        for attempt in range(attempts):
            if attempt:
                time.sleep(1)
            code, out = self.prefix.run(self.exe, "link", windows_path)
            lines = [line for line in out.splitlines() if line.startswith("{")]
            info = json.loads(lines[-1]) if lines else {"error": f"exit code {code}, no output"}
            if code == 0 and "error" not in info:
                break
        return info

    def close(self, hwnd):
        """Asks a window to close, as its title bar's close button does."""
        self.prefix.run(self.exe, "close", hwnd)


class AccProbe:
    """acc_probe.exe in the prefix: the window as a screen reader reads it, default actions, and
    the WinEvents announced while something happens."""

    def __init__(self, prefix, exe):
        self.prefix = prefix
        self.exe = exe

    def tree(self, hwnd):
        """[node] of the client object of hwnd, depth first (see acc_probe.cpp)."""
        code, out = self.prefix.run(self.exe, "tree", hwnd)
        return [json.loads(line) for line in out.splitlines() if line.startswith("{")]

    def do(self, hwnd, child):
        code, _ = self.prefix.run(self.exe, "do", hwnd, child)
        return code == 0

    def record(self, folder, seconds):
        """A Recorder of the WinEvents of every process of the prefix (wine does not filter them
        by process id), files in folder; started and ready."""
        return Recorder(self, folder, 0, seconds)


class Recorder:
    """acc_probe.exe record in the background; stop() ends it and returns the events."""

    def __init__(self, probe, folder, pid, seconds):
        self.file = os.path.join(folder, "events.jsonl")
        self.stop_file = os.path.join(folder, "events.stop")
        for path in (self.file, self.stop_file):
            if os.path.exists(path):
                os.remove(path)
        self.process = probe.prefix.popen(probe.exe, "record",
                                          probe.prefix.windows_path(self.file),
                                          probe.prefix.windows_path(self.stop_file), seconds, pid)
        if not wait_for(lambda: os.path.exists(self.file) and
                        b'"ready"' in read_bytes(self.file), WINE_SECONDS, 0.1):
            self.stop()
            raise DriverError("the accessibility recorder did not start")

    def stop(self):
        with open(self.stop_file, "w"):
            pass
        try:
            self.process.wait(timeout=WINE_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)
        text = read_bytes(self.file).decode("utf-8", errors="replace") if os.path.exists(
            self.file) else ""
        return [json.loads(line) for line in text.splitlines() if line.startswith("{")][1:]


class AnswerProbe:
    """answer_probe.exe sending WM_NULL to the main window every 10 ms from start() until stop(),
    which returns [(host wall-clock time in s, wait in ms)] of every send."""

    def __init__(self, prefix, exe, folder, seconds=600):
        self.prefix, self.exe, self.seconds = prefix, exe, seconds
        self.samples = os.path.join(folder, "answers.txt")
        self.stop_file = os.path.join(folder, "answers.stop")
        self.process = None

    def start(self):
        for path in (self.samples, self.stop_file):
            if os.path.exists(path):
                os.remove(path)
        self.process = self.prefix.popen(self.exe, MAIN_CLASS,
                                         self.prefix.windows_path(self.samples),
                                         self.prefix.windows_path(self.stop_file), self.seconds)
        if not wait_for(lambda: os.path.exists(self.samples) and os.path.getsize(self.samples),
                        WINE_SECONDS, 0.05):
            self.stop()
            raise DriverError("the answer probe did not start")
        return self

    def stop(self):
        with open(self.stop_file, "w"):
            pass
        if self.process is not None:
            try:
                self.process.wait(timeout=WINE_SECONDS)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
            self.process = None
        return self.waits()

    def waits(self):
        if not os.path.exists(self.samples):
            return []
        out = []
        for line in read_bytes(self.samples).decode("ascii", errors="replace").splitlines():
            fields = line.split()
            if len(fields) == 2:
                out.append((float(fields[0]) / 1000.0, float(fields[1])))
        return out


class Screen:
    """The X display: real mouse clicks, keys and screenshots."""

    @staticmethod
    def click(x, y):
        subprocess.run(["xdotool", "mousemove", str(int(x)), str(int(y)), "click", "1"],
                       check=True, timeout=10)

    @staticmethod
    def move(x, y):
        subprocess.run(["xdotool", "mousemove", str(int(x)), str(int(y))], check=True, timeout=10)

    @staticmethod
    def key(*names):
        subprocess.run(["xdotool", "key", "--delay", "150"] + list(names), check=True, timeout=10)

    @staticmethod
    def screenshot(path, box=None):
        """Saves the screen, or the box (left, top, right, bottom) of it, as PNG."""
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        command = ["import", "-window", "root"]
        if box:
            left, top, right, bottom = box
            command += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        subprocess.run(command + [path], check=True, timeout=30)
        return path


class Picture:
    """A screenshot's pixels, read once through imagemagick: at(x, y) -> (r, g, b)."""

    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], check=True, timeout=30,
                              capture_output=True, text=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                                  timeout=30, capture_output=True).stdout
        if len(self.rgb) != self.width * self.height * 3:
            raise DriverError(f"{path}: {len(self.rgb)} bytes of pixels for "
                              f"{self.width} x {self.height}")

    def at(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise DriverError(f"pixel ({x}, {y}) outside {self.width} x {self.height}")
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])


def near(colour, want, tolerance):
    """True when each component of colour lies within tolerance of want's."""
    return all(abs(a - b) <= tolerance for a, b in zip(colour, want))


def center(box):
    left, top, right, bottom = box
    return (left + right) // 2, (top + bottom) // 2


class SetupRun:
    """One setup.exe process in the prefix and its windows."""

    def __init__(self, prefix, probe, exe_windows_path, args=(), log=None):
        self.prefix = prefix
        self.probe = probe
        self.process = prefix.popen(exe_windows_path, *args, log=log)
        self.main = None

    # -- the main window ------------------------------------------------------------------
    def wait_main_window(self, seconds=MAIN_WINDOW_SECONDS):
        def find():
            if self.process.poll() is not None:
                raise DriverError(f"setup.exe ended with exit code {self.process.returncode}")
            for w in self.probe.windows():
                # Shown, and built: the Install button is in its place.
                if w["class"] == MAIN_CLASS and w["visible"]:
                    self.main = w
                    if self.install_button(w):
                        return w
            return None
        self.main = wait_for(find, seconds, 0.3)
        if not self.main:
            raise DriverError("the main window did not appear")
        return self.main

    def refresh(self):
        """The main window as it is now (None when it is gone)."""
        for w in self.probe.windows():
            if w["class"] == MAIN_CLASS:
                self.main = w
                return w
        return None

    def scale(self):
        left, _, right, _ = self.main["client"]
        return (right - left) / CLIENT_SIZE[0]

    def to_screen(self, x, y):
        left, top = self.main["client"][:2]
        s = self.scale()
        return left + round(x * s), top + round(y * s)

    def click_client(self, x, y):
        Screen.click(*self.to_screen(x, y))

    def click_control(self, layout):
        left, top, width, height = layout
        self.click_client(left + width // 2, top + height // 2)

    def child_at(self, layout, window=None):
        """The child window whose top-left corner lies at the layout's position."""
        window = window or self.main
        want = self.to_screen(layout[0], layout[1])
        for child in window["children"]:
            if abs(child["rect"][0] - want[0]) <= 1 and abs(child["rect"][1] - want[1]) <= 1:
                return child
        return None

    def install_button(self, window=None):
        return self.child_at(INSTALL_BUTTON, window)

    def folder_edit(self, window=None):
        """The edit window of the folder control (the control may wrap it with a browse button)."""
        window = window or self.main
        left, top = self.to_screen(FOLDER_EDIT[0], FOLDER_EDIT[1])
        right, bottom = self.to_screen(FOLDER_EDIT[0] + FOLDER_EDIT[2],
                                       FOLDER_EDIT[1] + FOLDER_EDIT[3])
        for child in window["children"]:
            x, y = center(child["rect"])
            if child["class"].lower() == "edit" and left <= x < right and top <= y < bottom:
                return child
        return None

    def press_install(self, by_keys=False):
        """A click on the Install button, or Enter while it has the focus (without a window
        manager the keys go to the window under the pointer: it rests on the picture)."""
        if by_keys:
            Screen.move(*self.to_screen(600, 300))
            Screen.key("Return")
        else:
            self.click_control(INSTALL_BUTTON)

    def install_started(self):
        """True once the Install button has left its idle state (disabled or done)."""
        window = self.refresh()
        button = window and self.install_button(window)
        return bool(button) and (not button["enabled"] or button["text"] != "Install")

    def wait_button(self, text, enabled=None, seconds=60):
        """Waits until the Install button shows text (and the enabled state); the window then."""
        def check():
            window = self.refresh()
            button = window and self.install_button(window)
            if button and button["text"] == text and (enabled is None or button["enabled"] == enabled):
                return window
            return None
        return wait_for(check, seconds, 0.3)

    def screenshot(self, path, window=None):
        """The main window's client area as PNG."""
        window = window or self.main
        return Screen.screenshot(path, window["client"])

    # -- other windows of the program -----------------------------------------------------
    def top_windows(self, visible=True):
        pid = self.main["pid"] if self.main else None
        return [w for w in self.probe.windows()
                if (pid is None or w["pid"] == pid) and (w["visible"] or not visible)]

    def wait_window(self, match, seconds=30):
        return wait_for(lambda: next((w for w in self.top_windows() if match(w)), None),
                        seconds, 0.3)

    def wait_overwrite_dialog(self, seconds=30):
        return self.wait_window(lambda w: w["class"] == DIALOG_CLASS and
                                w["text"] == OVERWRITE_CAPTION, seconds)

    @staticmethod
    def dialog_button_center(dialog, index, count=2):
        """Screen position of button index of the overwrite dialog, from its rectangle."""
        left, top, right, bottom = dialog["rect"]
        width, height = right - left, bottom - top
        cell_width, cell_height = DIALOG_CELL
        row = count * cell_width + DIALOG_SPACING
        button_width, button_height = cell_width - DIALOG_SPACING, cell_height - DIALOG_SPACING
        area_top = DIALOG_CAPTION_HEIGHT
        area_height = height - 1 - area_top
        x = (width - row) // 2 + index * button_width + (index + 1) * DIALOG_SPACING
        y = area_top + (area_height - button_height) // 2
        return left + x + button_width // 2, top + y + button_height // 2

    def answer_overwrite(self, dialog, yes, by_keys=False):
        if by_keys:
            # Without a window manager the keys go to the window under the pointer: rest it on
            # the caption band. The focus starts on "No": Right moves it to "Yes"; Enter chooses.
            left, top, right, _ = dialog["rect"]
            Screen.move((left + right) // 2, top + DIALOG_CAPTION_HEIGHT // 2)
            Screen.key(*(["Right", "Return"] if yes else ["Return"]))
        else:
            Screen.click(*self.dialog_button_center(dialog, 1 if yes else 0))

    def wait_message_box(self, seconds=30, exclude=()):
        """A standard message box of the program: the window and its texts, once its message
        and buttons are there (the box window exists a moment before its texts and buttons)."""
        return self.wait_window(lambda w: w["class"] == MESSAGE_BOX_CLASS and
                                w["hwnd"] not in exclude and self.box_buttons(w) and
                                self.box_message(w), seconds)

    @staticmethod
    def box_message(box):
        """The message of a message box: its non-empty static texts joined by new lines."""
        return "\n".join(c["text"] for c in box["children"]
                         if c["class"].lower() == "static" and c["text"])

    @staticmethod
    def box_buttons(box):
        return [c for c in box["children"] if c["class"].lower() == "button" and c["visible"]]

    def click_box_button(self, box, caption=None):
        """Clicks the box's button with that caption (ampersands ignored), or its first button."""
        buttons = self.box_buttons(box)
        chosen = next((b for b in buttons if caption is None or
                       b["text"].replace("&", "") == caption), None)
        if chosen is None:
            raise DriverError(f"no button {caption!r} on the box {box['text']!r}")
        Screen.click(*center(chosen["rect"]))

    def wait_gone(self, hwnd, seconds=15):
        return wait_for(lambda: all(w["hwnd"] != hwnd for w in self.top_windows()), seconds, 0.3)

    # -- the process ----------------------------------------------------------------------
    def wait_exit(self, seconds=30):
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        """Asks the main window to close, as its close button does."""
        if self.main:
            self.probe.close(self.main["hwnd"])

    def stop(self):
        """Ends the process whatever state it is in."""
        if self.process.poll() is None:
            self.close()
            if self.wait_exit(10) is None:
                self.prefix.kill_all()
                if self.wait_exit(10) is None:
                    self.process.kill()
                    self.process.wait(timeout=10)


def copy_setup(prefix, setup_exe, folder):
    """A fresh executable folder C:\\<folder> (folder given with "/") holding a copy of setup.exe;
    returns (host folder, Windows path of the copy)."""
    host = os.path.join(prefix.drive_c, *folder.split("/"))
    if os.path.isdir(host):
        shutil.rmtree(host)
    os.makedirs(host)
    shutil.copyfile(setup_exe, os.path.join(host, "setup.exe"))
    return host, prefix.windows_path(os.path.join(host, "setup.exe"))


class TrustedAuthority:
    """A test certificate authority made with openssl in folder (tests/support/
    test_certificates.py) and trusted in the prefix's current-user Root store by trust_test_ca.exe
    for the length of a "with" block; never the machine's store. issue() makes server
    certificates; served() is the usual one, for localhost, 127.0.0.1 and 127.0.0.2 as names and
    as addresses, so that a client matching either form accepts it."""

    SERVED_NAMES = "DNS:localhost,DNS:127.0.0.1,DNS:127.0.0.2,IP:127.0.0.1,IP:127.0.0.2"

    def __init__(self, prefix, helper, folder, name="Velmora test authority"):
        import test_certificates  # tests/support, on the caller's path
        self._certificates = test_certificates
        self.prefix, self.helper, self.folder, self.name = prefix, helper, folder, name
        self.pair = test_certificates.make_authority(folder, name)
        self.certificate = self.pair[0]

    def issue(self, name, alt_names, start="-1d", end="+30d", authority=None):
        return self._certificates.issue(self.folder, name, authority or self.pair, alt_names,
                                        start, end)

    def served(self):
        return self.issue("server", self.SERVED_NAMES)

    def __enter__(self):
        code, _ = self.prefix.run(self.helper, "add", self.prefix.windows_path(self.certificate))
        if code != 0:
            raise DriverError(f"trust_test_ca could not add {self.certificate} (exit code {code})")
        return self

    def __exit__(self, *exc):
        self.prefix.run(self.helper, "remove", self.prefix.windows_path(self.certificate))
