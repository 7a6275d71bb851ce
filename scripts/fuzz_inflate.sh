#!/bin/bash
# scripts/fuzz_inflate.sh -- builds the inflater fuzz target (tests/fuzz/inflate_fuzz.cpp) with
# clang's libFuzzer, AddressSanitizer and UBSan, then fuzzes for a bounded time. In Deflate mode
# every input is also decoded by zlib and the two must agree; Deflate64 inputs must merely decode
# without fault.
#   scripts/fuzz_inflate.sh [SECONDS]      default 600
# The corpus grows in build/fuzz/inflate-corpus (kept between runs, seeded with zlib streams of a
# few kinds, for both modes); crash inputs land in build/fuzz/inflate-crashes.
# Environment: CXX (default clang++). One fuzzing process: the machines here have 2 cores.
# Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

source scripts/fuzz_common.sh
seconds=${1:-600}
corpus=$out/inflate-corpus
crashes=$out/inflate-crashes
mkdir -p "$out" "$corpus" "$crashes"

echo "building $out/inflate_fuzz"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer tests/fuzz/inflate_fuzz.cpp zip/engine/inflater.cpp -lz -o "$out/inflate_fuzz"

# Seeds: raw Deflate streams of text, runs and random bytes at several levels; the first byte
# picks the mode and the read size (0: Deflate, whole input; 1: Deflate64; 14: Deflate, 7 bytes).
python3 - "$corpus" <<'PY'
import os, random, sys, zlib
out = sys.argv[1]
rnd = random.Random(1951)
samples = {
    "text": b"the quick brown fox jumps over the lazy dog\n" * 40,
    "runs": b"a" * 3000 + b"b" * 70000 + b"ab" * 500,
    "random": rnd.randbytes(3000),
    "mixed": rnd.randbytes(500) * 9 + b"z" * 600,
}
for name, data in samples.items():
    for level in (0, 1, 9):
        c = zlib.compressobj(level, zlib.DEFLATED, -15)
        stream = c.compress(data) + c.flush()
        for mode in (0, 1, 14):
            path = os.path.join(out, f"seed-{name}-{level}-{mode}")
            if not os.path.exists(path):
                with open(path, "wb") as f:
                    f.write(bytes([mode]) + stream)
PY

run_fuzzer "$out/inflate_fuzz" "$corpus" "$crashes" "$seconds" 65536 5
