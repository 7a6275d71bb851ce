#!/usr/bin/env python3
"""tests/tools/vlmtool_zip_test.py -- "vlmtool list" and "vlmtool unzip" end to end.

    vlmtool_zip_test.py VLMTOOL [EMULATOR...]

EMULATOR is the command that runs VLMTOOL (the wine wrapper for the Windows build); without it
VLMTOOL runs directly. The tool loads the zip engine library that the build puts next to it.
Archives are made at run time with python3's zipfile and with 7z (Deflate64, ZipCrypto).

Checked: the list lines (sizes, methods, CRCs, comment, folder entries, UTF-8 names), extracted
bytes, the --events progress lines, existing files kept unless --overwrite, --dirnames, --only,
--test, the password box answered and cancelled, the missing-folder box, a missing engine library,
and usage errors. Prints one line per check and a closing "N passed, M failed"; exits 1 when any
check failed.
"""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402


class Runner(script_checks.Checks):
    def __init__(self, tool, emulator):
        super().__init__()
        self.tool = tool
        self.emulator = emulator

    def run(self, *args, tool=None):
        """Runs the tool; returns (exit code, stdout text lines, stderr bytes)."""
        command = self.emulator + [tool or self.tool] + [str(a) for a in args]
        done = script_checks.run_program(command, timeout=300)
        return done.returncode, done.stdout.decode("utf-8").split("\n")[:-1], done.stderr

    def native_path(self, path):
        """How the tool names an absolute path: wine reaches the Unix root through drive Z:."""
        return "Z:" + path.replace("/", "\\") if self.emulator else path

    @property
    def sep(self):
        return "\\" if self.emulator else "/"


def read(path):
    """The file's bytes, or None when it is not there."""
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def make_plain(folder):
    path = os.path.join(folder, "plain.zip")
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(zipfile.ZipInfo("docs/"), b"")
        z.writestr("docs/readme.txt", b"read me\n" * 40, compress_type=zipfile.ZIP_DEFLATED)
        z.writestr("hundred.bin", bytes(range(100)), compress_type=zipfile.ZIP_STORED)
        z.writestr("empty.txt", b"")
        z.writestr("Grüße.txt", "grüße\n".encode(), compress_type=zipfile.ZIP_DEFLATED)
        z.comment = b"menu package\x01"
    return path


def test_list(t, folder, plain):
    code, lines, _ = t.run("list", plain)
    with zipfile.ZipFile(plain) as z:
        infos = [i for i in z.infolist() if not i.filename.endswith("/")]
    expected = ["errcode 0", f"count {len(infos)}", "dironly 1",
                "comment " + b"menu package\x01".hex()]
    expected += [f"entry {i.filename.replace('/', chr(92))} {i.file_size} {i.compress_size} "
                 f"{i.compress_type} {i.CRC:08x}" for i in infos]
    t.check("list: lines", code == 0 and lines == expected, f"{code} {lines}")
    code, lines, _ = t.run("list", os.path.join(folder, "absent.zip"))
    t.check("list: missing archive", code == 0 and lines[:2] == ["errcode 11001", "count 0"],
            f"{code} {lines}")


def test_unzip(t, folder, plain):
    out = os.path.join(folder, "out1")
    os.mkdir(out)
    code, lines, _ = t.run("unzip", "--events", plain, out)
    big = b"read me\n" * 40
    umlaut = len("grüße\n".encode())
    expected = [
        "progress TotalFiles2Process  0 0",
        "progress TotalSize2Process  0 0",
        f"progress NewFile docs\\readme.txt {len(big)} 0",
        f"progress ProgressUpdate docs\\readme.txt {len(big)} 100",
        f"progress EndOfItem docs\\readme.txt {len(big)} 100",
        "progress NewFile hundred.bin 100 0",
        "progress ProgressUpdate hundred.bin 100 100",
        "progress EndOfItem hundred.bin 100 100",
        "progress NewFile empty.txt 0 0",
        "progress EndOfItem empty.txt 0 0",
        f"progress NewFile Grüße.txt {umlaut} 0",
        f"progress ProgressUpdate Grüße.txt {umlaut} 100",
        f"progress EndOfItem Grüße.txt {umlaut} 100",
        "progress EndOfBatch  0 0",
        "result 0 4",
    ]
    t.check("unzip --events: lines", code == 0 and lines == expected, f"{code} {lines}")
    t.check("unzip: bytes", read(os.path.join(out, "readme.txt")) == big
            and read(os.path.join(out, "hundred.bin")) == bytes(range(100))
            and read(os.path.join(out, "empty.txt")) == b""
            and read(os.path.join(out, "Grüße.txt")) == "grüße\n".encode()
            and not os.path.exists(os.path.join(out, "docs")), str(os.listdir(out)))

    with open(os.path.join(out, "hundred.bin"), "wb") as f:
        f.write(b"mine")
    code, lines, _ = t.run("unzip", plain, out)
    t.check("unzip: existing files kept silently",
            lines == ["result 0 0"] and read(os.path.join(out, "hundred.bin")) == b"mine",
            f"{lines}")
    code, lines, _ = t.run("unzip", "--overwrite", plain, out)
    t.check("unzip --overwrite: replaced",
            lines == ["result 0 4"] and read(os.path.join(out, "hundred.bin")) == bytes(range(100)),
            f"{lines}")

    out2 = os.path.join(folder, "out2")
    os.mkdir(out2)
    code, lines, _ = t.run("unzip", "--dirnames", "--only", "docs/*", plain, out2)
    t.check("unzip --dirnames --only: one entry in its folder",
            lines == ["result 0 1"] and read(os.path.join(out2, "docs", "readme.txt")) == big
            and sorted(os.listdir(out2)) == ["docs"], f"{lines} {os.listdir(out2)}")

    out3 = os.path.join(folder, "out3")
    os.mkdir(out3)
    code, lines, _ = t.run("unzip", "--test", plain, out3)
    t.check("unzip --test: nothing written", lines == ["result 0 4"] and os.listdir(out3) == [],
            f"{lines} {os.listdir(out3)}")

    missing = os.path.join(folder, "missing")
    code, lines, _ = t.run("unzip", plain, missing)
    expected = [f"dialog Extract directory '{t.native_path(missing)}{t.sep}' must exist",
                "result 10504 0"]
    t.check("unzip: missing folder", code == 0 and lines == expected, f"{code} {lines}")

    code, lines, _ = t.run("unzip", os.path.join(folder, "dirsonly.zip"), out3)
    t.check("unzip: missing archive", code == 0 and lines == ["result 11001 0"], f"{lines}")


