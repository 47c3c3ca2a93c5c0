#!/usr/bin/env bash
# Builds the desktop tool and runs it against the sensor simulator:
#   scripts/run.sh                 (build directory ./build)
#   BX_BUILD_DIR=other scripts/run.sh
# Installs what is missing, builds, starts bx-sim on a free
# loopback TCP port, names it in BUILD/bin/BX-SCOPE.ini when that file does
# not exist yet (a file that names 127.0.0.1 gets the new port; one naming
# another sensor is left alone), starts the tool and stops the simulator
# when the tool ends.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display available (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "run.sh: run it in a desktop session, or under Xvfb: xvfb-run -a scripts/run.sh" >&2
  exit 3
fi

BUILD=${BX_BUILD_DIR:-build}
scripts/install-deps.sh
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBX_BUILD_GUI=ON -DBX_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target bx-sim quellan-bx-scope bx_resources

BIN=$BUILD/bin
for exe in bx-sim quellan-bx-scope; do
  if [ ! -x "$BIN/$exe" ]; then
    echo "run.sh: $BIN/$exe was not built" >&2
    exit 1
  fi
done

. scripts/sim_tcp.sh
start_sim_tcp "$BIN" run.sh
echo "Simulated sensor on 127.0.0.1:$PORT"

SETTINGS="$BIN/BX-SCOPE.ini"
if [ ! -e "$SETTINGS" ]; then
  printf '[CONNECTION]\r\nCOM TYPE = 1\r\nRS232 PORT = 1\r\nRS232 BAUDRATE = 4\r\nIP ADDRESS = "127.0.0.1"\r\nPORT NUMBER = "%s"\r\n\r\n' \
    "$PORT" >"$SETTINGS"
  echo "Wrote $SETTINGS naming the simulator"
elif grep -q '^IP ADDRESS *= *"127\.0\.0\.1"' "$SETTINGS"; then
  # Written for the simulator by an earlier run: its port changes per run.
  sed -i 's/^PORT NUMBER *= *"[0-9]*"/PORT NUMBER = "'"$PORT"'"/' "$SETTINGS"
  echo "Updated the simulator's port in $SETTINGS"
else
  echo "Using the existing $SETTINGS (it names another sensor; delete it to use the simulator)"
fi

status=0
"$BIN/quellan-bx-scope" || status=$?
exit "$status"
