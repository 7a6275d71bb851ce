#!/bin/bash
# scripts/fuzz_zip_front.sh -- builds the front end's whole-extraction fuzz target
# (tests/fuzz/zip_front_fuzz.cpp) and the engine library beside it, both with AddressSanitizer,
# UBSan and libFuzzer's coverage (so the engine's paths guide the fuzzer too), then fuzzes for a
# bounded time: arbitrary package bytes through TZipFront19, which reads the directory and drives
# the engine it loads by name.
#   scripts/fuzz_zip_front.sh [SECONDS]      default 600
# The corpus grows in build/fuzz/zip-front-corpus (kept between runs, seeded with the engine's test
# archives); crash inputs land in build/fuzz/zip-front-crashes. Environment: CXX (default clang++).
# Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=${1:-600}
cxx=${CXX:-clang++}
out=build/fuzz
corpus=$out/zip-front-corpus
crashes=$out/zip-front-crashes
mkdir -p "$out" "$corpus" "$crashes"
flags=(-std=c++20 -g -O1 -I. -fsanitize=address,undefined -fno-sanitize-recover=undefined
       -fno-omit-frame-pointer)

echo "building $out/libvlmzip190.so"
"$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -fPIC -shared -fvisibility=hidden -DVZ_ENGINE_BUILD \
  zip/engine/*.cpp zip/engine/posix/*.cpp runtime/*.cpp runtime/posix/*.cpp -lz -ldl \
  -o "$out/libvlmzip190.so"
echo "building $out/zip_front_fuzz"
"$cxx" "${flags[@]}" -fsanitize=fuzzer tests/fuzz/zip_front_fuzz.cpp zip/*.cpp zip/posix/*.cpp \
  runtime/*.cpp runtime/posix/*.cpp -lz -ldl -o "$out/zip_front_fuzz"

# Seeds: the engine's test archives below 64 KiB, plain and with folder names.
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
"$out/zip_front_fuzz" "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=20 \
  -rss_limit_mb=2048 -artifact_prefix="$crashes/" -print_final_stats=1
status=$?
set -e
echo "fuzzing ended after $(( $(date +%s) - start )) s with status $status"
exit $status
