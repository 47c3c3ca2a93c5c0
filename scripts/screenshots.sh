#!/usr/bin/env bash
# Renders every page of the desktop window, in English and German and in
# pixel and millimetre units, connected to the sensor simulator, and the
# calibration pages once more unlocked (NAME-unlocked-stepN), the stale,
# message-log and progress states (stale_*, log_pane_*, progress_*), into PNG
# files in DIR (offscreen: no display needed):
#   scripts/screenshots.sh DIR
#   BX_BUILD_DIR=other scripts/screenshots.sh DIR
# The renderer is the front-end test that also checks every page for
# clipped text; a clipped text makes this script fail after writing the
# pictures.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: scripts/screenshots.sh DIR" >&2
  exit 2
fi
mkdir -p "$1"
OUT=$(cd "$1" && pwd)

BUILD=${BX_BUILD_DIR:-build}
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBX_BUILD_GUI=ON -DBX_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)" --target bx-sim bx_gui_tests bx_resources

BIN=$BUILD/bin
for exe in bx-sim bx_gui_tests; do
  if [ ! -x "$BIN/$exe" ]; then
    echo "screenshots.sh: $BIN/$exe was not built" >&2
    exit 1
  fi
done

. scripts/sim_tcp.sh
start_sim_tcp "$BIN" screenshots.sh

status=0
(cd "$BIN" && QT_QPA_PLATFORM=offscreen BX_SIM_PORT="$PORT" BX_SCREENSHOT_DIR="$OUT" \
  ./bx_gui_tests --gtest_filter='Pages.NoTextIsClippedOnAnyPageInEitherLanguageOrUnit' --gtest_brief=1) || status=$?
# The states beside the pages: stale values after the sensor was killed
# (stale_*), the message log's pane (log_pane_*), a long operation's
# progress with its cancel button (progress_*).
(cd "$BIN" && QT_QPA_PLATFORM=offscreen BX_SCREENSHOT_DIR="$OUT" \
  ./bx_gui_tests --gtest_brief=1 --gtest_filter='LivePages.ValuesGreyAfterTheSensorIsKilled:ConnectedWindow.TheLogHoldsEveryStatusOfGetSendRunStopWithTimes:ConnectedWindow.TheStatusBarShowsProgressAndCancelEndsIt') || status=$?
count=$(find "$OUT" -maxdepth 1 -name '*.png' | wc -l)
echo "screenshots.sh: $count pictures in $OUT"
exit "$status"
