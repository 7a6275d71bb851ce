#!/bin/bash
# bench/ini_memory.sh -- peak memory of "vlmtool ini" on INI files shaped to cost memory: one key
# whose value is one long line (MIB MiB, default 100) and a file of ten million comment lines.
# Prints each file's size, the peak resident memory (/usr/bin/time) less the tool's own peak on an
# empty INI file, and their ratio. Targets: at
# most 4 times the file for the long line (its bytes and one UTF-16 copy at any moment), and for
# the comments no copy of the text beyond what the INI keeps (about the file's size in all).
#   bench/ini_memory.sh [MIB]
# vlmtool comes from the native-release preset, which this script builds (JOBS jobs, default 2).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mib=${1:-100}
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target vlmtool -j "${JOBS:-2}" >/dev/null
tool=$PWD/build/native-release/tools/vlmtool

work=$(mktemp -d /tmp/ini-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$mib" <<'PY'
import sys
work, mib = sys.argv[1], int(sys.argv[2])
with open(f"{work}/long.ini", "wb") as f:
    f.write(b"[s]\r\nk=" + b"x" * (mib << 20) + b"\r\n")
with open(f"{work}/comments.ini", "wb") as f:
    f.write(b"[s]\r\nk=v\r\n" + b";c\r\n" * 10_000_000)
PY

peak() { { /usr/bin/time -f '%M' "$tool" ini "$1" read s k >/dev/null; } 2>&1 | tail -1; }
: >"$work/empty.ini"
base_kb=$(peak "$work/empty.ini")
echo "vlmtool's own peak on an empty file: $((base_kb / 1024)) MiB (subtracted below)"
printf '%-14s %10s %10s %7s\n' file "size MiB" "peak MiB" ratio
for name in long comments; do
  file=$work/$name.ini
  peak_kb=$(($(peak "$file") - base_kb))
  size=$(stat -c %s "$file")
  python3 -c "import sys; s, p = int(sys.argv[2]), int(sys.argv[3]) * 1024
print(f'{sys.argv[1]:<14} {s / 2**20:10.1f} {p / 2**20:10.1f} {p / s:7.2f}')" "$name.ini" "$size" \
    "$peak_kb"
done
