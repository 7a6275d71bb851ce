#!/bin/bash
# bench/install.sh -- setup.exe's Install to "Done !" per phase (download, unpack, runtime-engine
# wait) under wine and Xvfb, for the demo package and a large one (MIB MiB, default 64, in about
# 2000 files), beside vlmtool.exe's get and unzip of the same package under the same wine.
#   bench/install.sh [RUNS [MIB]]
#   SETUP=OTHER.exe bench/install.sh ...   measures another setup.exe (e.g. an earlier commit's)
# Builds the win64 preset's setup.exe, win_probe.exe, vlmtool.exe and the demo site (JOBS jobs,
# default 2); nginx serves a copy of the demo site on 127.0.0.1:47811 (so nothing else may serve
# there meanwhile); the wine prefix and packages are kept in build/win64/bench-install/. See
# bench/install_phases.py for how each phase is read. Not part of the test run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

runs=${1:-3}
mib=${2:-64}
cmake --preset win64 >/dev/null
cmake --build build/win64 --target setup demo_site win_probe vlmtool -j "${JOBS:-2}" >/dev/null
scripts/gui-run python3 bench/install_phases.py --build build/win64 \
  --work build/win64/bench-install --runs "$runs" --mib "$mib" ${SETUP:+--setup "$SETUP"}
