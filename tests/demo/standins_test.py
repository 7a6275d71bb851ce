#!/usr/bin/env python3
"""tests/demo/standins_test.py -- vlmv2install.exe and vlmv2menu.exe, run under wine.

    standins_test.py VLMV2INSTALL VLMV2MENU EMULATOR...

EMULATOR is the command that runs a Windows program (scripts/wine-run); the same command runs
wine's reg.exe to read the per-user registry. Checked:

- vlmv2install.exe with "/sp- /verysilent /norestart": exit code 0, a run of about three seconds,
  the record HKCU\\Software\\Velmora\\RuntimeEngine (CommandLine = the arguments, Runs counting
  up from 1), a malformed Runs value starting the count afresh, a full counter not wrapping;
- under Xvfb (when installed): no window with /verysilent, the notice window without it, and the
  program ending by itself;
- vlmv2menu.exe --print: its folder (also one with blanks and "&") and its arguments, --print left
  out; under Xvfb its window titled "Velmora v2".

The registry key is shared with the installer's end-to-end tests: CTest serialises them with the
resource lock "runtime_engine_record". Prints one line per check and "N passed, M failed".
"""

import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

KEY = r"HKCU\Software\Velmora\RuntimeEngine"
SWITCHES = ["/sp-", "/verysilent", "/norestart"]
RUN_SECONDS = 3.0  # how long the installer stand-in stays
BOUND_SECONDS = 60  # the longest any single wine run may take


class Checks(script_checks.Checks):
    def __init__(self, emulator):
        super().__init__()
        self.emulator = emulator

    def run(self, *command, env=None):
        """(exit code, stdout text, seconds taken)."""
        # Output goes to a file, not a pipe: wine's helper processes (started by the first
        # program of a session) inherit the handle and would keep a pipe open long after.
        with tempfile.TemporaryFile() as output:
            started = time.monotonic()
            done = subprocess.run(self.emulator + list(command), stdout=output,
                                  stderr=subprocess.DEVNULL, timeout=BOUND_SECONDS, env=env)
            seconds = time.monotonic() - started
            output.seek(0)
            return done.returncode, output.read().decode("utf-8", errors="replace"), seconds

    def registry(self):
        """Values of the record as {name: (type, text)}; empty when the key is missing."""
        code, out, _ = self.run("reg", "query", KEY)
        values = {}
        if code != 0:
            return values
        for line in out.replace("\r", "").split("\n"):
            match = re.match(r"^\s+(\S+)\s+(REG_\w+)\s+(.*)$", line)
            if match:
                values[match.group(1)] = (match.group(2), match.group(3))
        return values

    def reg(self, *args):
        self.run("reg", *args)


def test_install_record(t, installer):
    t.reg("delete", KEY, "/f")
    t.check("no record before the first run", t.registry() == {}, str(t.registry()))
    code, _, seconds = t.run(installer, *SWITCHES)
    t.check("silent run ends with exit code 0", code == 0, str(code))
    t.check("silent run stays about three seconds", seconds >= RUN_SECONDS - 0.5, f"{seconds:.2f}s")
    values = t.registry()
    t.check("CommandLine holds the arguments",
            values.get("CommandLine") == ("REG_SZ", "/sp- /verysilent /norestart"), str(values))
    t.check("Runs is 1 after the first run", values.get("Runs") == ("REG_DWORD", "0x1"),
            str(values))

    code, _, _ = t.run(installer, "/SP-", "/VERYSILENT", "/NORESTART", "/LOG=x y")
    values = t.registry()
    t.check("second run counts 2", code == 0 and values.get("Runs") == ("REG_DWORD", "0x2"),
            f"{code} {values}")
    t.check("second run replaces CommandLine",
            values.get("CommandLine") == ("REG_SZ", '/SP- /VERYSILENT /NORESTART "/LOG=x y"'),
            str(values))

    t.reg("add", KEY, "/v", "Runs", "/t", "REG_SZ", "/d", "many", "/f")
    t.run(installer, *SWITCHES)
    values = t.registry()
    t.check("a Runs value of another type starts the count at 1",
            values.get("Runs") == ("REG_DWORD", "0x1"), str(values))

    t.reg("add", KEY, "/v", "Runs", "/t", "REG_DWORD", "/d", "4294967295", "/f")
    t.run(installer, *SWITCHES)
    values = t.registry()
    t.check("a full counter stays full instead of wrapping to 0",
            values.get("Runs") == ("REG_DWORD", "0xffffffff"), str(values))
    t.reg("delete", KEY, "/f")


