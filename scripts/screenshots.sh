#!/usr/bin/env bash
# Renders every page of the desktop window, in English and German and in
# pixel and millimetre units, connected to the sensor simulator, and the
# calibration pages once more unlocked (NAME-unlocked-stepN), and the stale,
# message-log and progress states (stale_*, log_pane_*, progress_*), into PNG
# files in DIR (offscreen: no display needed), three times over: at normal
# size (DIR/normal), at twice the scale on a 1600x1200 screen (DIR/scale2)
# and with a system font half as large again (DIR/large-font). Beside the
# pages each set holds the graphs zoomed and read with the crosshair and the
# window fitted to its screen:
#   scripts/screenshots.sh DIR
#   BX_BUILD_DIR=other scripts/screenshots.sh DIR
# The renderer is the front-end test that also checks every page for
# clipped text; a clipped text makes this script fail after writing the
# pictures. The service report of the simulator, in both languages, comes
# out as service_report_LANG-N.png, one picture per page.
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
cmake --build "$BUILD" -j "$(nproc)" --target bx-sim bx_gui_tests bx_resources quellan-bx-cli

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
# name, then the environment of the pass.
passes=("normal" "" "scale2" "QT_SCALE_FACTOR=2 BX_TEST_SCREEN=1600x1200" "large-font" "BX_TEST_FONT_SCALE=1.5")
for ((i = 0; i < ${#passes[@]}; i += 2)); do
  name=${passes[i]}
  mkdir -p "$OUT/$name"
  (cd "$BIN" && env QT_QPA_PLATFORM=offscreen BX_SIM_PORT="$PORT" BX_SCREENSHOT_DIR="$OUT/$name" ${passes[i + 1]} \
    ./bx_gui_tests --gtest_brief=1 \
    --gtest_filter='Pages.NoTextIsClippedOnAnyPageInEitherLanguageOrUnit:GraphViews.AZoomed*:GraphViews.Crosshair*:WindowGeometry.TheWindowFits*') ||
    status=$?
  count=$(find "$OUT/$name" -maxdepth 1 -name '*.png' | wc -l)
  echo "screenshots.sh: $count pictures in $OUT/$name"
done
# The states beside the pages: stale values after the sensor was killed
# (stale_*), the message log's pane (log_pane_*), a long operation's
# progress with its cancel button (progress_*).
(cd "$BIN" && QT_QPA_PLATFORM=offscreen BX_SCREENSHOT_DIR="$OUT/normal" \
  ./bx_gui_tests --gtest_brief=1 --gtest_filter='LivePages.ValuesGreyAfterTheSensorIsKilled:ConnectedWindow.TheLogHoldsEveryStatusOfGetSendRunStopWithTimes:ConnectedWindow.TheStatusBarShowsProgressAndCancelEndsIt') || status=$?
for lang in en de; do
  case $lang in en) locale=C ;; de) locale=de_DE.UTF-8 ;; esac
  pdf="$OUT/service_report_$lang.pdf"
  if LC_ALL= LC_MESSAGES= LANG=$locale "$BIN/quellan-bx-cli" report --pdf "$pdf" --scope \
      --comment "screenshots.sh" --tcp "127.0.0.1:$PORT" >/dev/null 2>&1; then
    pdftoppm -r 80 -png "$pdf" "$OUT/service_report_$lang" || status=1
  else
    echo "screenshots.sh: no service report ($lang)" >&2
    status=1
  fi
done
exit "$status"
