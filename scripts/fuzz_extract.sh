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

source scripts/fuzz_common.sh
seconds=${1:-600}
corpus=$out/extract-corpus
crashes=$out/extract-crashes
mkdir -p "$out" "$corpus" "$crashes"

sources=(tests/fuzz/extract_fuzz.cpp zip/engine/*.cpp zip/engine/posix/*.cpp zip/format/*.cpp runtime/*.cpp
         runtime/posix/*.cpp)
echo "building $out/extract_fuzz"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer -DVZ_ENGINE_BUILD "${sources[@]}" -lz -ldl \
  -lcrypto -o "$out/extract_fuzz"

seed_with_engine_archives "$corpus"

run_fuzzer "$out/extract_fuzz" "$corpus" "$crashes" "$seconds" 65536 5
