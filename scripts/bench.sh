#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of the tests): every bench_*
# program with its defaults, the live loop against a simulator paced like
# serial lines of 115200 and 921600 Bd, and the desktop front-end's
# benchmarks (offscreen when there is no display), once more with the
# drawing tool against the simulator paced at 921600 Bd.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
for b in build-bench/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
for baud in 115200 921600; do
  echo "== bench_live --pace $baud"
  build-bench/bin/bench_live --pace "$baud"
done
for g in build-bench/bin/gui_*; do
  [ -x "$g" ] || continue
  echo "== $(basename "$g")"
  "$g"
done
if [ -x build-bench/bin/gui_live ]; then
  echo "== gui_live --pace 921600"
  build-bench/bin/gui_live --pace 921600
fi
