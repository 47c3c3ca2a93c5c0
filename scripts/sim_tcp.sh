# Sourced by the scripts that need the sensor simulator on loopback TCP:
#   start_sim_tcp BIN NAME
# starts BIN/bx-sim on a free port, sets SIM_PID and PORT, and stops the
# simulator when the calling script ends. NAME prefixes the error messages.

SIM_OUT=""
SIM_PID=""
stop_sim() {
  if [ -n "$SIM_PID" ] && kill -0 "$SIM_PID" 2>/dev/null; then
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
  [ -n "$SIM_OUT" ] && rm -f "$SIM_OUT"
  return 0
}

start_sim_tcp() {
  local bin=$1 name=$2
  SIM_OUT=$(mktemp)
  trap stop_sim EXIT INT TERM
  "$bin/bx-sim" --tcp=0 >"$SIM_OUT" &
  SIM_PID=$!
  # The simulator prints "TCP 127.0.0.1:PORT" once it listens.
  PORT=""
  for _ in $(seq 1 100); do
    PORT=$(sed -n 's/^TCP 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$SIM_OUT" | head -n 1)
    [ -n "$PORT" ] && break
    if ! kill -0 "$SIM_PID" 2>/dev/null; then
      echo "$name: the simulator ended before it listened" >&2
      exit 1
    fi
    sleep 0.05
  done
  if [ -z "$PORT" ]; then
    echo "$name: the simulator did not report its TCP port" >&2
    exit 1
  fi
}
