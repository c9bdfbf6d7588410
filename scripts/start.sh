#!/usr/bin/env bash
# Sets up this machine, builds QSP, starts the virtual scanner as COM1 (and on the USB and PS/2
# sockets) in the background, then starts the program. Without a display it starts one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bin=build/bin

sim_pid=""
if [ -x "$bin/qsp-scanner-sim" ]; then
  "$bin/qsp-scanner-sim" &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true' EXIT
  sleep 0.5
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running under a virtual X server (xvfb-run)."
  xvfb-run -a "$bin/qsp"
else
  "$bin/qsp"
fi
