#!/usr/bin/env python3
"""tests/tools/vlmtool_ini_test.py -- "vlmtool ini" end to end through its command line.

    vlmtool_ini_test.py VLMTOOL [EMULATOR...]

EMULATOR is the command that runs VLMTOOL (the wine wrapper for the Windows build); without it
VLMTOOL runs directly. Every subcommand, the exit codes 0, 1 and 2, the error line format and
non-ASCII arguments written through the ANSI code page (Windows-1252) are checked. Prints one line
per check and a closing "N passed, M failed"; exits 1 when any check failed.
"""

import os
import shlex
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

ANSI = "cp1252"


class Runner(script_checks.Checks):
    def __init__(self, tool, emulator):
        super().__init__()
        self.tool = tool
        self.emulator = emulator
        self.env = dict(os.environ)
        # The emulator turns the UTF-8 arguments into UTF-16 by the locale's rules.
        if emulator and "UTF-8" not in self.env.get("LC_ALL", self.env.get("LANG", "")).upper():
            self.env["LC_ALL"] = "C.UTF-8"

    def run(self, *args):
        """Runs the tool; returns (exit code, stdout bytes, stderr bytes)."""
        command = self.emulator + [self.tool] + [str(a) for a in args]
        done = script_checks.run_program(command, timeout=120, env=self.env)
        return done.returncode, done.stdout, done.stderr

    def expect_output(self, name, args, stdout):
        """Exit code 0, exactly the given UTF-8 output, nothing on stderr."""
        code, out, err = self.run(*args)
        expected = stdout.encode("utf-8")
        self.check(name, code == 0 and out == expected and err == b"",
                   f"exit {code}, stdout {out!r} (expected {expected!r}), stderr {err!r}")

    def expect_usage(self, name, args):
        code, out, err = self.run(*args)
        self.check(name, code == 2 and out == b"" and b"usage" in err,
                   f"exit {code}, stdout {out!r}, stderr {err!r}")


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def test_write_and_read(t, folder):
    ini = os.path.join(folder, "local.vlm")
    code, out, err = t.run("ini", ini, "write", "Packages", "PackageList", "vlmv2menu",
                           "vlmv2menu", "Release", "2.0.1")
    t.check("write: exit 0, silent", code == 0 and out == b"" and err == b"",
            f"exit {code} {out!r} {err!r}")
    t.check("write: deployment record bytes",
            read_bytes(ini) == b"[Packages]\r\nPackageList=vlmv2menu\r\n\r\n"
                               b"[vlmv2menu]\r\nRelease=2.0.1\r\n\r\n", repr(read_bytes(ini)))
    t.expect_output("read: value", ["ini", ini, "read", "Packages", "PackageList"], "vlmv2menu\n")
    t.expect_output("read: names without regard to case",
                    ["ini", ini, "read", "PACKAGES", "packagelist"], "vlmv2menu\n")
    t.expect_output("read: --case-sensitive gives the default",
                    ["ini", "--case-sensitive", ini, "read", "PACKAGES", "packagelist", "none"],
                    "none\n")
    t.expect_output("read: missing key gives DEFAULT", ["ini", ini, "read", "Packages", "x", "d"],
                    "d\n")
    t.expect_output("read: DEFAULT defaults to empty", ["ini", ini, "read", "Packages", "x"], "\n")
    t.expect_output("read: missing file is an empty INI",
                    ["ini", os.path.join(folder, "absent.ini"), "read", "s", "k", "dflt"],
                    "dflt\n")

    # A second write replaces the key (in the caller's letter case) and keeps the rest.
    code, _, _ = t.run("ini", ini, "write", "packages", "PACKAGELIST", "other")
    t.check("write: replaces an existing key", code == 0 and read_bytes(ini) ==
            b"[Packages]\r\nPACKAGELIST=other\r\n\r\n[vlmv2menu]\r\nRelease=2.0.1\r\n\r\n",
            repr(read_bytes(ini)))


