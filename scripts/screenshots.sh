#!/usr/bin/env bash
# Renders every page of the desktop window, in English and German and in
# pixel and millimetre units, connected to the sensor simulator, into PNG
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

SIM_OUT=$(mktemp)
SIM_PID=""
cleanup() {
  if [ -n "$SIM_PID" ] && kill -0 "$SIM_PID" 2>/dev/null; then
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
  rm -f "$SIM_OUT"
}
trap cleanup EXIT INT TERM

"$BIN/bx-sim" --tcp=0 >"$SIM_OUT" &
SIM_PID=$!

# The simulator prints "TCP 127.0.0.1:PORT" once it listens.
PORT=""
for _ in $(seq 1 100); do
  PORT=$(sed -n 's/^TCP 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$SIM_OUT" | head -n 1)
  [ -n "$PORT" ] && break
  if ! kill -0 "$SIM_PID" 2>/dev/null; then
    echo "screenshots.sh: the simulator ended before it listened" >&2
    exit 1
  fi
  sleep 0.05
done
if [ -z "$PORT" ]; then
  echo "screenshots.sh: the simulator did not report its TCP port" >&2
  exit 1
fi

status=0
(cd "$BIN" && QT_QPA_PLATFORM=offscreen BX_SIM_PORT="$PORT" BX_SCREENSHOT_DIR="$OUT" \
  ./bx_gui_tests --gtest_filter='Pages.NoTextIsClippedOnAnyPageInEitherLanguageOrUnit' --gtest_brief=1) || status=$?
count=$(find "$OUT" -maxdepth 1 -name '*.png' | wc -l)
echo "screenshots.sh: $count pictures in $OUT"
exit "$status"
