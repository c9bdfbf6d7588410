#!/usr/bin/env bash
# Renders the documentation's pictures of the settings window in every language on Qt's
# offscreen platform, from the window tests that show them: docs/images/settings-window-<lang>.png;
# and the Japanese windows on a 1366x768 screen at 150 %: docs/images/*-ja-150.png.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target test_workbench_gui test_accessibility_gui >/dev/null
QT_QPA_PLATFORM=offscreen QSP_SCREENSHOT_DIR="$root/docs/images" \
  "$build/tests/test_workbench_gui" \
  --gtest_filter='*EveryLanguageShowsTranslatedNodesRowsAndChoicesThatWorkAsInEnglish*'
QT_QPA_PLATFORM="offscreen:configfile=$root/tests/app/screen_1366x768.json" QT_SCALE_FACTOR=1.5 \
  QSP_SCREENSHOT_DIR="$root/docs/images" "$build/tests/test_accessibility_gui" \
  --gtest_filter='*/Japanese'
ls -l "$root"/docs/images/settings-window-{zh_TW,ja,zh_CN}.png "$root"/docs/images/*-ja-150.png
