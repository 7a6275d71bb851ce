#!/bin/bash
# bench/zip_colliding_names.sh -- time of "vlmtool list" on archives whose entry names all share
# one name hash, against archives of as many ordinary names.
#   bench/zip_colliding_names.sh [COUNT...]      (default: 5000 10000 20000 40000)
# The colliding names are made of eight 2-character blocks whose 16 * first + second unit is the
# same ("AQ", "BA", "C1", "D!"), so all of them (up to 65536) have one hash; the ordinary names
# are "file<N>.txt". Entries are
# empty and stored. Prints, per count, the wall seconds of each listing. Target: the colliding
# names listed about as fast as the ordinary ones (no growth with the square of the count).
# vlmtool comes from the native-release preset, which this script builds (JOBS jobs, default 2).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(5000 10000 20000 40000)
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target vlmtool -j "${JOBS:-2}" >/dev/null
tool=$PWD/build/native-release/tools/vlmtool

work=$(mktemp -d /tmp/zip-names-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "${counts[@]}" <<'PY'
import itertools, sys, zipfile
work, counts = sys.argv[1], [int(c) for c in sys.argv[2:]]
blocks = ["AQ", "BA", "C1", "D!"]
for count in counts:
    colliding = ("".join(t) + ".txt" for t in itertools.product(blocks, repeat=8))
    for kind, names in (("colliding", colliding),
                        ("ordinary", ("file%d.txt" % i for i in range(count)))):
        with zipfile.ZipFile(f"{work}/{kind}-{count}.zip", "w", zipfile.ZIP_STORED) as z:
            for name in itertools.islice(names, count):
                z.writestr(name, b"")
PY

printf '%8s %14s %14s\n' entries colliding_s ordinary_s
for count in "${counts[@]}"; do
  times=()
  for kind in colliding ordinary; do
    start=$(date +%s.%N)
    "$tool" list "$work/$kind-$count.zip" >/dev/null
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%8d %14.3f %14.3f\n' "$count" "${times[0]}" "${times[1]}"
done
