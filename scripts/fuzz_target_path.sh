#!/bin/bash
# scripts/fuzz_target_path.sh -- builds the target-path fuzz target (tests/fuzz/target_path_fuzz.cpp)
# with clang's libFuzzer, AddressSanitizer and UBSan from the engine's and the runtime's sources,
# then fuzzes for a bounded time: entry names turned into target paths with folder names kept.
#   scripts/fuzz_target_path.sh [SECONDS]      default 600
# The corpus grows in build/fuzz/target-path-corpus (kept between runs, seeded with a few names);
# crash inputs land in build/fuzz/target-path-crashes. Names up to 128 KiB, so that the path
# limit and the depth limit are within reach.
# Environment: CXX (default clang++). One fuzzing process: the machines here have 2 cores.
# Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

source scripts/fuzz_common.sh
seconds=${1:-600}
corpus=$out/target-path-corpus
crashes=$out/target-path-crashes
mkdir -p "$out" "$corpus" "$crashes"

sources=(tests/fuzz/target_path_fuzz.cpp zip/engine/*.cpp zip/engine/posix/*.cpp zip/format/*.cpp
         runtime/*.cpp runtime/posix/*.cpp)
echo "building $out/target_path_fuzz"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer -DVZ_ENGINE_BUILD "${sources[@]}" -lz -ldl \
  -lcrypto -o "$out/target_path_fuzz"

seed() { [ -e "$corpus/$1" ] || printf '%b' "$2" > "$corpus/$1"; }
seed plain 'dir/sub/file.txt'
seed backslashes '\\\\dir\\\\sub\\\\..\\\\x'
seed devices 'a/CON.txt/b/COM\xc2\xb9/c:d/e.'
seed folder 'dir/sub/'
[ -e "$corpus/deep" ] || python3 -c "print('a/' * 300, end='')" > "$corpus/deep"

run_fuzzer "$out/target_path_fuzz" "$corpus" "$crashes" "$seconds" 131072 5
