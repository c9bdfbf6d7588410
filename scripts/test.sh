#!/usr/bin/env bash
# Sets up this machine, builds QSP with its tests and runs the whole suite (ctest prints the
# summary). Window tests run on Qt's offscreen platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --preset "${QSP_PRESET:-release}" -j2
