#!/usr/bin/env bash
# Builds the fuzz harnesses (every fuzz/NAME_fuzz.cpp) with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/, and runs
# them one after the other, each for SECONDS over a working copy
# (build-fuzz/work/NAME/) of its seed corpus fuzz/corpus/NAME/ and its mended
# findings fuzz/regressions/NAME/.
#   scripts/fuzz.sh [SECONDS] [NAME...]     default 60 seconds, every harness
# BX_FUZZ_RUNS=N ends each harness after N executions instead, should that
# come before SECONDS.
# Prints the executions per harness and every finding (crash, leak, time-out,
# out of memory), kept in build-fuzz/findings/NAME/. Exit status 1 when any
# harness found something.
set -uo pipefail
cd "$(dirname "$0")/.."
DURATION=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
BUILD=build-fuzz

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is needed (Debian package clang)" >&2
  exit 2
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBX_FUZZ=ON \
  -DBX_BUILD_GUI=OFF -DBX_BUILD_TESTS=OFF -DBX_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null || exit 2
cmake --build "$BUILD" -j "$(nproc)" --target bx_fuzz || exit 2

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do
    n=$(basename "$src" .cpp)
    names+=("${n%_fuzz}")
  done
fi

status=0
summary=()
for name in "${names[@]}"; do
  bin="$BUILD/bin/${name}_fuzz"
  if [ ! -x "$bin" ]; then
    echo "fuzz.sh: no harness $name" >&2
    status=1
    continue
  fi
  work="$BUILD/work/$name"
  findings="$BUILD/findings/$name"
  log="$BUILD/logs/$name.log"
  # The working corpus keeps what earlier runs found, so runs add up.
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  for dir in "fuzz/corpus/$name" "fuzz/regressions/$name"; do
    [ -d "$dir" ] && cp -r "$dir"/. "$work"/
  done
  before=$(ls -A "$findings" | wc -l)
  # fuzz/NAME.options: extra libFuzzer flags of one harness, one per line.
  extra=()
  [ -f "fuzz/$name.options" ] && mapfile -t extra < <(grep -v '^#' "fuzz/$name.options" | grep .)
  [ -n "${BX_FUZZ_RUNS:-}" ] && extra+=("-runs=$BX_FUZZ_RUNS")
  echo "== $name: fuzzing for ${DURATION}s ${extra[*]} (log $log)"
  "$bin" -max_total_time="$DURATION" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 "${extra[@]}" \
    -artifact_prefix="$findings/" "$work" >"$log" 2>&1
  rc=$?
  execs=$(awk '/stat::number_of_executed_units:/ {print $2}' "$log" | tail -1)
  after=$(ls -A "$findings" | wc -l)
  line="$name: ${execs:-?} executions"
  if [ "$rc" -ne 0 ] || [ "$after" -gt "$before" ]; then
    status=1
    line+=", FINDING (exit $rc)"
    grep -E "ERROR: |SUMMARY: |Test unit written to" "$log" | head -5
    ls -A "$findings" | sed "s|^|   $findings/|"
  else
    line+=", no finding"
  fi
  summary+=("$line")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
