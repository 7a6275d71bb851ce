#!/usr/bin/env python3
"""tests/zip/engine/make_test_archives.py -- builds the zip engine's test archives.

    make_test_archives.py OUTDIR

Writes every archive below into OUTDIR, the plain content the tests compare against into
OUTDIR/plain/, and OUTDIR/index.txt saying what each archive is and what is wrong with the broken
ones. Deterministic: the same files each run (7z stores the file times set here). Needs python3
and 7z (p7zip-full). Run natively; the Windows test run reads the same folder through wine's Z:.

Archives from python's zipfile:
  stored.zip       stored entries: hello.txt, empty.txt (0 bytes), dir/sub/deep.txt, folder "dir/"
  deflated.zip     Deflate: mixed.bin (300 KiB, mixed compressibility), text.txt
  zip64.zip        deflated entries with Zip64 extra fields and Zip64 end records
  comment.zip      one entry and a 100-byte archive comment
  utf8.zip         UTF-8 names (flag bit 11): Grüße.txt, 日本語.txt
  prefixed.zip     1000 bytes of other data in front; offsets count them
  concat.zip       1000 bytes in front; offsets do not count them (plain concatenation)
  duplicates.zip   a/x.txt and b/x.txt (different content): one x.txt, from a/
  mixed_case.zip   Pattern.TXT, other.dat, sub/readme.md: for file specifications
Archives from 7z:
  deflate64.zip    Deflate64 (method 9): repeats 40 KiB apart and runs longer than 258 bytes,
                   which need the Deflate64-only distance and length codes; plus text.txt
  crypto.zip       traditional PKWARE encryption, password "secret": a.txt, b.bin
Hand-built (the broken ones):
  badcrc.zip       stored good.txt, then bad.txt whose CRC-32 is wrong
  method.zip       odd.bin with method 12 (bzip2 id, unsupported), then fine.txt
  truncated.zip    cut.bin whose Deflate stream stops halfway (sizes match the cut data)
  pastend.zip      over.bin whose compressed size reaches past the central directory
  bomb.zip         zeros.bin: 1 MiB of zeros declared as 1000 bytes; stored.bin: 5000 stored
                   bytes declared as 100
  short.zip        small.bin: declared 500 bytes, data gives 100
  badnames.zip     unsafe names (.., dir/.., C:evil.txt, CON, con.txt, Nul.tar.gz, LPT9, COM¹.txt,
                   trail., "trail ", a<b.txt, a|b, ctl\\x01.txt, a 256-character name), then
                   ../escape.txt, /abs/rooted.txt, C:/drive/on.txt, good.txt
  letter_case.zip  Readme.TXT and README.txt, Dir/a.txt and DIR/b.txt: names that differ only in
                   letter case are the same name on Windows, and so on every build
  emptyname.zip    an entry with an empty name, one named "/", then ok.txt
  oem.zip          name bytes "f\\x81.txt", flag bit 11 clear, made by MS-DOS: OEM "fü.txt"
  version.zip      future.txt needing version 9.9, then ok.txt
  notzip.zip       no end record at all
  overlap_shared.zip  zeros.bin (256 KiB of zeros, deflated), then copy1.bin..copy15.bin whose
                   central entries all name zeros.bin's local header, then after.txt
  overlap_extra.zip  a.bin, whose local extra field holds b.bin's local header; both headers'
                   name and extra lengths lead to one deflated stream; then after.txt
  many.zip         300 entries many/000..299: stored, deflated with data descriptors, empty,
                   empty with a descriptor, and stored zip archives; plain/many/ holds what
                   python's zipfile reads from it
  deep.zip         first.txt; "a/" x 32766 + "a" (a file) and "a/" x 32767 (a folder entry), both
                   longer than any platform's path limit; 257 folders "d/" + f.txt (too deep);
                   170 folders of 200 characters + x.txt (too long); last.txt
  tempnames.zip    twelve entries in sub/, four named as the engine's temporary files would be
                   at their place (~vz1.part first, ~vz3.part third, ~VZ5.PART fifth, ~vz10.part
                   tenth); each holds "data of " and its name
expected/<name>/   7z's extraction of the public Deflate64 samples in ../shared/testdata/zip
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

WHEN = (2021, 3, 4, 5, 6, 8)          # entry time used by the python-made archives
SEVENZ_WHEN = 1_600_000_000           # 2020-09-13 12:26:40 UTC, for 7z's input files


def mixed(seed, size):
    """Deterministic bytes of mixed compressibility: random, text-like and repeated stretches."""
    rnd = random.Random(seed)
    out = bytearray()
    words = [b"alpha", b"beta", b"gamma", b"delta", b"menu", b"velmora", b"\r\n", b" "]
    while len(out) < size:
        kind = rnd.randrange(3)
        if kind == 0:
            out += rnd.randbytes(rnd.randrange(1, 4096))
        elif kind == 1:
            for _ in range(rnd.randrange(10, 800)):
                out += rnd.choice(words)
        else:
            out += bytes([rnd.randrange(256)]) * rnd.randrange(1, 3000)
    return bytes(out[:size])


def deflate64_friendly():
    """Data whose best encoding uses Deflate64's long distances and long matches."""
    rnd = random.Random(64)
    block = rnd.randbytes(40 * 1024)
    return block + b"\0" * 70000 + block + block + rnd.randbytes(1000) + block


