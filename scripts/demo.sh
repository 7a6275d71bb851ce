#!/bin/bash
# scripts/demo.sh -- the main job for now: installs packages, builds everything (native and
# Windows), and shows the INI engine at work through `vlmtool ini` on the sample deployment
# descriptor, natively and as the Windows build under wine. The installer itself comes later.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${VLM_SKIP_INSTALL:-0}" != 1 ]; then bash scripts/install_packages.sh; fi
cmake --preset native-release >/dev/null && cmake --build --preset native-release
cmake --preset win64 >/dev/null && cmake --build --preset win64

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp samples/deploy.vlm "$work/deploy.vlm"

demo() {  # demo <label> <vlmtool command>...
  local label=$1
  shift
  echo "== $label"
  echo "\$ vlmtool ini deploy.vlm sections";              "$@" ini "$work/deploy.vlm" sections
  echo "\$ vlmtool ini deploy.vlm read VLMV2MENU url";     "$@" ini "$work/deploy.vlm" read VLMV2MENU url
  echo "\$ vlmtool ini deploy.vlm read vlmv2menu Release"; "$@" ini "$work/deploy.vlm" read vlmv2menu Release
  rm -f "$work/record.vlm"
  echo "\$ vlmtool ini record.vlm write Packages PackageList vlmv2menu vlmv2menu Release 2.0.0-demo"
  "$@" ini "$work/record.vlm" write Packages PackageList vlmv2menu vlmv2menu Release 2.0.0-demo
  echo "record.vlm, byte for byte:"
  od -c "$work/record.vlm" | sed 's/^/  /'
}

demo "native" build/native-release/tools/vlmtool
demo "Windows x86-64 under wine" scripts/wine-run build/win64/tools/vlmtool.exe
