#!/usr/bin/env python3
"""tests/e2e/setup_access_test.py -- setup.exe as a blind user meets it: under wine with a
display, read through Active Accessibility by acc_probe.exe (from another process, as a screen
reader reads it) and driven by the keyboard alone.

    setup_access_test.py --acc-probe EXE  (and the arguments of setup_e2e_test.py)

Scenarios:
- the idle window's tree: the window "Velmora v2 setup" and its elements in reading order, with
  their roles, names, values, states, default actions and keys; both toggles flipped through
  their default actions (state events announced, the discs red on screen) and back;
- a whole installation with keys only (the pointer rests on the window so that keys reach it, as
  there is no window manager; nothing is clicked): Alt+D turns the desktop shortcut off, Enter
  starts, the overwrite question is answered with Tab and Enter, Enter on "Done !" ends the
  program. The recorded announcements must read as a narration of the installation: the
  dialog and its focused buttons, the status texts (the growing dots of "Installing" once), the
  progress (not at every step), the button's "Done !".

Prints one line per check, the narration, and "N passed, M failed"; exits 1 when a check failed.
"""

import argparse
import os
import re
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import setup_driver as drv  # noqa: E402
import setup_e2e_test as e2e  # noqa: E402

# Roles and states of Active Accessibility.
CLIENT, STATIC, CHECK, TEXT, BUTTON, PROGRESS, DIALOG = 10, 41, 44, 42, 43, 48, 18
CHECKED, FOCUSED, DEFAULT, INVISIBLE, UNAVAILABLE = 0x10, 0x4, 0x100, 0x8000, 0x1

# The idle window's tree: (path, role, name).
IDLE_TREE = [
    ("", CLIENT, "Velmora v2 setup"),
    ("1", STATIC, "Velmora"),
    ("2", STATIC, "Setup"),
    ("3", CHECK, "Create entry in Start menu"),
    ("4", CHECK, "Create desktop shortcut"),
    ("5", STATIC, "Installation directory :"),
    ("6/0", TEXT, "Installation directory"),
    ("7/0", BUTTON, "Browse for folder"),
    ("8/0", BUTTON, "Install"),
    ("9", STATIC, "Downloading..."),
    ("10/0", PROGRESS, "Installation progress"),
]
STATUS, BAR_WINDOW_CHILD = 9, "10/0"
# Points of the toggles' discs (client coordinates at 96 dpi), beside their captions.
DISCS = ((34, 160), (34, 199))
RED = (255, 0, 0)


def by_path(tree):
    return {node["path"]: node for node in tree}


def red(colour):
    return colour[0] >= 200 and colour[1] <= 80


def scenario_tree(c, acc):
    label = "tree"
    c.reset()
    with c.server():
        run, _ = c.start("access-tree")
        try:
            hwnd = run.main["hwnd"]
            tree = acc.tree(hwnd)
            c.check(f"{label}: the window and its elements in reading order, roles and names",
                    [(n["path"], n["role"], n["name"]) for n in tree] == IDLE_TREE,
                    "\n" + "\n".join(str((n["path"], n["role"], n["name"])) for n in tree))
            nodes = by_path(tree)
            get = lambda path, key: nodes.get(path, {}).get(key)  # noqa: E731
            c.check(f"{label}: both toggles checked, with Alt+S and Alt+D and a default action",
                    all(get(p, "state") & CHECKED and get(p, "action") for p in ("3", "4")) and
                    (get("3", "shortcut"), get("4", "shortcut")) == ("Alt+S", "Alt+D"),
                    str([nodes.get(p) for p in ("3", "4")]))
            c.check(f"{label}: the folder field holds c:\\vlmv2 and Alt+Down browses",
                    get("6/0", "value") == "c:\\vlmv2" and get("6/0", "shortcut") == "Alt+Down",
                    str(nodes.get("6/0")))
            c.check(f"{label}: the Install button has the focus and is pressed as its action",
                    get("8/0", "state") & FOCUSED and get("8/0", "action") == "Press",
                    str(nodes.get("8/0")))
            c.check(f"{label}: the status text and the progress bar are there but invisible",
                    get("9", "state") & INVISIBLE and get(BAR_WINDOW_CHILD, "state") & INVISIBLE
                    and get(BAR_WINDOW_CHILD, "value") == "0%",
                    str([nodes.get(p) for p in ("9", BAR_WINDOW_CHILD)]))

            recorder = acc.record(c.work, 60)
            flipped = acc.do(hwnd, 3) and acc.do(hwnd, 4)
            time.sleep(0.7)
            after = by_path(acc.tree(hwnd))
            picture = c.shot(run, "access-toggles-off.png")
            events = recorder.stop()
            c.check(f"{label}: the default actions flip both toggles", flipped and not any(
                after.get(p, {}).get("state", CHECKED) & CHECKED for p in ("3", "4")),
                str([after.get(p) for p in ("3", "4")]))
            c.check(f"{label}: both discs show red on screen",
                    all(red(e2e.pixel(run, picture, p)) for p in DISCS),
                    str([e2e.pixel(run, picture, p) for p in DISCS]))
            c.check(f"{label}: each flip is announced as a state change of its check box",
                    [(e["event"], e["child"], e.get("state", 0) & CHECKED) for e in events
                     if e["event"] == "state" and e.get("object") == -4 and e["window"] == hwnd]
                    == [("state", 3, 0), ("state", 4, 0)], str(events))
            acc.do(hwnd, 3)
            acc.do(hwnd, 4)
            time.sleep(0.5)
            again = by_path(acc.tree(hwnd))
            c.check(f"{label}: flipped back, both are checked again",
                    all(again.get(p, {}).get("state", 0) & CHECKED for p in ("3", "4")))
            run.close()
            c.check(f"{label}: closing the window ends the program", run.wait_exit(30) is not None)
        finally:
            run.stop()