def raw_deflate(data, level=9):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def dos_time(t):
    y, mo, d, h, mi, s = t
    return (h << 11) | (mi << 5) | (s // 2), ((y - 1980) << 9) | (mo << 5) | d


def build_zip(entries, comment=b"", prefix=b""):
    """A ZIP made by hand, so that any field can lie. Each entry is a dict with name (bytes),
    payload (the stored bytes), method, crc, usize, and optionally csize, flag, made_by, needed,
    extra and comment (the central header's extra field and entry comment), descriptor (True:
    flag bit 3, zeros in the local header, a data descriptor after the data) and same_as (the
    index of an earlier entry whose local header this central entry names; none is written)."""
    out = bytearray(prefix)
    central = bytearray()
    offsets = []
    for e in entries:
        time, date = dos_time(e.get("when", WHEN))
        name, payload = e["name"], e["payload"]
        csize = e.get("csize", len(payload))
        flag, needed, made_by = e.get("flag", 0), e.get("needed", 20), e.get("made_by", 0x0314)
        descriptor = e.get("descriptor", False)
        if descriptor:
            flag |= 8
        offset = offsets[e["same_as"]] if "same_as" in e else len(out)
        offsets.append(offset)
        if "same_as" not in e:
            sizes = (0, 0, 0) if descriptor else (e["crc"], csize, e["usize"])
            out += struct.pack("<IHHHHHIIIHH", 0x04034B50, needed, flag, e["method"], time, date,
                               *sizes, len(name), 0) + name + payload
            if descriptor:
                out += struct.pack("<IIII", 0x08074B50, e["crc"], csize, e["usize"])
        extra, note = e.get("extra", b""), e.get("comment", b"")
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, made_by, needed, flag,
                               e["method"], time, date, e["crc"], csize, e["usize"], len(name),
                               len(extra), len(note), 0, 0, 0, offset) + name + extra + note
    cd_offset = len(out)
    out += central
    n = len(entries)
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, n, n, len(central), cd_offset,
                       len(comment)) + comment
    return bytes(out)


def stored(name, data, **more):
    e = dict(name=name, payload=data, method=0, crc=zlib.crc32(data), usize=len(data))
    e.update(more)
    return e


