#!/bin/bash
# scripts/check_prerequisites.sh -- checks, before minutes go into building, that this machine has
# what a job uses: the tools and, for jobs that draw windows under wine, a wine prefix that sees
# Tahoma or Arial (without them the window's text has no font). On the first thing missing it
# prints one line naming it and the package that brings it, and exits 1; it prints nothing and
# exits 0 when everything is there.
# Usage: scripts/check_prerequisites.sh build|tests|demo [WINEPREFIX]
#   build  compilers and build tools for the Windows build
#   tests  those, the native build's and what the tests run; the prefix's fonts
#   demo   those the demo uses; the prefix's fonts
# WINEPREFIX defaults to the prefix the job uses (build/wineprefix, build/win64/demo-wineprefix);
# a new one is prepared by scripts/wine-run.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

job=${1:-}
missing() {
  echo "missing: $1 (install package $2, or run scripts/install_packages.sh as root)"
  exit 1
}

# "command package" pairs and "file package" pairs, per job.
build_tools=(cmake:cmake ninja:ninja-build python3:python3 git:git
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
  x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64)
build_files=(/usr/x86_64-w64-mingw32/lib/libz.a:libz-mingw-w64-dev)
# wine's TLS (https) loads GnuTLS, which the wine packages only recommend.
window_files=(/usr/lib/wine/wine64:wine64 /usr/lib/x86_64-linux-gnu/libgnutls.so.30:libgnutls30)
window_tools=(wine:wine wineserver:wine Xvfb:xvfb xauth:xauth xdotool:xdotool
  xwininfo:x11-utils import:imagemagick convert:imagemagick)
test_tools=(g++:g++ i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix 7z:p7zip-full
  bsdtar:libarchive-tools nginx:nginx curl:curl osslsigncode:osslsigncode openssl:openssl)
test_files=(/usr/src/googletest/CMakeLists.txt:googletest /usr/include/zlib.h:zlib1g-dev
  /usr/include/openssl/evp.h:libssl-dev)
demo_tools=(nginx:nginx openssl:openssl)  # serves the demo site; makes its certificates

case $job in
  build) tools=("${build_tools[@]}"); files=("${build_files[@]}"); prefix= ;;
  tests)
    tools=("${build_tools[@]}" "${window_tools[@]}" "${test_tools[@]}")
    files=("${build_files[@]}" "${window_files[@]}" "${test_files[@]}")
    prefix=${2:-$PWD/build/wineprefix} ;;
  demo)
    tools=("${build_tools[@]}" "${window_tools[@]}" "${demo_tools[@]}")
    files=("${build_files[@]}" "${window_files[@]}")
    prefix=${2:-$PWD/build/win64/demo-wineprefix} ;;
  *) echo "usage: $0 build|tests|demo [WINEPREFIX]" >&2; exit 2 ;;
esac

for pair in "${tools[@]}"; do
  c=${pair%%:*}  # servers live in /usr/sbin, which a normal user's PATH may leave out
  command -v "$c" >/dev/null 2>&1 || [ -x "/usr/sbin/$c" ] || missing "command $c" "${pair#*:}"
done
for pair in "${files[@]}"; do
  [ -e "${pair%%:*}" ] || missing "file ${pair%%:*}" "${pair#*:}"
done
[ -z "$prefix" ] && exit 0

# The fonts the prefix sees: those in its own Fonts folder (scripts/wine-run copies wine's Tahoma
# there), and those wine lists under the registry key below (the system's). Arial counts also as
# the twin that the prefix puts in its place.
query() {
  # As the demo's and the tests' own runs: no desktop entries on the host for a new prefix.
  VLM_WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" \
    timeout 300 scripts/wine-run reg query "$@" 2>/dev/null
}
fonts=$(query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts')
if [ -z "$fonts" ]; then
  echo "missing: a working wine prefix at $prefix (wine could not read its registry;" \
    "install package wine64, or remove the folder to have it made anew)"
  exit 1
fi
[ -f "$prefix/drive_c/windows/Fonts/tahoma.ttf" ] && exit 0
twin=$(query 'HKCU\Software\Wine\Fonts\Replacements' /v Arial |
  sed -n 's/^ *Arial *REG_SZ *//p' | tr -d '\r')
grep -Eq "^ +(Tahoma|Arial${twin:+|$twin}) \(TrueType\)" <<<"$fonts" && exit 0
echo "missing: fonts Tahoma or Arial in the wine prefix $prefix (install package fonts-wine," \
  "which brings Tahoma, or fonts-liberation, an Arial twin)"
exit 1