def narration(events, main_hwnd):
    """What a screen reader would say, one line per announcement."""
    lines = []
    for e in events:
        what = e["event"]
        name, value = e.get("name", ""), e.get("value", "")
        if what in ("name", "show") and e["window"] == main_hwnd and e["child"] == STATUS:
            lines.append(f"status: {name}")
        elif what == "value" and e.get("role") == PROGRESS:
            lines.append(f"progress {value}")
        elif what == "state" and e.get("role") == CHECK:
            lines.append(f"{name}: {'checked' if e['state'] & CHECKED else 'not checked'}")
        elif what == "dialog_start":
            lines.append("dialog opens")
        elif what == "focus" and e.get("role") in (BUTTON, TEXT) and name:
            lines.append(f"focus: {name}")
        elif what == "name" and e.get("role") == BUTTON:
            lines.append(f"button: {name}")
    return lines


def scenario_keyboard(c, acc):
    label = "keyboard"
    c.reset()
    os.makedirs(c.folder, exist_ok=True)  # the folder exists: the overwrite question comes
    with open(os.path.join(c.folder, "old.txt"), "w") as f:
        f.write("from before\n")
    server = c.servers["production"]
    # The package comes slowly (about 3 s), so its progress is there to be announced.
    with c.server(rates=[("/vlmv2menu.pkg", e2e.PACKAGE_RATE)]):
        run, exe_folder = c.start("access-keys")
        recorder = None
        try:
            main_hwnd = run.main["hwnd"]
            recorder = acc.record(c.work, e2e.INSTALL_SECONDS + 60)
            # Keys reach the window under the pointer (no window manager): rest it on the picture.
            drv.Screen.move(*run.to_screen(600, 300))
            drv.Screen.key("alt+d")
            time.sleep(0.5)
            drv.Screen.key("Return")
            dialog = run.wait_overwrite_dialog()
            if not c.check(f"{label}: Enter starts and the overwrite question appears",
                           dialog is not None):
                return
            left, top, right, _ = dialog["rect"]
            drv.Screen.move((left + right) // 2, top + 10)
            drv.Screen.key("Tab", "Return")
            c.check(f"{label}: Tab and Enter answer \"Yes\"", run.wait_gone(dialog["hwnd"]))
            drv.Screen.move(*run.to_screen(600, 300))
            if not e2e.wait_installed(c, run, label):
                return
            e2e.check_install_folder(c, server, exe_folder, label)
            e2e.check_links(c, label, "", (True, False))
            # The focus left the button while it was disabled: Tab brings it back, as a
            # keyboard user would, until the screen reader says the button has it.
            def button_focused():
                node = by_path(acc.tree(main_hwnd)).get("8/0", {})
                return node.get("name") == "Done !" and node.get("state", 0) & FOCUSED
            for _ in range(4):
                if button_focused():
                    break
                drv.Screen.key("Tab")
                time.sleep(0.3)
            c.check(f"{label}: Tab reaches \"Done !\"", button_focused())
            drv.Screen.key("Return")
            c.check(f"{label}: Enter on \"Done !\" ends the program", run.wait_exit(30) == 0)
        finally:
            events = recorder.stop() if recorder else []
            run.stop()
    said = narration(events, main_hwnd)
    print("   narration:\n" + "\n".join(f"     {line}" for line in said), flush=True)
    first = lambda line: said.index(line) if line in said else -1  # noqa: E731
    c.check(f"{label}: the desktop toggle is announced off",
            "Create desktop shortcut: not checked" in said, str(said))
    c.check(f"{label}: the dialog opens with the focus on \"No\", then \"Yes\"",
            0 <= first("dialog opens") < first("focus: No") < first("focus: Yes"), str(said))
    # Events are counted as they came; what an element says is read when the program next
    # answers (while it waits for a slow line, up to seconds later), so names and values read
    # may already be newer ones.
    status = [e for e in events if e["window"] == main_hwnd and e["child"] == STATUS]
    kinds = [e["event"] for e in status]
    c.check(f"{label}: the status text is shown, renamed twice (\"Installing\" once whatever "
            f"its dots), then hidden", kinds == ["show", "name", "name", "hide"] and
            status[0].get("name") == "Downloading..." and status[2].get("name") == "Installing" and
            status[3].get("name", "").startswith("Installing."), str(status))
    bar = [e for e in events if e["event"] == "value" and e.get("role") == PROGRESS]
    c.check(f"{label}: progress is announced, in whole percent, not at every step",
            1 <= len(bar) <= 40 and all(re.fullmatch(r"\d{1,3}%", e.get("value", "")) for e in bar),
            str([(e["ms"], e.get("value")) for e in bar]))
    c.check(f"{label}: the button is announced as \"Done !\"", "button: Done !" in said, str(said))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for name in ("setup", "probe", "acc_probe", "engine", "site", "work", "prefix", "production",
                 "staging", "development"):
        parser.add_argument("--" + name.replace("_", "-"), dest=name, required=True)
    parser.add_argument("--screenshots")
    parser.add_argument("--only", help="comma-separated scenario names (for debugging)")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("setup_access_test.py needs a display: run it through scripts/gui-run",
              file=sys.stderr)
        return 2
    c = e2e.Context(args)
    acc = drv.AccProbe(c.prefix, args.acc_probe)
    return e2e.run_scenarios(c, [("tree", lambda c: scenario_tree(c, acc)),
                                 ("keyboard", lambda c: scenario_keyboard(c, acc))], args.only)

if __name__ == "__main__":
    sys.exit(main())