def to_zip64_end(data):
    """Rewrites the end of an archive with a Zip64 end record and locator, and an end record
    whose counts, size and offset hold all ones."""
    end = data.rfind(b"PK\x05\x06")
    _, _, _, _, total, cd_size, cd_offset, clen = struct.unpack("<IHHHHIIH", data[end:end + 22])
    body = data[:end]
    z64_pos = len(body)
    record = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, total, total, cd_size,
                         cd_offset)
    locator = struct.pack("<IIQI", 0x07064B50, 0, z64_pos, 1)
    tail = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    return body + record + locator + tail


def zipinfo(name, when=WHEN):
    entry = zipfile.ZipInfo(name, when)
    entry.external_attr = 0o644 << 16
    return entry


def write_plain(out, name, data):
    path = os.path.join(out, "plain", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(out, "plain"))

    hello, deep = b"Hello, world!\r\n", b"deep inside\n" * 10
    with zipfile.ZipFile(os.path.join(out, "stored.zip"), "w", zipfile.ZIP_STORED) as z:
        z.writestr(zipinfo("hello.txt"), hello)
        z.writestr(zipinfo("empty.txt"), b"")
        z.writestr(zipinfo("dir/"), b"")
        z.writestr(zipinfo("dir/sub/deep.txt", (2019, 12, 31, 23, 59, 58)), deep)
    write_plain(out, "hello.txt", hello)
    write_plain(out, "deep.txt", deep)

    big, text = mixed(1, 300 * 1024), b"The quick brown fox\n" * 200
    with zipfile.ZipFile(os.path.join(out, "deflated.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipinfo("mixed.bin"), big)
        z.writestr(zipinfo("text.txt"), text)
    write_plain(out, "mixed.bin", big)
    write_plain(out, "text.txt", text)

    path = os.path.join(out, "zip64.zip")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in (("z64a.bin", mixed(2, 70000)), ("z64b.txt", text)):
            with z.open(zipinfo(name), "w", force_zip64=True) as f:
                f.write(data)
    with open(path, "rb") as f:
        data = f.read()
    with open(path, "wb") as f:
        f.write(to_zip64_end(data))
    write_plain(out, "z64a.bin", mixed(2, 70000))

    with zipfile.ZipFile(os.path.join(out, "comment.zip"), "w") as z:
        z.writestr(zipinfo("commented.txt"), b"see the comment\n")
        z.comment = bytes(range(32, 132))

    with zipfile.ZipFile(os.path.join(out, "utf8.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipinfo("Grüße.txt"), "Grüße\n".encode())
        z.writestr(zipinfo("日本語.txt"), "日本語\n".encode())

    inner = build_zip([stored(b"inside.txt", b"after the prefix\n")])
    with open(os.path.join(out, "concat.zip"), "wb") as f:
        f.write(b"P" * 1000 + inner)
    path = os.path.join(out, "prefixed.zip")
    with open(path, "wb") as f:
        f.write(b"P" * 1000)
    with zipfile.ZipFile(path, "a") as z:
        z.writestr(zipinfo("inside.txt"), b"after the prefix\n")

    with zipfile.ZipFile(os.path.join(out, "duplicates.zip"), "w") as z:
        z.writestr(zipinfo("a/x.txt"), b"from a\n")
        z.writestr(zipinfo("b/x.txt"), b"from b\n")

    with zipfile.ZipFile(os.path.join(out, "mixed_case.zip"), "w") as z:
        z.writestr(zipinfo("Pattern.TXT"), b"pick\n")
        z.writestr(zipinfo("other.dat"), b"other\n")
        z.writestr(zipinfo("sub/readme.md"), b"readme\n")

    # 7z: Deflate64 and traditional encryption, from files with fixed times.
    src = os.path.join(out, "7z-input")
    os.makedirs(src)
    d64 = deflate64_friendly()
    for name, data in (("d64.bin", d64), ("text.txt", text), ("a.txt", b"secret text\n" * 50),
                       ("b.bin", mixed(3, 20000))):
        p = os.path.join(src, name)
        with open(p, "wb") as f:
            f.write(data)
        os.utime(p, (SEVENZ_WHEN, SEVENZ_WHEN))
    write_plain(out, "d64.bin", d64)
    write_plain(out, "a.txt", b"secret text\n" * 50)
    write_plain(out, "b.bin", mixed(3, 20000))
    quiet = dict(cwd=src, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["7z", "a", "-tzip", "-mm=Deflate64", "-mx=9", "-mtc=off",
                    os.path.abspath(os.path.join(out, "deflate64.zip")), "d64.bin", "text.txt"],
                   **quiet)
    subprocess.run(["7z", "a", "-tzip", "-psecret", "-mem=ZipCrypto", "-mtc=off",
                    os.path.abspath(os.path.join(out, "crypto.zip")), "a.txt", "b.bin"], **quiet)
    shutil.rmtree(src)

    # Hand-built broken archives.
    good, bad = b"good data\n", b"bad data\n"
    with open(os.path.join(out, "badcrc.zip"), "wb") as f:
        f.write(build_zip([stored(b"good.txt", good),
                           stored(b"bad.txt", bad, crc=zlib.crc32(bad) ^ 0x1)]))

    odd = dict(name=b"odd.bin", payload=b"BZh91AY&SY", method=12, crc=0, usize=100)
    with open(os.path.join(out, "method.zip"), "wb") as f:
        f.write(build_zip([odd, stored(b"fine.txt", b"fine\n")]))

    cut_data = mixed(4, 50000)
    packed = raw_deflate(cut_data)
    cut = dict(name=b"cut.bin", payload=packed[:len(packed) // 2], method=8,
               crc=zlib.crc32(cut_data), usize=len(cut_data))
    with open(os.path.join(out, "truncated.zip"), "wb") as f:
        f.write(build_zip([cut, stored(b"after.txt", b"after\n")]))

    # Data that does not end where its stream ends: a corrupt stream (a final block of the
    # reserved type), and padding after complete streams. Each entry after them must be decoded
    # from its own data alone.
    corrupt = bytearray(raw_deflate(cut_data))
    corrupt[0] = 0x07
    follow = b"The entry after\n" * 20
    def deflated(name, data, padding=b""):
        return dict(name=name, payload=raw_deflate(data) + padding, method=8,
                    crc=zlib.crc32(data), usize=len(data))
    with open(os.path.join(out, "corrupt_then_good.zip"), "wb") as f:
        f.write(build_zip([dict(deflated(b"bad.bin", cut_data), payload=bytes(corrupt)),
                           deflated(b"good.txt", follow)]))
    write_plain(out, "follow.txt", follow)
    with open(os.path.join(out, "padded.zip"), "wb") as f:
        f.write(build_zip([deflated(b"first.txt", text, padding=b"\x00" * 40),
                           deflated(b"second.bin", cut_data, padding=bytes(range(256)) * 4),
                           deflated(b"third.txt", follow)]))
    write_plain(out, "cut.bin", cut_data)

    # Names the listing and the extraction must read alike: a first Unicode path block that is
    # not valid (version 2, wrong CRC, too short, bad UTF-8) before a valid one, a valid empty
    # block, and an MS-DOS entry whose only Unicode block is the comment's. Each keeps its raw name.
    def upath(raw, text, version=1, crc=None, tag=0x7075):
        data = bytes([version]) + struct.pack("<I", zlib.crc32(raw) if crc is None else crc) + text
        return struct.pack("<HH", tag, len(data)) + data
    def named(raw, extra, **more):
        return stored(raw, b"data of " + raw, extra=extra, **more)
    with open(os.path.join(out, "names.zip"), "wb") as f:
        f.write(build_zip([
            named(b"raw_version.txt", upath(b"raw_version.txt", b"v1.txt", version=2) +
                  upath(b"raw_version.txt", "v1_ä.txt".encode())),
            named(b"raw_crc.txt", upath(b"raw_crc.txt", b"c1.txt", crc=1) +
                  upath(b"raw_crc.txt", b"c2.txt")),
            named(b"raw_short.txt", struct.pack("<HH", 0x7075, 2) + b"\x01\x00" +
                  upath(b"raw_short.txt", b"s2.txt")),
            named(b"raw_utf8.txt", upath(b"raw_utf8.txt", b"bad\xC3.txt") +
                  upath(b"raw_utf8.txt", b"u2.txt")),
            named(b"raw_empty.txt", upath(b"raw_empty.txt", b"")),
            named(b"caf\x82.txt", upath(b"note", "café".encode(), tag=0x6375), comment=b"note",
                  made_by=0x0014),
        ]))

    over = stored(b"over.bin", b"x" * 100, csize=100000)
    with open(os.path.join(out, "pastend.zip"), "wb") as f:
        f.write(build_zip([over]))

    zeros = bytes(1 << 20)
    bomb = dict(name=b"zeros.bin", payload=raw_deflate(zeros), method=8,
                crc=zlib.crc32(zeros[:1000]), usize=1000)
    five = mixed(5, 5000)
    with open(os.path.join(out, "bomb.zip"), "wb") as f:
        f.write(build_zip([bomb, stored(b"stored.bin", five, usize=100, crc=zlib.crc32(five[:100])),
                           stored(b"ok.txt", b"ok\n")]))

    small = mixed(6, 100)
    with open(os.path.join(out, "short.zip"), "wb") as f:
        f.write(build_zip([stored(b"small.bin", small, usize=500)]))

    unsafe = [b"..", b"dir/..", b"C:evil.txt", b"CON", b"con.txt", b"Nul.tar.gz", b"LPT9",
              "COM¹.txt".encode(), b"trail.", b"trail ", b"a<b.txt", b"a|b", b"ctl\x01.txt",
              b"n" * 256]
    names = unsafe + [b"../escape.txt", b"/abs/rooted.txt", b"C:/drive/on.txt", b"good.txt"]
    with open(os.path.join(out, "badnames.zip"), "wb") as f:
        f.write(build_zip([stored(n, b"data of " + n, flag=0x800) for n in names]))

    with open(os.path.join(out, "letter_case.zip"), "wb") as f:
        f.write(build_zip([stored(b"Readme.TXT", b"first\n"), stored(b"README.txt", b"second\n"),
                           stored(b"Dir/a.txt", b"a\n"), stored(b"DIR/b.txt", b"b\n")]))

    with open(os.path.join(out, "emptyname.zip"), "wb") as f:
        f.write(build_zip([stored(b"", b"nameless\n"), stored(b"/", b""), stored(b"ok.txt", b"ok\n")]))

    with open(os.path.join(out, "oem.zip"), "wb") as f:
        f.write(build_zip([stored(b"f\x81.txt", b"oem\n", made_by=0x0014)]))

    with open(os.path.join(out, "version.zip"), "wb") as f:
        f.write(build_zip([stored(b"future.txt", b"future\n", needed=99),
                           stored(b"ok.txt", b"ok\n")]))

    quarter = bytes(256 * 1024)
    zeros_entry = dict(name=b"zeros.bin", payload=raw_deflate(quarter), method=8,
                       crc=zlib.crc32(quarter), usize=len(quarter))
    copies = [dict(zeros_entry, name=b"copy%d.bin" % i, same_as=0) for i in range(1, 16)]
    with open(os.path.join(out, "overlap_shared.zip"), "wb") as f:
        f.write(build_zip([zeros_entry] + copies + [stored(b"after.txt", b"after\n")]))
    write_plain(out, "quarter.bin", quarter)

    # Two local headers, b.bin's inside a.bin's extra field, both leading to one stream.
    stream = raw_deflate(quarter)
    time, date = dos_time(WHEN)
    def local(name, extra_length):
        return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, time, date, zlib.crc32(quarter),
                           len(stream), len(quarter), len(name), extra_length) + name
    padding = b"\0" * 8
    b_header = local(b"b.bin", len(padding)) + padding
    body = local(b"a.bin", len(b_header)) + b_header + stream
    b_offset = 30 + len(b"a.bin")
    tail = stored(b"after.txt", b"after\n")
    after = build_zip([tail])  # its local header and data, then its directory
    after_local = after[:after.find(b"PK\x01\x02")]
    central = bytearray()
    for name, offset in ((b"a.bin", 0), (b"b.bin", b_offset)):
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x0314, 20, 0, 8, time, date,
                               zlib.crc32(quarter), len(stream), len(quarter), len(name), 0, 0,
                               0, 0, 0, offset) + name
    central += after[after.find(b"PK\x01\x02"):after.find(b"PK\x05\x06")]
    central = bytes(central)
    # after.txt's central entry names offset 0 of its own archive: move it behind the body.
    fix = central.rfind(b"PK\x01\x02") + 42
    central = central[:fix] + struct.pack("<I", len(body)) + central[fix + 4:]
    cd_offset = len(body) + len(after_local)
    with open(os.path.join(out, "overlap_extra.zip"), "wb") as f:
        f.write(body + after_local + central +
                struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 3, 3, len(central), cd_offset, 0))

    # Every kind of entry that sits next to others without overlapping them.
    many = []
    for i in range(300):
        kind, name = i % 5, b"many/%03d" % i
        if kind == 0:
            many.append(stored(name + b".txt", b"stored entry %d\n" % i * (i % 7 + 1)))
        elif kind == 1:
            data = mixed(100 + i, 3000 + i)
            many.append(dict(deflated(name + b".bin", data), descriptor=True))
        elif kind == 2:
            many.append(stored(name + b".empty", b""))
        elif kind == 3:
            many.append(dict(deflated(name + b".empty", b""), descriptor=True))
        else:
            inner = build_zip([stored(b"inner.txt", b"inner %d\n" % i),
                               stored(b"nested/deeper.txt", b"deeper\n")])
            many.append(stored(name + b".zip", inner))
    path = os.path.join(out, "many.zip")
    with open(path, "wb") as f:
        f.write(build_zip(many))
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            write_plain(out, info.filename, z.read(info))

    deep = [stored(b"first.txt", b"first\n"), stored(b"a/" * 32766 + b"a", b"deep\n"),
            stored(b"a/" * 32767, b""), stored(b"d/" * 257 + b"f.txt", b"too deep\n"),
            stored((b"c" * 200 + b"/") * 170 + b"x.txt", b"too long\n"),
            stored(b"last.txt", b"last\n")]
    with open(os.path.join(out, "deep.zip"), "wb") as f:
        f.write(build_zip(deep))

    temp_like = {0: "~vz1.part", 2: "~vz3.part", 4: "~VZ5.PART", 9: "~vz10.part"}
    names = [("sub/" + temp_like.get(i, "file%d.txt" % i)).encode() for i in range(12)]
    with open(os.path.join(out, "tempnames.zip"), "wb") as f:
        f.write(build_zip([stored(n, b"data of " + n) for n in names]))

    with open(os.path.join(out, "notzip.zip"), "wb") as f:
        f.write(b"This is not an archive at all, just some text without an end record.\n" * 3)

    # What 7z makes of the public Deflate64 samples, for comparison (folder names dropped).
    shared = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "..",
                          "shared", "testdata", "zip")
    for rel, stem in (("zip2/deflate64.zip", "zip2-deflate64"),
                      ("commons-compress/lorem-ipsum-deflate64.zip", "lorem-ipsum-deflate64")):
        if os.path.exists(os.path.join(shared, rel)):
            subprocess.run(["7z", "e", "-y", "-o" + os.path.join(out, "expected", stem),
                            os.path.join(shared, rel)], check=True, stdout=subprocess.DEVNULL)

    with open(os.path.join(out, "index.txt"), "w") as f:
        f.write(__doc__)


if __name__ == "__main__":
    main()
