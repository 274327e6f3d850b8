#!/usr/bin/env bash
# Line coverage of the code by the whole test suite.
#
#   tools/coverage.sh [build-dir]        (default: build-coverage)
#
# Configures a Debug build instrumented with gcc's --coverage (no sanitizers:
# they slow the run and are not needed to see which lines execute), builds it,
# runs every CTest test headless and prints, through gcovr:
#   - a table of line coverage per top-level folder of the code,
#   - one summary line "line coverage: NN.N %".
# Tests, benchmarks, fuzz targets, build folders and system headers are not
# counted as code.  The per-file report is kept in <build-dir>/coverage.csv.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build-coverage}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
jobs=${V2KRN_JOBS:-3}

# gcovr is only needed here, so it is added to the shared package list locally.
source tools/ensure-packages.sh
v2krn_packages+=(gcovr)
v2krn_ensure_packages

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DV2KRN_SANITIZE=OFF -DV2KRN_FUZZ=OFF -DV2KRN_BENCH=OFF -DV2KRN_TESTS=ON \
  -DCMAKE_CXX_FLAGS="--coverage" -DCMAKE_C_FLAGS="--coverage" \
  -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$build" -j "$jobs"

# Counters from an earlier run would add up with this one.
find "$build" -name '*.gcda' -delete

# A failing test still leaves its counters: coverage is reported anyway, and
# the script then fails.
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
ctest_status=0
ctest --test-dir "$build" -j "$jobs" -E '^fuzz\.' --output-on-failure >"$build/coverage-ctest.log" 2>&1 \
  || ctest_status=$?
tail -n 3 "$build/coverage-ctest.log"

# Paths are matched against the path relative to the root.  CMake's own
# compiler checks (CMakeFiles/<version>/) are not searched.
gcovr --root "$root" --object-directory "$build" -j "$jobs" \
  --exclude '(.*/)?tests/' --exclude '(.*/)?bench/' --exclude '(.*/)?fuzz/' \
  --exclude '(.*/)?build(-[^/]*)?/' --exclude '/usr/' \
  --exclude-directories '.*/CMakeFiles/[0-9][^/]*' \
  --gcov-ignore-parse-errors \
  --csv "$build/coverage.csv" >/dev/null

# Fold the per-file figures into one row per top-level folder
# (platform/sdl and platform/gl count under platform).
# (platform/sdl and platform/gl count under platform).  Plain POSIX awk.
per_folder=$(awk -F, 'NR > 1 && $2 > 0 {
    folder = $1; sub(/\/.*/, "", folder)
    if ($1 !~ /\//) folder = "."
    total[folder] += $2; covered[folder] += $3
  }
  END {
    for (f in total) printf "%-12s %8d %8d %6.1f\n", f, total[f], covered[f], 100 * covered[f] / total[f]
  }' "$build/coverage.csv" | sort)
printf "%-12s %8s %8s %6s\n" folder lines covered "%"
echo "$per_folder"
echo "$per_folder" | awk '{ t += $2; c += $3 }
  END {
    printf "%-12s %8d %8d %6.1f\n", "all", t, c, t ? 100 * c / t : 0
    printf "line coverage: %.1f %%\n", t ? 100 * c / t : 0
  }'

if [ "$ctest_status" -ne 0 ]; then
  echo "some tests failed (see $build/coverage-ctest.log): the figure is not comparable" >&2
  exit 1
fi