def test_typed_reads(t, folder):
    ini = os.path.join(folder, "typed.ini")
    write_bytes(ini, b"[s]\r\nhex=0x1F\r\nneg=-12\r\nbad=12x\r\nflag=true\r\none=1\r\nzero=0\r\n")
    t.expect_output("readint: 0x form", ["ini", ini, "readint", "s", "hex", "5"], "31\n")
    t.expect_output("readint: negative", ["ini", ini, "readint", "s", "neg", "5"], "-12\n")
    t.expect_output("readint: bad text gives DEFAULT", ["ini", ini, "readint", "s", "bad", "-7"],
                    "-7\n")
    t.expect_output("readint: missing key gives DEFAULT",
                    ["ini", ini, "readint", "s", "none", "$10"], "16\n")
    t.expect_output("readbool: 1", ["ini", ini, "readbool", "s", "one", "0"], "1\n")
    t.expect_output("readbool: 0", ["ini", ini, "readbool", "s", "zero", "1"], "0\n")
    t.expect_output("readbool: true gives DEFAULT 1", ["ini", ini, "readbool", "s", "flag", "1"],
                    "1\n")
    t.expect_output("readbool: true gives DEFAULT 0", ["ini", ini, "readbool", "s", "flag", "0"],
                    "0\n")


def test_listing(t, folder):
    ini = os.path.join(folder, "list.ini")
    write_bytes(ini, b"orphan=1\r\n[a]\r\nx = 1\r\n; comment\r\n[A]\r\nx=2\r\nplain\r\n"
                     b"y=3=4\r\n[empty]\r\n")
    t.expect_output("sections: all, in order", ["ini", ini, "sections"], "a\nA\nempty\n")
    t.expect_output("keys: last section of the name", ["ini", ini, "keys", "a"], "x\n\ny\n")
    t.expect_output("values: the stored lines", ["ini", ini, "values", "A"], "x=2\nplain\ny=3=4\n")
    t.expect_output("values: missing section prints nothing", ["ini", ini, "values", "zz"], "")
    t.expect_output("exists: section", ["ini", ini, "exists", "a"], "yes\n")
    t.expect_output("exists: header-only section counts as absent",
                    ["ini", ini, "exists", "empty"], "no\n")
    t.expect_output("exists: key", ["ini", ini, "exists", "a", "Y"], "yes\n")
    t.expect_output("exists: missing key", ["ini", ini, "exists", "a", "z"], "no\n")
    t.expect_output("exists: missing section", ["ini", ini, "exists", "zz"], "no\n")


def test_erase_and_delete(t, folder):
    ini = os.path.join(folder, "edit.ini")
    write_bytes(ini, b"[a]\nk=1\nj=2\n[b]\nk=3\n[a]\nk=4\n")
    code, out, err = t.run("ini", ini, "erase", "A")
    t.check("erase: removes the last section of the name",
            code == 0 and read_bytes(ini) == b"[a]\r\nk=1\r\nj=2\r\n\r\n[b]\r\nk=3\r\n\r\n",
            f"exit {code} {err!r} {read_bytes(ini)!r}")
    code, out, err = t.run("ini", ini, "delete", "a", "K")
    t.check("delete: removes the key line",
            code == 0 and read_bytes(ini) == b"[a]\r\nj=2\r\n\r\n[b]\r\nk=3\r\n\r\n",
            f"exit {code} {err!r} {read_bytes(ini)!r}")
    code, out, err = t.run("ini", ini, "delete", "a", "missing")
    t.check("delete: a missing key still rewrites the same file",
            code == 0 and read_bytes(ini) == b"[a]\r\nj=2\r\n\r\n[b]\r\nk=3\r\n\r\n",
            f"exit {code} {err!r} {read_bytes(ini)!r}")


