#!/bin/bash
# scripts/test_all.sh -- the whole test run: installs packages, builds the native (sanitized) and
# win64 suites and runs them (win64 under wine, headless), compiles the win32 preset, and ends with
# one line "N passed, M failed" summing both suites. Exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${VLM_SKIP_INSTALL:-0}" != 1 ]; then
  bash scripts/install_packages.sh || { echo "package installation failed"; exit 1; }
fi
# One line and a stop when something is missing, before any building.
bash scripts/check_prerequisites.sh tests || exit 1

failed_steps=()
run_step() {  # run_step <name> <command>...: runs a step and remembers a failure
  local name=$1
  shift
  echo "=== $name"
  "$@" || failed_steps+=("$name")
}

rm -rf build/native/test-results build/win64/test-results

run_step "native configure" cmake --preset native
run_step "native build" cmake --build --preset native
run_step "native tests" ctest --preset native --output-junit "$PWD/build/native/ctest-results.xml"

run_step "win64 configure" cmake --preset win64
run_step "win64 build" cmake --build --preset win64
# One display for the whole win64 run: the wine server and its desktop process outlive a single
# test and stay bound to the display they first saw, so every test must see the same one.
run_step "win64 tests" scripts/gui-run ctest --preset win64 \
  --output-junit "$PWD/build/win64/ctest-results.xml"

run_step "win32 configure" cmake --preset win32
run_step "win32 build" cmake --build --preset win32

args=()
for step in "${failed_steps[@]}"; do args+=(--failed-step "$step"); done
python3 scripts/summarize_tests.py build/native build/win64 "${args[@]}"
