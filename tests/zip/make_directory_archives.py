#!/usr/bin/env python3
"""tests/zip/make_directory_archives.py -- builds the archives that the directory-reading tests
load from files, with python3's zipfile and with 7z (p7zip-full), into the folder given as the
only argument, together with corpus_expectations.tsv: what zipfile makes of each archive of the
public corpus (../shared/testdata/zip), which the corpus test compares with its own reading. Run by CTest as a fixture before zip_tests, so the native and the Windows run
(under wine) read the same files. Each archive is described where it is made; the tests hold the
expected names, sizes and error codes.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

# Contents shared by several archives: small texts and one compressible block.
ALPHA = b"alpha\n"
BETA = b"beta beta beta\n" * 40  # 600 bytes, compresses well
EMPTY = b""


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def basic(path, method, **kw):
    """a.txt, sub/ (a directory-only entry), sub/b.txt, empty.txt."""
    with zipfile.ZipFile(path, "w", compression=method, **kw) as z:
        z.writestr("a.txt", ALPHA)
        z.writestr(zipfile.ZipInfo("sub/"), b"")
        z.writestr("sub/b.txt", BETA)
        z.writestr("empty.txt", EMPTY)


def zip64_entries(path):
    """Every entry carries Zip64 sizes in its extra field (force_zip64); stored."""
    with zipfile.ZipFile(path, "w") as z:
        for name, data in (("big1.bin", BETA), ("big2.bin", ALPHA)):
            with z.open(zipfile.ZipInfo(name), "w", force_zip64=True) as f:
                f.write(data)


def with_comment(path):
    """A 100-byte archive comment: the end record is found by the backward scan."""
    with zipfile.ZipFile(path, "w") as z:
        z.writestr("a.txt", ALPHA)
        z.comment = bytes(range(32, 132))


def prefixed_counting(path):
    """1000 bytes in front; offsets count them (appending to a non-archive)."""
    write(path, b"P" * 1000)
    with zipfile.ZipFile(path, "a") as z:
        z.writestr("a.txt", ALPHA)
        z.writestr("sub/b.txt", BETA)


def prefixed_plain(path, plain):
    """1000 bytes in front of an unchanged archive: the stored offsets miss by 1000."""
    with open(plain, "rb") as f:
        write(path, b"Q" * 1000 + f.read())


def trailing(path, plain):
    """Five bytes of garbage after the archive."""
    with open(plain, "rb") as f:
        write(path, f.read() + b"JUNK!")


def utf8_names(path):
    """Non-ASCII names: zipfile sets flag bit 11 and stores UTF-8."""
    with zipfile.ZipFile(path, "w") as z:
        z.writestr("caf\u00e9.txt", ALPHA)
        z.writestr("\u65e5\u672c/\u8a9e.txt", BETA)


def cp437_names(path):
    """A name in code page 437 with no UTF-8 flag, made by MS-DOS (host 0): zipfile writes only
    ASCII or UTF-8 names, so an ASCII placeholder of the same length is patched afterwards."""
    entry = zipfile.ZipInfo("caf#.txt")
    entry.create_system = 0
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(entry, ALPHA)
    with open(path, "rb") as f:
        data = f.read()
    assert data.count(b"caf#.txt") == 2  # local and central header
    write(path, data.replace(b"caf#.txt", "caf\u00e9.txt".encode("cp437")))


def empty_archive(path):
    """No entries: a 22-byte file holding only an end record."""
    with zipfile.ZipFile(path, "w"):
        pass


def with_7z(folder, tmp):
    """The same files packed by 7z: deflated, with directory entries; and UTF-8 names."""
    if shutil.which("7z") is None:
        sys.exit("7z (p7zip-full) is needed to build the test archives")
    src = os.path.join(tmp, "src")
    os.makedirs(os.path.join(src, "sub"))
    write(os.path.join(src, "a.txt"), ALPHA)
    write(os.path.join(src, "sub", "b.txt"), BETA)
    run = lambda *args: subprocess.run(args, cwd=src, check=True, stdout=subprocess.DEVNULL)
    run("7z", "a", "-tzip", "-mx=5", os.path.join(folder, "7z_deflated.zip"), "a.txt", "sub")
    write(os.path.join(src, "gr\u00fc\u00df.txt"), ALPHA)
    run("7z", "a", "-tzip", "-mcu=on", os.path.join(folder, "7z_utf8.zip"), "gr\u00fc\u00df.txt")


def corpus_expectations(folder, corpus):
    """What python3's zipfile makes of each public corpus archive, for comparison: the number of
    entries whose names do not end in "/", or "error" when zipfile refuses the archive."""
    lines = []
    with open(os.path.join(corpus, "SOURCES.tsv"), encoding="utf-8") as f:
        names = [line.split("\t")[0] for line in f.read().splitlines()[1:] if line]
    for name in names:
        try:
            with zipfile.ZipFile(os.path.join(corpus, name)) as z:
                result = str(sum(1 for i in z.infolist() if not i.filename.endswith("/")))
        except Exception:  # any refusal: zipfile raises several kinds
            result = "error"
        lines.append(name + "\t" + result + "\n")
    with open(os.path.join(folder, "corpus_expectations.tsv"), "w", encoding="utf-8") as f:
        f.writelines(lines)


def main():
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    p = lambda name: os.path.join(folder, name)
    basic(p("stored.zip"), zipfile.ZIP_STORED)
    basic(p("deflated.zip"), zipfile.ZIP_DEFLATED)
    zip64_entries(p("zip64.zip"))
    with_comment(p("comment.zip"))
    prefixed_counting(p("prefixed_counting.zip"))
    prefixed_plain(p("prefixed_plain.zip"), p("stored.zip"))
    trailing(p("trailing.zip"), p("stored.zip"))
    utf8_names(p("utf8.zip"))
    cp437_names(p("cp437.zip"))
    empty_archive(p("empty.zip"))
    write(p("short.zip"), b"PK\x05\x06" + b"\0" * 10)  # 14 bytes: shorter than an end record
    write(p("not_a_zip.zip"), b"This is plain text, not an archive.\n" * 20)
    with tempfile.TemporaryDirectory() as tmp:
        with_7z(folder, tmp)
    corpus = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared",
                          "testdata", "zip")
    if os.path.isdir(corpus):
        corpus_expectations(folder, corpus)


if __name__ == "__main__":
    main()