def test_non_ascii(t, folder):
    ini = os.path.join(folder, "ansi.ini")
    section, key, value = "Äpfel", "Größe", "Grüße aus Zürich, 5 €"
    code, out, err = t.run("ini", ini, "write", section, key, value, "Ω", "k", "Ωmega")
    t.check("non-ASCII: write exit 0", code == 0, f"exit {code} {err!r}")
    expected = (f"[{section}]\r\n{key}={value}\r\n\r\n[?]\r\nk=?mega\r\n\r\n").encode(ANSI)
    t.check("non-ASCII: file is in the ANSI code page without a mark", read_bytes(ini) == expected,
            f"{read_bytes(ini)!r} (expected {expected!r})")
    t.expect_output("non-ASCII: read back without regard to case",
                    ["ini", ini, "read", "äPFEL", "GRÖßE"], value + "\n")
    t.expect_output("non-ASCII: a character outside the code page became ?",
                    ["ini", ini, "read", "?", "k"], "?mega\n")

    bom = os.path.join(folder, "bom.ini")
    write_bytes(bom, b"\xef\xbb\xbf[Z\xc3\xbcrich]\r\nSee=Z\xc3\xbcrichsee\r\n")
    t.expect_output("UTF-8 file: read", ["ini", bom, "read", "ZÜRICH", "see"], "Zürichsee\n")
    code, _, _ = t.run("ini", bom, "write", "Zürich", "n", "1")
    t.check("UTF-8 file: written back in ANSI without the mark",
            code == 0 and read_bytes(bom) == "[Zürich]\r\nSee=Zürichsee\r\nn=1\r\n\r\n".encode(ANSI),
            repr(read_bytes(bom)))


def test_usage_errors(t, folder):
    ini = os.path.join(folder, "usage.ini")
    t.expect_usage("usage: no arguments", [])
    t.expect_usage("usage: unknown command", ["nosuch"])
    t.expect_usage("usage: ini without FILE", ["ini"])
    t.expect_usage("usage: ini without operation", ["ini", "--case-sensitive", ini])
    t.expect_usage("usage: unknown operation", ["ini", ini, "frobnicate"])
    t.expect_usage("usage: read without IDENT", ["ini", ini, "read", "s"])
    t.expect_usage("usage: read with too many arguments", ["ini", ini, "read", "s", "k", "d", "x"])
    t.expect_usage("usage: readint without DEFAULT", ["ini", ini, "readint", "s", "k"])
    t.expect_usage("usage: readint with a non-integer DEFAULT", ["ini", ini, "readint", "s", "k", "x"])
    t.expect_usage("usage: readbool with DEFAULT 2", ["ini", ini, "readbool", "s", "k", "2"])
    t.expect_usage("usage: sections with an argument", ["ini", ini, "sections", "x"])
    t.expect_usage("usage: write with an incomplete triple", ["ini", ini, "write", "s", "k", "v", "t"])
    t.expect_usage("usage: erase without SECTION", ["ini", ini, "erase"])
    t.expect_usage("usage: delete without IDENT", ["ini", ini, "delete", "s"])
    t.check("usage: nothing was written", not os.path.exists(ini), "usage.ini exists")


def test_errors(t, folder):
    # A file name with CR and LF in a folder that does not exist: the message carries the name,
    # and the error line must show the breaks as \r and \n.
    target = os.path.join(folder, "missing\r\nfolder", "x.ini")
    code, out, err = t.run("ini", target, "write", "s", "k", "v")
    line = err.decode("utf-8", "replace")
    prefix = 'error EFCreateError: Cannot create file "'
    t.check("error: exit 1 and one line on stderr",
            code == 1 and out == b"" and line.endswith("\n") and line.count("\n") == 1
            and "\r" not in line, f"exit {code}, stderr {err!r}")
    t.check("error: class and message form", line.startswith(prefix) and
            'missing\\r\\nfolder' in line and '". ' in line, repr(line))

    # An existing file that cannot be opened: a write-only kernel setting refuses even root.
    # Only natively: the emulator runs the tool with different rights and paths.
    unreadable = "/proc/sys/vm/compact_memory"
    if not t.emulator and os.path.exists(unreadable) and not os.access(unreadable, os.R_OK):
        code, out, err = t.run("ini", unreadable, "read", "s", "k")
        expected = f'error EFOpenError: Cannot open file "{unreadable}". Access is denied.\n'
        t.check("error: unreadable file raises EFOpenError", code == 1 and out == b"" and
                err.decode("utf-8", "replace") == expected, f"exit {code}, stderr {err!r}")
    else:
        print("skip error: unreadable file (not available here)")


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tool = os.path.abspath(sys.argv[1])
    emulator = [part for arg in sys.argv[2:] for part in shlex.split(arg)]
    t = Runner(tool, emulator)
    with tempfile.TemporaryDirectory(prefix="vlmtool-ini-") as folder:
        for test in (test_write_and_read, test_typed_reads, test_listing, test_erase_and_delete,
                     test_non_ascii, test_usage_errors, test_errors):
            test(t, folder)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
