#!/bin/bash
# scripts/install_packages.sh -- installs, as root on Debian, everything the builds, the tests, the
# demo, the benchmarks and the fuzzing use, naming each package (nothing is left to a package's
# recommendations). Safe to run again: apt-get skips what is there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  cmake ninja-build g++ python3 googletest zlib1g-dev       # native build and tests
  libssl-dev                                                # native build: libcrypto (SHA-256)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix      # Windows x86-64 and x86 builds
  libz-mingw-w64-dev binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth xdotool x11-utils imagemagick      # running and looking at Windows builds
  libgnutls30                                               # wine's TLS (only recommended by wine)
  fonts-wine fonts-liberation                               # Tahoma, and an Arial twin
  clang libclang-rt-14-dev                                  # fuzzing
  p7zip-full libarchive-tools nginx curl                    # real peers for archives and HTTP
  osslsigncode openssl                                      # signing a release (and its test)
  time git                                                  # benchmarks' memory figures; checkouts
)
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
