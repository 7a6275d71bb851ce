#!/bin/bash
# scripts/fuzz_extract.sh -- builds the whole-extraction fuzz target (tests/fuzz/extract_fuzz.cpp)
# with clang's libFuzzer, AddressSanitizer and UBSan from the engine and runtime sources, then
# fuzzes for a bounded time: arbitrary archive bytes through VZ_Exec into a fresh folder.
#   scripts/fuzz_extract.sh [SECONDS]      default 600
# The corpus grows in build/fuzz/extract-corpus (kept between runs, seeded with the test archives
# of tests/zip/engine/make_test_archives.py); crash inputs land in build/fuzz/extract-crashes.
# Environment: CXX (default clang++). One fuzzing process: the machines here have 2 cores.
# Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=${1:-600}
cxx=${CXX:-clang++}
out=build/fuzz
corpus=$out/extract-corpus
crashes=$out/extract-crashes
mkdir -p "$out" "$corpus" "$crashes"

sources=(tests/fuzz/extract_fuzz.cpp zip/engine/*.cpp zip/engine/posix/*.cpp runtime/*.cpp
         runtime/posix/*.cpp)
echo "building $out/extract_fuzz"
"$cxx" -std=c++20 -g -O1 -I. -DVZ_ENGINE_BUILD -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -fno-omit-frame-pointer "${sources[@]}" -lz -ldl \
  -o "$out/extract_fuzz"

# Seeds: the test archives below 64 KiB, each with option bytes 0 (plain) and 1 (folder names).
if [ -z "$(ls -A "$corpus")" ]; then
  archives=$(mktemp -d)
  python3 tests/zip/engine/make_test_archives.py "$archives" >/dev/null
  for f in "$archives"/*.zip; do
    [ "$(stat -c %s "$f")" -lt 65536 ] || continue
    for opt in 0 1; do
      { printf "\\x0$opt"; cat "$f"; } > "$corpus/seed-$opt-$(basename "$f")"
    done
  done
  rm -rf "$archives"
fi

echo "fuzzing for $seconds s"
start=$(date +%s)
set +e
"$out/extract_fuzz" "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$crashes/" -print_final_stats=1
status=$?
set -e
echo "fuzzing ended after $(( $(date +%s) - start )) s with status $status"
exit $status
