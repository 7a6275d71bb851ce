#!/bin/bash
# bench/extract.sh -- extraction time of "vlmtool unzip" against bsdtar, 7z and python3's
# zipfile, with a pure in-memory inflate of the same packages as the lower bound and an
# in-memory inflate with CRC-32 checks as the floor.
#   bench/extract.sh [MIB [RUNS]]
# Two Deflate packages come from bench/extract_packages.py (fixed seeds; kept in
# build/bench-extract/ and made again only when the generator or MIB changes): many.zip, about
# MIB MiB (default 256) in 2000 files of mixed compressibility, and single.zip, one MIB MiB file.
# Every tool extracts each package RUNS times (default 5) into an empty folder, the tools taking
# turns run by run; the first extraction of each is checked file by file against the manifest.
# Two targets, each measured on its own (TARGETS, default "memory disk"):
#   memory  a folder under OUTDIR (default /dev/shm): the extractors' own costs alone;
#   disk    a folder under build/bench-extract/ (DISKDIR to choose another), on the file system
#           of the build tree as a user's installation folder is: file creation, block allocation
#           and the page cache of a real disk file system count.
# bound is bench/inflate_bound.cpp (inflate only), floor the same with the CRC-32 of every entry
# (inflate_bound --crc). vlmtool@1cpu is vlmtool confined to one processor (taskset -c 0), when
# taskset is there: vlmtool decodes on a second thread where it can. BASELINE=PATH adds another
# vlmtool build (an older commit's, say) as "baseline", measured in the same runs.
# Prints, per target and package, the median wall time of each, its throughput, and its ratio to
# bsdtar, to the bound and to the floor.
# vlmtool comes from the native-release preset, which this script builds (JOBS jobs, default 2);
# the engine library is loaded from next to it. Without vlmtool's unzip command the other tools
# are still measured. Targets: vlmtool no slower than bsdtar on both packages, within 1.25x of the
# inflate bound on single.zip and within 1.3x of the floor on many.zip.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

mib=${1:-256}
runs=${2:-5}

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target vlmtool -j "${JOBS:-2}" >/dev/null
tool=$root/build/native-release/tools/vlmtool
usage=$("$tool" 2>&1 || true)
have_unzip=0
[[ $usage == *"vlmtool unzip"* ]] && have_unzip=1

# The packages, made again when the generator or the size changed.
cache=$root/build/bench-extract
stamp="$(sha256sum bench/extract_packages.py | cut -c1-16)-$mib"
if [ "$(cat "$cache/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "making the packages ($mib MiB each) in $cache ..."
  rm -rf "$cache"
  python3 bench/extract_packages.py "$cache" "$mib"
  echo "$stamp" > "$cache/stamp"
fi

work=$(mktemp -d /tmp/extract-bench-XXXXXX)
# The memory target: OUTDIR, by default /dev/shm where there is one. On a disk folder, creating
# files just after 2000 others were deleted there makes the file system scan for reusable inodes,
# a cost that varies from run to run: the disk target syncs before every run and reports medians.
memroot=${OUTDIR:-}
[ -z "$memroot" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && memroot=/dev/shm
memroot=$(mktemp -d "${memroot:-$work}/extract-out-XXXXXX")
mkdir -p "${DISKDIR:-$cache}"
diskroot=$(mktemp -d "${DISKDIR:-$cache}/extract-out-XXXXXX")
trap 'rm -rf "$work" "$memroot" "$diskroot"' EXIT
targets=(${TARGETS:-memory disk})
for target in "${targets[@]}"; do
  case $target in
    memory) echo "memory target: extracting into $memroot ($(stat -f -c %T "$memroot"))" ;;
    disk) echo "disk target: extracting into $diskroot ($(stat -f -c %T "$diskroot"))" ;;
    *) echo "unknown target $target (memory, disk)" >&2; exit 2 ;;
  esac
done
g++ -O2 -std=c++20 bench/inflate_bound.cpp -lz -o "$work/inflate_bound"

tools=(bound floor)
[ $have_unzip = 1 ] && tools+=(vlmtool)
[ $have_unzip = 1 ] && command -v taskset >/dev/null && tools+=(vlmtool@1cpu)
[ -n "${BASELINE:-}" ] && tools+=(baseline)
command -v bsdtar >/dev/null && tools+=(bsdtar)
command -v 7z >/dev/null && tools+=(7z)
tools+=(python)

