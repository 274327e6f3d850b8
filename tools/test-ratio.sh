#!/usr/bin/env bash
# Size of the test suite against the code it tests.
#
#   tools/test-ratio.sh
#
# Counts non-blank lines of *.cpp and *.h files:
#   code  - everywhere except tests/, bench/, fuzz/, build folders and hidden
#           folders; the tools under tools/ are shipped, so they count as code;
#   tests - everything under tests/ (the shared support code included).
# Prints both counts and tests as a percentage of code.
set -euo pipefail
cd "$(dirname "$0")/.."

# Non-blank lines of the files named on stdin (NUL-separated).
count_lines() {
  xargs -0 -r cat -- | grep -c '[^[:space:]]' || true
}

code=$(find . -mindepth 1 \
         \( -path ./tests -o -path ./bench -o -path ./fuzz -o -path ./build -o -path './build-*' -o -name '.*' \) -prune \
         -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | count_lines)
tests=$(find ./tests -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | count_lines)

echo "code:  $code lines"
echo "tests: $tests lines"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.1f %%\n", c ? 100 * t / c : 0 }'
