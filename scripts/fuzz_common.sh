# scripts/fuzz_common.sh -- what the fuzz scripts share (sourced, not run): the compiler flags,
# the seeding from the engine's test archives and the bounded fuzzing run.

cxx=${CXX:-clang++}
out=build/fuzz
# AddressSanitizer and UBSan, stopping at the first finding; add -fsanitize=fuzzer to link.
# The engine's banner names its build's source date, which the CMake build provides.
fuzz_flags=(-std=c++20 -g -O1 -I. -fsanitize=address,undefined -fno-sanitize-recover=undefined
            -fno-omit-frame-pointer '-DVLM_BUILD_DATE="fuzzing"')

# seed_with_engine_archives CORPUS: when CORPUS is empty, the engine's test archives below
# 64 KiB, each twice: behind an option byte 0 (plain) and 1 (with folder names).
seed_with_engine_archives() {
  local corpus=$1 archives f opt
  [ -z "$(ls -A "$corpus")" ] || return 0
  archives=$(mktemp -d)
  python3 tests/zip/engine/make_test_archives.py "$archives" >/dev/null
  for f in "$archives"/*.zip; do
    [ "$(stat -c %s "$f")" -lt 65536 ] || continue
    for opt in 0 1; do
      { printf "\\x0$opt"; cat "$f"; } > "$corpus/seed-$opt-$(basename "$f")"
    done
  done
  rm -rf "$archives"
}

# run_fuzzer BINARY CORPUS CRASHES SECONDS MAX_LEN TIMEOUT: fuzzes for SECONDS (one process:
# the machines here have 2 cores), crash inputs into CRASHES; prints how long it ran and returns
# the fuzzer's status. The limits are tight on purpose: an input that makes the code take more
# than 512 MiB, a single allocation of more than 256 MiB, or more than TIMEOUT seconds is a
# finding (hostile archives and replies must cost little).
run_fuzzer() {
  local binary=$1 corpus=$2 crashes=$3 seconds=$4 max_len=$5 timeout=$6 start status
  echo "fuzzing $(basename "$binary") for $seconds s"
  start=$(date +%s)
  set +e
  "$binary" "$corpus" -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" \
    -rss_limit_mb=512 -malloc_limit_mb=256 -artifact_prefix="$crashes/" -print_final_stats=1
  status=$?
  set -e
  echo "$(basename "$binary") ended after $(( $(date +%s) - start )) s with status $status"
  return $status
}
