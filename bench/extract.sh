#!/bin/bash
# bench/extract.sh -- extraction time of "vlmtool unzip" against bsdtar, 7z and python3's
# zipfile, with a pure in-memory inflate of the same packages as the lower bound.
#   bench/extract.sh [MIB [RUNS]]
# Two Deflate packages come from bench/extract_packages.py (fixed seeds; kept in
# build/bench-extract/ and made again only when the generator or MIB changes): many.zip, about
# MIB MiB (default 256) in 2000 files of mixed compressibility, and single.zip, one MIB MiB file.
# Every tool extracts each package RUNS times (default 5) into an empty folder (under OUTDIR,
# default /dev/shm), the tools taking turns run by run; the first extraction of each is checked
# file by file against the manifest.
# Prints the median wall time of each, its throughput, and its ratio to bsdtar and to the bound.
# vlmtool comes from the native-release preset, which this script builds (JOBS jobs, default 2);
# the engine library is loaded from next to it. Without vlmtool's unzip command the other tools
# are still measured. Targets: vlmtool no slower than bsdtar on both packages, and within 1.25x
# of the inflate bound on single.zip.
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
# Extractions land in OUTDIR, by default in memory (/dev/shm) where there is one: on a disk
# folder, creating files just after 2000 others were deleted there makes the file system scan
# for reusable inodes, a cost that swamps the extractors' own and varies from run to run.
outroot=${OUTDIR:-}
[ -z "$outroot" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && outroot=/dev/shm
outroot=$(mktemp -d "${outroot:-$work}/extract-out-XXXXXX")
trap 'rm -rf "$work" "$outroot"' EXIT
echo "extracting into $outroot"
g++ -O2 -std=c++20 bench/inflate_bound.cpp -lz -o "$work/inflate_bound"

tools=(bound)
[ $have_unzip = 1 ] && tools+=(vlmtool)
command -v bsdtar >/dev/null && tools+=(bsdtar)
command -v 7z >/dev/null && tools+=(7z)
tools+=(python)

# Extracts PKG into the empty folder OUT with tool NAME; prints the wall seconds.
extract() {
  local name=$1 pkg=$2 out=$3 start end
  if [ "$name" = bound ]; then
    "$work/inflate_bound" "$pkg" | cut -d' ' -f1
    return
  fi
  start=$EPOCHREALTIME
  case $name in
    vlmtool)
      "$tool" unzip --dirnames "$pkg" "$out" > "$work/vlmtool.out"
      tail -n 1 "$work/vlmtool.out" | grep -q '^result ' ||
        { echo "vlmtool unzip printed no result line" >&2; return 1; } ;;
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
for pkg in many single; do
  for name in "${tools[@]}"; do times[$pkg,$name]=""; done
  for run in $(seq "$runs"); do
    for name in "${tools[@]}"; do
      out=$outroot/out
      rm -rf "$out" && mkdir "$out"
      sync  # the previous run's writes do not land on this one
      times[$pkg,$name]+="$(extract "$name" "$cache/$pkg.zip" "$out") "
      [ "$run" = 1 ] && [ "$name" != bound ] && check "$name" "$cache/manifest-$pkg.txt" "$out"
    done
  done
done
rm -rf "$outroot/out"

args=()
for pkg in many single; do
  for name in "${tools[@]}"; do args+=("$pkg" "$name" "${times[$pkg,$name]}"); done
done
python3 - "$mib" "$runs" "${args[@]}" <<'PY'
import statistics, sys
mib, runs, rest = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3:]
results = {}
for i in range(0, len(rest), 3):
    results.setdefault(rest[i], {})[rest[i + 1]] = [float(x) for x in rest[i + 2].split()]
print(f"packages: {mib} MiB each, {runs} runs per tool, medians")
for pkg, by_tool in results.items():
    med = {name: statistics.median(t) for name, t in by_tool.items()}
    print(f"\n{pkg}.zip")
    for name, t in by_tool.items():
        line = f"  {name:8} {med[name]:7.3f} s {mib / med[name]:6.0f} MiB/s"
        if "bsdtar" in med:
            line += f"  x{med[name] / med['bsdtar']:.2f} of bsdtar"
        line += f"  x{med[name] / med['bound']:.2f} of bound"
        print(line + f"  (runs: {', '.join(f'{x:.3f}' for x in t)})")
    if "vlmtool" in med:
        if "bsdtar" in med:
            ok = med["vlmtool"] <= med["bsdtar"]
            print(f"  target vlmtool <= bsdtar: {'met' if ok else 'missed'}")
        if pkg == "single":
            ok = med["vlmtool"] <= 1.25 * med["bound"]
            print(f"  target vlmtool <= 1.25x bound: {'met' if ok else 'missed'}")
if not any("vlmtool" in by_tool for by_tool in results.values()):
    print("\nvlmtool has no unzip command yet: only the other tools were measured")
PY