def test_menu_print(t, menu, folder):
    place = os.path.join(folder, "Velmora & v2 menu")
    os.makedirs(place)
    copy = os.path.join(place, "vlmv2menu.exe")
    shutil.copyfile(menu, copy)
    code, out, _ = t.run(copy, "--print", "/staging", "a b", "--print", "/dev")
    expected = "Z:" + place.replace("/", "\\")
    lines = out.replace("\r", "").split("\n")
    t.check("menu --print ends with exit code 0", code == 0, str(code))
    t.check("menu --print names its own folder", lines[:1] == [f"Folder={expected}"], out)
    t.check("menu --print lists the arguments in order, without --print",
            lines[1:] == ["Argument=/staging", "Argument=a b", "Argument=/dev", ""], out)
    code, out, _ = t.run(copy, "--print")
    t.check("menu --print without arguments gives only the folder",
            code == 0 and out.replace("\r", "") == f"Folder={expected}\n", out)


class Display:
    """A private Xvfb server; the display number comes back through -displayfd."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        os.set_blocking(read_end, False)
        while time.monotonic() < deadline and not number.endswith(b"\n"):
            try:
                number += os.read(read_end, 16)
            except BlockingIOError:
                time.sleep(0.05)
            if self.process.poll() is not None:
                break
        os.close(read_end)
        self.name = ":" + number.decode().strip() if number.strip() else None

    def windows(self):
        """Lines of the X window tree: '0x... "title": ("class" "class")  WxH+X+Y ...'."""
        done = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, timeout=10,
                              env=dict(os.environ, DISPLAY=self.name))
        return done.stdout.decode(errors="replace").splitlines()

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def real_windows_of(lines, program):
    """The mapped windows of a program bigger than wine's 1 x 1 helper windows."""
    return [line for line in lines
            if f'("{program}"' in line and not re.search(r"\)\s+1x1\+", line)]


def watch(t, display, command, program, until_seconds):
    """Runs command under the display; returns (exit code or None, window lines seen)."""
    env = dict(os.environ, DISPLAY=display.name)
    process = subprocess.Popen(t.emulator + command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    seen = []
    deadline = time.monotonic() + until_seconds
    while time.monotonic() < deadline and process.poll() is None:
        seen.extend(real_windows_of(display.windows(), program))
        time.sleep(0.2)
    return process, seen


def test_windows(t, installer, menu):
    if not shutil.which("Xvfb") or not shutil.which("xwininfo"):
        print("skip window checks: Xvfb or xwininfo missing")
        return
    display = Display()
    if not display.name:
        t.check("Xvfb starts", False)
        return
    try:
        process, seen = watch(t, display, [installer] + SWITCHES, "vlmv2install.exe", 20)
        code = process.wait(timeout=BOUND_SECONDS)
        t.check("/verysilent opens no window", seen == [], "\n".join(seen))
        t.check("/verysilent run under a display ends with 0", code == 0, str(code))

        process, seen = watch(t, display, [installer, "/sp-", "/norestart"], "vlmv2install.exe", 20)
        code = process.wait(timeout=BOUND_SECONDS)
        t.check("without /verysilent the notice window shows",
                any('"Velmora runtime engine"' in line for line in seen), "\n".join(seen))
        t.check("the notice window closes by itself and the run ends with 0", code == 0, str(code))

        env = dict(os.environ, DISPLAY=display.name)
        process = subprocess.Popen(t.emulator + [menu, "/dev"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        titled = []
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not titled and process.poll() is None:
            titled = [line for line in real_windows_of(display.windows(), "vlmv2menu.exe")
                      if '"Velmora v2"' in line]
            time.sleep(0.2)
        t.check("the menu program shows a window titled \"Velmora v2\"", titled != [],
                "menu ended early" if process.poll() is not None else "no window")
        process.terminate()
        process.wait(timeout=BOUND_SECONDS)
    finally:
        display.close()


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    installer = os.path.abspath(sys.argv[1])
    menu = os.path.abspath(sys.argv[2])
    emulator = [part for arg in sys.argv[3:] for part in shlex.split(arg)]
    t = Checks(emulator)
    with tempfile.TemporaryDirectory(prefix="standins-") as folder:
        test_install_record(t, installer)
        test_menu_print(t, menu, folder)
        test_windows(t, installer, menu)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
