#!/bin/bash
# scripts/fuzz_http.sh -- builds the HTTP fuzz targets with clang's libFuzzer (plus AddressSanitizer
# and UBSan) from the runtime and HTTP sources, then fuzzes each for a bounded time, one after the
# other:
#   http_uri_fuzz     URI split, join and path merge
#   http_header_fuzz  reply head parsing, the cookie splitter, attribute parser and store
#   http_reply_fuzz   a whole reply read by the client through an in-memory I/O handler
#   http_cookie_fuzz  pages from two hosts through the META scan and the cookie store, which must
#                     stay bounded and write only sendable request lines
#   scripts/fuzz_http.sh [SECONDS [TARGET...]]     default 600 s each, all targets
# Corpora grow in build/fuzz/<target>-corpus (kept between runs, seeded with a few built-in
# samples); crash inputs land in build/fuzz/<target>-crashes. Environment: CXX (default clang++).
# One fuzzing process at a time: the machines here have 2 cores. Not part of the default test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

source scripts/fuzz_common.sh
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(http_uri_fuzz http_header_fuzz http_reply_fuzz http_cookie_fuzz)
mkdir -p "$out"

seed() { [ -e "$1/$2" ] || printf '%b' "$3" > "$1/$2"; }
seeds() {
  local corpus=$1
  case $(basename "$corpus") in
    http_uri_fuzz-corpus)
      seed "$corpus" plain 'http://127.0.0.1:8080/dir/sub/deploy.vlm?x=1#top'
      seed "$corpus" auth 'http://user:pw@[::1]:8080/a\\b\\c?d\\e#f'
      seed "$corpus" merge 'http://127.0.0.1/a//b/\x00../x/./menu.pkg' ;;
    http_header_fuzz-corpus)
      seed "$corpus" cookies 'Set-Cookie: a=1; Path=/; Expires=Wed, 09 Jun 2021 10:18:14 GMT, b="x;y"; Secure\r\nSet-Cookie2: a=2; Version=1; Port="80,8080"\r\n\tDiscard\r\n'
      seed "$corpus" fields 'Content-Type: text/html; charset=utf-8\nContent-Length: 12\nContent-Range: bytes 1-2/3\nDate: Sun, 06 Nov 1994 08:49:37 GMT\nExpires: 60\n' ;;
    http_reply_fuzz-corpus)
      seed "$corpus" counted '\x03HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello'
      seed "$corpus" chunked '\x00HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n5;e=1\r\nhello\r\n0\r\nT: 1\r\n\r\n'
      seed "$corpus" close '\x10HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html><head><meta http-equiv="Set-Cookie" content="a=1"></head></html>' ;;
    http_cookie_fuzz-corpus)
      seed "$corpus" pages '\x00<html><head><meta http-equiv="Set-Cookie" content="sid=1; Path=/"><title>t</title></head></html>\xff\x01<html><!-- c --><head><meta http-equiv="set-cookie" content="b=2, c=3; Domain=127.0.0.2"></head><body></body></html>' ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  echo "building $out/$target"
  "$cxx" "${fuzz_flags[@]}" -fsanitize=fuzzer "tests/fuzz/$target.cpp" http/*.cpp http/posix/*.cpp \
    runtime/*.cpp runtime/posix/*.cpp -lssl -lcrypto -o "$out/$target"
  corpus=$out/$target-corpus
  crashes=$out/$target-crashes
  mkdir -p "$corpus" "$crashes"
  seeds "$corpus"
  run_fuzzer "$out/$target" "$corpus" "$crashes" "$seconds" 8192 5 || status=$?
done
exit $status
