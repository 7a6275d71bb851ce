#!/bin/bash
# scripts/check_reproducible.sh -- builds the shipped Windows binaries (setup.exe for http and for
# https, vlmzip190.dll, vlmtool.exe) of the current commit twice, in two fresh checkouts at
# different paths, one after the other, and compares their SHA-256 sums. Prints both sets of sums
# and one verdict line; exits 1 when any file differs. Uncommitted changes are not part of the
# check. Takes two release builds of the Windows tree (about 4 minutes on 2 cores). Not part of
# the test run.
#   VLM_SKIP_INSTALL=1   skip the package installation
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

if [ "${VLM_SKIP_INSTALL:-0}" != 1 ]; then bash scripts/install_packages.sh; fi
bash scripts/check_prerequisites.sh build

work=$(mktemp -d /tmp/vlm-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
commit=$(git rev-parse HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "note: uncommitted changes are not checked; building commit ${commit:0:12}"
fi

binaries=(app/setup.exe app/https/setup.exe zip/engine/vlmzip190.dll tools/vlmtool.exe)

# build <checkout folder>: a clean checkout of the commit, configured and built for release.
build() {
  local tree=$1
  git clone --quiet --no-checkout "$root" "$tree"
  git -C "$tree" checkout --quiet "$commit"
  cmake -S "$tree" -B "$tree/out" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$tree/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVLM_BUILD_TESTS=OFF >/dev/null
  cmake --build "$tree/out" --target setup setup_https vlmzip190 vlmtool -j 2 >/dev/null
}

sums() {  # sums <build folder>: "sha256  name" per shipped binary
  local name
  for name in "${binaries[@]}"; do
    echo "$(sha256sum <"$1/$name" | cut -d' ' -f1)  $(basename "$name")"
  done
}

build "$work/first"
sleep 2  # the second build runs at another time, whatever the machine's speed
build "$work/a-second-checkout-at-a-longer-path"
first=$(sums "$work/first/out")
second=$(sums "$work/a-second-checkout-at-a-longer-path/out")
echo "first build ($work/first):"
echo "$first" | sed 's/^/  /'
echo "second build ($work/a-second-checkout-at-a-longer-path):"
echo "$second" | sed 's/^/  /'
if [ "$first" = "$second" ]; then
  echo "reproducible: ${#binaries[@]} files identical (commit ${commit:0:12})"
else
  echo "NOT reproducible: the sums above differ (commit ${commit:0:12})"
  exit 1
fi
