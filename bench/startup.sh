#!/usr/bin/env bash
# Start-up benchmark: starts the built game headless on the project's demo
# data several times and reports the median time from the process start to
# the log line "--- Preloading finished ---", and the peak memory (the
# resident-set high-water mark) the process reached by then.  Each run is
# ended with SIGTERM, the game's clean shut-down, whose time is reported too.
#   bench/startup.sh [BUILD_DIR [RUNS]]
# BUILD_DIR (default build-rel) holds v2krn and the tools; build it optimised:
#   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-rel
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir=$(cd "${1:-$root/build-rel}" && pwd)
runs=${2:-7}
preload_line="--- Preloading finished ---"
start_timeout_s=60

if [ ! -x "$build_dir/v2krn" ]; then
  echo "$build_dir/v2krn does not exist: build the game first" >&2
  exit 1
fi

game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
"$root/tools/make-demo-data.sh" "$build_dir" "$game"
cp "$build_dir/v2krn" "$game/v2krn"
cd "$game"

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# The single-instance lock of these runs stays apart from any other game.
export XDG_RUNTIME_DIR="$game"

# Microseconds since the epoch, without starting a process.
now_us() {
  local t=${EPOCHREALTIME/./}
  echo $((10#$t))
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

high_water_kb() {
  awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

startup_ms=()
peak_kb=()
shutdown_ms=()
for ((run = 1; run <= runs; ++run)); do
  printf 'LOGGING=ON\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n' > v2krn.cfg
  rm -f Ravelin3.log
  started=$(now_us)
  ./v2krn > game.out 2> game.err &
  pid=$!
  deadline=$((started + start_timeout_s * 1000000))
  until grep -qF -- "$preload_line" Ravelin3.log 2> /dev/null; do
    if ! kill -0 "$pid" 2> /dev/null || [ "$(now_us)" -gt "$deadline" ]; then
      echo "run $run: the game did not finish its start-up:" >&2
      cat game.err >&2
      kill -KILL "$pid" 2> /dev/null || true
      exit 1
    fi
    sleep 0.001
  done
  finished=$(now_us)
  peak=$(high_water_kb "$pid")
  kill -TERM "$pid"
  if ! wait "$pid"; then
    echo "run $run: the game did not shut down cleanly:" >&2
    cat game.err >&2
    exit 1
  fi
  ended=$(now_us)
  startup_ms+=($(((finished - started) / 1000)))
  peak_kb+=("$peak")
  shutdown_ms+=($(((ended - finished) / 1000)))
  echo "run $run: start-up ${startup_ms[-1]} ms, peak memory $((peak / 1024)) MB, shut-down ${shutdown_ms[-1]} ms"
done

echo "median of $runs runs ($(basename "$build_dir")):"
echo "  start to \"$preload_line\": $(printf '%s\n' "${startup_ms[@]}" | median) ms"
echo "  peak memory by then:  $(( $(printf '%s\n' "${peak_kb[@]}" | median) / 1024 )) MB"
echo "  SIGTERM to exit:      $(printf '%s\n' "${shutdown_ms[@]}" | median) ms"
