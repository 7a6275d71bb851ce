#!/bin/bash
# scripts/sign_release.sh -- signs the shipped Windows binaries of a release build with an
# Authenticode signature (osslsigncode, SHA-256). The last step of a release: the build itself
# stays unsigned and reproducible; the signed copies go beside it.
usage() {
  cat <<'EOF'
usage: scripts/sign_release.sh --key KEY.pem --cert CERT.pem [--timestamp URL] [BUILD_DIR]

Signs setup.exe, vlmtool.exe and vlmzip190.dll of BUILD_DIR (default build/win64), and the
setup.exe built for https (app/https/setup.exe) when it is there, with the code-signing
certificate CERT.pem (PEM; it may hold the chain after the certificate) and its private key
KEY.pem (PEM, without a password). The signed files go to BUILD_DIR/signed/ (the https setup.exe
to BUILD_DIR/signed/https/); the built files are not changed, so the build stays reproducible. With --timestamp the signatures
are time-stamped by the RFC 3161 authority at URL (a network request); without it nothing
leaves the machine. Prints each signed file with its SHA-256 sum.
EOF
}
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

key= cert= timestamp= build=build/win64
fail() { echo "sign_release: $*" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --key) [ $# -ge 2 ] || fail "--key needs a file"; key=$2; shift 2 ;;
    --cert) [ $# -ge 2 ] || fail "--cert needs a file"; cert=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || fail "--timestamp needs a URL"; timestamp=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    -*) usage >&2; fail "unknown option $1" ;;
    *) build=$1; shift ;;
  esac
done
[ -n "$key" ] && [ -n "$cert" ] || { usage >&2; fail "--key and --cert are required"; }
[ -r "$key" ] || fail "cannot read the key $key"
[ -r "$cert" ] || fail "cannot read the certificate $cert"
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (apt-get install osslsigncode)"

binaries=(app/setup.exe tools/vlmtool.exe zip/engine/vlmzip190.dll)
for binary in "${binaries[@]}"; do
  [ -f "$build/$binary" ] || fail "$build/$binary is missing: build the release first (cmake --preset win64 && cmake --build --preset win64)"
done

[ ! -f "$build/app/https/setup.exe" ] || binaries+=(app/https/setup.exe)

signed=$build/signed
mkdir -p "$signed/https"
for binary in "${binaries[@]}"; do
  name=$(basename "$binary")
  [[ $binary != app/https/* ]] || name=https/$name
  args=(sign -h sha256 -certs "$cert" -key "$key" -n "Velmora v2 setup" -in "$build/$binary"
        -out "$signed/$name.tmp")
  [ -z "$timestamp" ] || args+=(-ts "$timestamp")
  # osslsigncode will not replace an existing output: sign into a fresh file, then move it.
  rm -f "$signed/$name.tmp"
  if ! log=$(osslsigncode "${args[@]}" 2>&1); then
    rm -f "$signed/$name.tmp"
    fail "signing $build/$binary failed: $(printf '%s' "$log" | tail -n 3)"
  fi
  mv -f "$signed/$name.tmp" "$signed/$name"
  echo "signed $signed/$name  sha256 $(sha256sum "$signed/$name" | cut -d' ' -f1)"
done
