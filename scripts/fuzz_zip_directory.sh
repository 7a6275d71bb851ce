#!/bin/bash
# scripts/fuzz_zip_directory.sh -- builds the archive directory fuzz target
# (tests/fuzz/zip_directory_fuzz.cpp) with clang's libFuzzer, AddressSanitizer and UBSan from the
# zip front end's and the runtime's sources, then fuzzes for a bounded time.
#   scripts/fuzz_zip_directory.sh [SECONDS]      default 600
# The corpus grows in build/fuzz/zip-directory-corpus (kept between runs, seeded with archives
# made by tests/zip/make_directory_archives.py and with the public corpus when it is present);
# crash inputs land in build/fuzz/zip-directory-crashes.
# Environment: CXX (default clang++). One fuzzing process: the machines here have 2 cores.
# Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

source scripts/fuzz_common.sh
seconds=${1:-600}
corpus=$out/zip-directory-corpus
crashes=$out/zip-directory-crashes
mkdir -p "$out" "$corpus" "$crashes"

sources=(tests/fuzz/zip_directory_fuzz.cpp zip/*.cpp zip/posix/*.cpp zip/format/*.cpp runtime/*.cpp
         runtime/posix/*.cpp)
echo "building $out/zip_directory_fuzz"
"$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer "${sources[@]}" -lz -ldl -lcrypto \
  -o "$out/zip_directory_fuzz"

# Seeds: each archive once per first byte 0x00 (automatic names) and 0x0B (UTF-8, directory-only
# entries shown).
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
python3 tests/zip/make_directory_archives.py "$seeds" >/dev/null
add_seed() {  # file, name
  [ -e "$corpus/$2-0" ] || { printf '\x00' | cat - "$1" > "$corpus/$2-0"; }
  [ -e "$corpus/$2-b" ] || { printf '\x0b' | cat - "$1" > "$corpus/$2-b"; }
}
for f in "$seeds"/*.zip; do add_seed "$f" "$(basename "$f")"; done
if [ -d ../shared/testdata/zip ]; then
  while IFS= read -r f; do
    add_seed "$f" "shared-$(echo "${f#../shared/testdata/zip/}" | tr '/' '_')"
  done < <(find ../shared/testdata/zip -type f -size -200k ! -name '*.md' ! -name '*.tsv')
fi

run_fuzzer "$out/zip_directory_fuzz" "$corpus" "$crashes" "$seconds" 70000 5
