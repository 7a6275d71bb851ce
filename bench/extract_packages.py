#!/usr/bin/env python3
"""bench/extract_packages.py -- writes the two Deflate packages of bench/extract.sh.

    extract_packages.py OUTDIR [MIB]

OUTDIR/many.zip holds about MIB MiB (default 256) in about 2000 files, in folders two deep, of
mixed compressibility: random bytes (which Deflate cannot shrink), text-like bytes (about 3:1),
and blends of the two in 4 KiB stretches. OUTDIR/single.zip holds one MIB MiB file built of the
same three kinds in 1 MiB stretches. OUTDIR/manifest-many.txt and manifest-single.txt list
"<sha256> <size> <path>" for every file of each package, sorted by path, so an extraction can
be checked against them.
Everything comes from fixed seeds: the same command writes the same bytes every time.
"""
import hashlib
import os
import random
import sys
import zipfile

MIB = 1024 * 1024


def text_pool(rng, size):
    """Text-like bytes: words of a fixed vocabulary in lines, about 3:1 under Deflate."""
    letters = "etaoinshrdlcumwfgypbvkjxqz"
    weights = [12, 9, 8, 8, 7, 7, 6, 6, 6, 4, 4, 3, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1]
    vocabulary = []
    for _ in range(4000):
        length = rng.randint(2, 11)
        vocabulary.append("".join(rng.choices(letters, weights, k=length)))
    parts = []
    total = 0
    while total < size:
        line = " ".join(rng.choices(vocabulary, k=rng.randint(4, 16))) + ".\n"
        parts.append(line)
        total += len(line)
    return "".join(parts).encode("ascii")[:size]


class Source:
    """Hands out bytes of a given kind: "random", "text" or "blend"."""

    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.pool = text_pool(self.rng, 8 * MIB)

    def text(self, size):
        start = self.rng.randrange(0, len(self.pool) - size) if size < len(self.pool) else 0
        if size <= len(self.pool):
            return self.pool[start:start + size]
        return (self.pool * (size // len(self.pool) + 1))[:size]

    def take(self, kind, size):
        if kind == "random":
            return self.rng.randbytes(size)
        if kind == "text":
            return self.text(size)
        # blend: 4 KiB stretches of text and random bytes in turn
        out = bytearray()
        while len(out) < size:
            piece = min(4096, size - len(out))
            out += self.text(piece) if (len(out) // 4096) % 2 == 0 else self.rng.randbytes(piece)
        return bytes(out)


def add(archive, manifest, name, data):
    member = zipfile.ZipInfo(name, date_time=(2020, 1, 2, 3, 4, 6))
    member.compress_type = zipfile.ZIP_DEFLATED
    member.external_attr = 0o644 << 16
    archive.writestr(member, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=6)
    manifest.append((name, hashlib.sha256(data).hexdigest(), len(data)))


def write_many(path, manifest, total):
    source = Source(20240601)
    kinds = ["random", "text", "blend"]
    count = 2000
    mean = total // count
    # sizes from a few bytes to about 5x the mean, most below it, scaled to add up to total
    drawn = [min(source.rng.expovariate(1 / mean), 5 * mean) for _ in range(count)]
    scale = total / sum(drawn)
    sizes = [int(size * scale) for size in drawn]
    sizes[-1] += total - sum(sizes)
    with zipfile.ZipFile(path, "w") as archive:
        for index, size in enumerate(sizes):
            kind = kinds[index % 3]
            name = f"d{index % 20:02d}/s{index % 7}/f{index:04d}.{kind[:3]}"
            add(archive, manifest, name, source.take(kind, size))


def write_single(path, manifest, total):
    source = Source(20240602)
    kinds = ["text", "random", "blend", "text"]
    data = bytearray()
    stretch = 0
    while len(data) < total:
        data += source.take(kinds[stretch % len(kinds)], min(MIB, total - len(data)))
        stretch += 1
    with zipfile.ZipFile(path, "w") as archive:
        add(archive, manifest, "big/payload.bin", bytes(data))


def main():
    outdir = sys.argv[1]
    total = int(sys.argv[2]) * MIB if len(sys.argv) > 2 else 256 * MIB
    os.makedirs(outdir, exist_ok=True)
    manifest = []
    write_many(os.path.join(outdir, "many.zip"), manifest, total)
    with open(os.path.join(outdir, "manifest-many.txt"), "w") as out:
        for name, digest, size in sorted(manifest):
            out.write(f"{digest} {size} {name}\n")
    manifest = []
    write_single(os.path.join(outdir, "single.zip"), manifest, total)
    with open(os.path.join(outdir, "manifest-single.txt"), "w") as out:
        for name, digest, size in sorted(manifest):
            out.write(f"{digest} {size} {name}\n")


if __name__ == "__main__":
    main()
