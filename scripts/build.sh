#!/usr/bin/env bash
# Configures and builds QSP (release preset) after making sure the Debian packages are there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset "${QSP_PRESET:-release}" >/dev/null
cmake --build --preset "${QSP_PRESET:-release}"