def test_7z(t, folder):
    src = os.path.join(folder, "src")
    os.mkdir(src)
    data = (bytes(range(256)) * 64 + b"tail") * 20
    with open(os.path.join(src, "secret.txt"), "wb") as f:
        f.write(b"top secret\n" * 30)
    with open(os.path.join(src, "big.bin"), "wb") as f:
        f.write(data)
    crypto = os.path.join(folder, "crypto.zip")
    d64 = os.path.join(folder, "d64.zip")
    quiet = dict(cwd=src, check=True, stdout=subprocess.DEVNULL, timeout=120)
    subprocess.run(["7z", "a", "-tzip", "-pletmein", "-mem=ZipCrypto", crypto, "secret.txt"],
                   **quiet)
    subprocess.run(["7z", "a", "-tzip", "-mm=Deflate64", d64, "big.bin"], **quiet)

    out = os.path.join(folder, "out7")
    os.mkdir(out)
    code, lines, _ = t.run("unzip", d64, out)
    t.check("unzip: Deflate64 from 7z", lines == ["result 0 1"]
            and read(os.path.join(out, "big.bin")) == data, f"{lines}")
    code, lines, _ = t.run("unzip", crypto, out)
    t.check("unzip: password box cancelled",
            lines == ["password Enter Password ", "result 0 0"]
            and not os.path.exists(os.path.join(out, "secret.txt")), f"{lines}")
    code, lines, _ = t.run("unzip", "--password", "letmein", crypto, out)
    t.check("unzip: password given", lines == ["password Enter Password ", "result 0 1"]
            and read(os.path.join(out, "secret.txt")) == b"top secret\n" * 30, f"{lines}")


def test_missing_engine(t, folder, plain):
    alone = os.path.join(folder, "alone")
    os.mkdir(alone)
    copy = os.path.join(alone, os.path.basename(t.tool))
    shutil.copy2(t.tool, copy)
    out = os.path.join(folder, "out-alone")
    os.mkdir(out)
    code, lines, _ = t.run("unzip", plain, out, tool=copy)
    name = "VlmZip190.dll" if t.tool.lower().endswith(".exe") else "libvlmzip190.so"
    t.check("unzip: engine library missing",
            code == 0 and lines == [f"dialog Failed to load {name}", "result 10650 0"]
            and os.listdir(out) == [], f"{code} {lines}")


def test_usage(t, plain):
    code, _, err = t.run("unzip", plain)
    t.check("usage: unzip without DIR", code == 2 and b"usage" in err, f"{code} {err!r}")
    code, _, err = t.run("unzip", "--bogus", plain, "x")
    t.check("usage: unknown option", code == 2, f"{code} {err!r}")
    code, _, err = t.run("list")
    t.check("usage: list without PKG", code == 2, f"{code} {err!r}")


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tool = os.path.abspath(sys.argv[1])
    emulator = [part for arg in sys.argv[2:] for part in shlex.split(arg)]
    t = Runner(tool, emulator)
    with tempfile.TemporaryDirectory(prefix="vlmtool-zip-") as folder:
        plain = make_plain(folder)
        test_list(t, folder, plain)
        test_unzip(t, folder, plain)
        test_7z(t, folder)
        test_missing_engine(t, folder, plain)
        test_usage(t, plain)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
