#!/usr/bin/env bash
# Sets up this machine, builds QSP with its tests and runs the whole suite (ctest prints the
# summary), then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, then a
# short run of every fuzz target. Window tests run on Qt's offscreen platform, so no display is
# needed. QSP_QUICK=1 runs the release suite only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# Every test passes the first time: a test that waits for the virtual scanner waits for its
# event or byte, with a bound, never for a time.
ctest --preset release -j2 | tee "$logs/release.log"
# The benchmarks' figures (ctest keeps a passing test's output to itself).
for bench in build/bench/bench_serial build/bench/bench_update build/bench/bench_ui \
             build/bench/bench_deploy; do
  QSP_BIN_DIR=build/bin "$bench" 2>/dev/null | grep -v '^COM' || true
done
if [ "${QSP_QUICK:-0}" != "1" ]; then
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize
  ctest --preset sanitize -j2 | tee "$logs/sanitize.log"
  bash tests/fuzz/run --seconds 5 --no-merge
fi

# One closing line for both runs: "N passed, N failed".
cat "$logs"/*.log | awk '/tests passed, [0-9]+ tests failed out of/ {
    for (i = 1; i <= NF; i++) { if ($i == "failed") f += $(i - 2); if ($i == "of") t += $(i + 1) }
  } END { print (t - f) " passed, " f " failed" }'