# Extracts PKG into the empty folder OUT with tool NAME; prints the wall seconds.
extract() {
  local name=$1 pkg=$2 out=$3 start end
  case $name in
    bound) "$work/inflate_bound" "$pkg" | cut -d' ' -f1; return ;;
    floor) "$work/inflate_bound" --crc "$pkg" | cut -d' ' -f1; return ;;
  esac
  local pin=()
  [ "$name" = vlmtool@1cpu ] && pin=(taskset -c 0)
  start=$EPOCHREALTIME
  case $name in
    vlmtool | vlmtool@1cpu | baseline)
      local exe=$tool
      [ "$name" = baseline ] && exe=$BASELINE
      "${pin[@]}" "$exe" unzip --dirnames "$pkg" "$out" > "$work/vlmtool.out"
      tail -n 1 "$work/vlmtool.out" | grep -q '^result ' ||
        { echo "$name unzip printed no result line" >&2; return 1; } ;;
    bsdtar) bsdtar -xf "$pkg" -C "$out" ;;
    7z) 7z x -y -bd "-o$out" "$pkg" >/dev/null ;;
    python) python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
              "$pkg" "$out" ;;
  esac
  end=$EPOCHREALTIME
  python3 -c "import sys; print(f'{float(sys.argv[2]) - float(sys.argv[1]):.4f}')" "$start" "$end"
}

# Checks the extracted tree against the manifest ("<sha256> <size> <path>" lines).
check() {
  python3 - "$1" "$2" "$3" <<'PY'
import hashlib, os, sys
name, manifest, out = sys.argv[1:4]
want = sorted(open(manifest).read().splitlines())
got = []
for folder, _, files in os.walk(out):
    for file in files:
        path = os.path.join(folder, file)
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        got.append(f"{digest} {os.path.getsize(path)} {os.path.relpath(path, out)}")
if sorted(got) != want:
    sys.exit(f"{name}: the extracted files differ from the package's")
PY
}

declare -A times
for target in "${targets[@]}"; do
  outroot=$memroot
  [ "$target" = disk ] && outroot=$diskroot
  for pkg in many single; do
    for name in "${tools[@]}"; do times[$target,$pkg,$name]=""; done
    for run in $(seq "$runs"); do
      for name in "${tools[@]}"; do
        out=$outroot/out
        rm -rf "$out" && mkdir "$out"
        sync  # the previous run's writes do not land on this one
        times[$target,$pkg,$name]+="$(extract "$name" "$cache/$pkg.zip" "$out") "
        if [ "$run" = 1 ] && [ "$name" != bound ] && [ "$name" != floor ]; then
          check "$name" "$cache/manifest-$pkg.txt" "$out"
        fi
      done
    done
  done
  rm -rf "$outroot/out"
done

args=()
for target in "${targets[@]}"; do
  for pkg in many single; do
    for name in "${tools[@]}"; do args+=("$target" "$pkg" "$name" "${times[$target,$pkg,$name]}"); done
  done
done
python3 - "$mib" "$runs" "$(cat /proc/loadavg 2>/dev/null)" "${args[@]}" <<'PY'
import statistics, sys
mib, runs, load, rest = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4:]
results = {}
for i in range(0, len(rest), 4):
    results.setdefault((rest[i], rest[i + 1]), {})[rest[i + 2]] = [float(x) for x in rest[i + 3].split()]
print(f"packages: {mib} MiB each, {runs} runs per tool, medians")
print(f"load average at the end: {' '.join(load.split()[:3])}")
where = {"memory": "into memory", "disk": "onto disk"}
for (target, pkg), by_tool in results.items():
    med = {name: statistics.median(t) for name, t in by_tool.items()}
    print(f"\n{pkg}.zip, {where[target]}")
    for name, t in by_tool.items():
        line = f"  {name:12} {med[name]:7.3f} s {mib / med[name]:6.0f} MiB/s"
        if "bsdtar" in med:
            line += f"  x{med[name] / med['bsdtar']:.2f} of bsdtar"
        line += f"  x{med[name] / med['bound']:.2f} of bound"
        line += f"  x{med[name] / med['floor']:.2f} of floor"
        print(line + f"  (runs: {', '.join(f'{x:.3f}' for x in t)})")
    if "vlmtool" in med:
        if "bsdtar" in med:
            ok = med["vlmtool"] <= med["bsdtar"]
            print(f"  target vlmtool <= bsdtar: {'met' if ok else 'missed'}")
        if pkg == "single":
            ok = med["vlmtool"] <= 1.25 * med["bound"]
            print(f"  target vlmtool <= 1.25x bound: {'met' if ok else 'missed'}")
        if pkg == "many":
            ok = med["vlmtool"] <= 1.3 * med["floor"]
            print(f"  target vlmtool <= 1.3x floor: {'met' if ok else 'missed'}")
if not any("vlmtool" in by_tool for by_tool in results.values()):
    print("\nvlmtool has no unzip command yet: only the other tools were measured")
PY
