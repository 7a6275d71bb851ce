#!/bin/bash
# scripts/demo.sh -- the main job: installs the packages, builds the Windows x86-64 setup.exe, the
# demo deployment site and the window reader, serves the site with nginx on loopback (configuration
# and logs in build/win64/demo-work/nginx/, stopped when the demo ends) and runs setup.exe under
# wine (under Xvfb when there is no display), after checking that the tools and the wine prefix's
# fonts are there. By default over https, as a publisher should serve a site: the setup.exe built
# for https base URLs (build/win64/app/https/setup.exe), nginx with a certificate of a demo
# authority made by openssl, which the demo's wine prefix trusts while the demo runs. Without a display -- or with one, unless VLM_DEMO_INTERACTIVE=1 -- it drives the
# installation itself: presses Install, waits for "Done !" and presses it again. Then it prints the
# installed folder's listing, the shortcuts made, the requests nginx answered and the path of a
# screenshot of the finished window.
#   VLM_SKIP_INSTALL=1      skip the package installation
#   VLM_DEMO_HTTP=1         plain http instead (build/win64/app/setup.exe, port 47811)
#   VLM_DEMO_INTERACTIVE=1  with a display: leave the window to the user
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${VLM_SKIP_INSTALL:-0}" != 1 ]; then bash scripts/install_packages.sh; fi
# One line and a stop when something is missing, before any building.
bash scripts/check_prerequisites.sh demo
cmake --preset win64 >/dev/null
mode=()
if [ "${VLM_DEMO_HTTP:-0}" = 1 ]; then
  cmake --build build/win64 --target setup demo_site win_probe vlmtool
  mode+=(--http)
else
  cmake --build build/win64 --target setup_https demo_site_https trust_test_ca win_probe vlmtool
fi
if [ -n "${DISPLAY:-}" ] && [ "${VLM_DEMO_INTERACTIVE:-0}" = 1 ]; then mode+=(--interactive); fi
scripts/gui-run python3 tests/e2e/demo_run.py --build build/win64 "${mode[@]}"
