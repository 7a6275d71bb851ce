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

source scripts/fuzz_common.sh
seconds=${1:-600}
corpus=$out/zip-front-corpus
crashes=$out/zip-front-crashes
mkdir -p "$out" "$corpus" "$crashes"

echo "building $out/libvlmzip190.so"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer-no-link -fPIC -shared -fvisibility=hidden -DVZ_ENGINE_BUILD \
  zip/engine/*.cpp zip/engine/posix/*.cpp zip/format/*.cpp runtime/*.cpp runtime/posix/*.cpp -lz -ldl \
  -lcrypto -o "$out/libvlmzip190.so"
echo "building $out/zip_front_fuzz"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer tests/fuzz/zip_front_fuzz.cpp zip/*.cpp zip/posix/*.cpp zip/format/*.cpp \
  runtime/*.cpp runtime/posix/*.cpp -lz -ldl -lcrypto -o "$out/zip_front_fuzz"

seed_with_engine_archives "$corpus"

run_fuzzer "$out/zip_front_fuzz" "$corpus" "$crashes" "$seconds" 65536 5
