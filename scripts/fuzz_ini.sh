#!/bin/bash
# scripts/fuzz_ini.sh -- builds the INI fuzz target with clang's libFuzzer (plus AddressSanitizer
# and UBSan) from the runtime and INI sources, then fuzzes for a bounded time.
#   scripts/fuzz_ini.sh [SECONDS]      default 600
# The corpus grows in build/fuzz/ini-corpus (kept between runs, seeded from tests/fuzz/ini-seeds
# when that exists and from a few built-in samples); crash inputs land in build/fuzz/ini-crashes.
# Environment: CXX (default clang++). One fuzzing process: the machines here have 2 cores.
# Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

source scripts/fuzz_common.sh
seconds=${1:-600}
corpus=$out/ini-corpus
crashes=$out/ini-crashes
mkdir -p "$out" "$corpus" "$crashes"

sources=(tests/fuzz/ini_fuzz.cpp ini/*.cpp runtime/*.cpp runtime/posix/*.cpp)
echo "building $out/ini_fuzz"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer "${sources[@]}" -lcrypto -o "$out/ini_fuzz"

# A few seeds in the shapes the program meets: a deployment record, odd headers, byte-order marks.
seed() { [ -e "$corpus/$1" ] || printf '%b' "$2" > "$corpus/$1"; }
# The first byte picks the case sensitivity; printf's %b expands the escapes (NUL included).
seed record '\x00[Packages]\r\nPackageList=vlmv2menu\r\n\r\n[vlmv2menu]\r\nRelease=2.0\r\n'
seed headers '\x01 ; c\n[ a ]\nx = 1\n[A]\nx=2\n[a] ;c\n#k=v\n=e\n[]\nk=\n'
seed utf8bom '\x00\xef\xbb\xbf[\xc3\x84pfel]\nGr\xc3\xb6\xc3\x9fe=0x1F\n'
seed utf16le '\x00\xff\xfe[\x00s\x00]\x00\n\x00k\x00=\x00v\x00'
seed binary '\x00[s]\nb=0A1bZZ42\nd=2024-05-06 13:45\nf=1.5E-7\n'
if [ -d tests/fuzz/ini-seeds ]; then cp -n tests/fuzz/ini-seeds/* "$corpus"/ 2>/dev/null || true; fi

run_fuzzer "$out/ini_fuzz" "$corpus" "$crashes" "$seconds" 4096 5
