#!/usr/bin/env bash
# Mutation check: does the test suite notice small, deliberate faults?
#
#   tools/mutants.sh [build-dir] [mutant-id...]     (default: build-mutants)
#
# Each mutant in tools/mutants.txt names a file, a piece of text that occurs
# exactly once in it, its replacement and the CTest regex of the tests that
# should notice.  One at a time, the mutant is put into the source, only the
# test programs (and tool) it concerns are rebuilt, those tests run under a
# time limit, and the source is put back.  A mutant is
#   killed    - a test failed, crashed or timed out,
#   survived  - every test passed,
#   no-build  - the mutant does not compile (a badly written mutant),
#   not-found - its text is missing or not unique (the code has moved on),
#   skipped   - the tests fail without any mutant, so they prove nothing.
# The build uses AddressSanitizer and UndefinedBehaviorSanitizer like ./test:
# a forgotten free or a bound off by one only shows under them.
#
# Environment: V2KRN_JOBS (default 3), V2KRN_MUTANT_SECONDS (time limit of one
# mutant's test run, default 600).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="build-mutants"
if [ $# -gt 0 ] && ! grep -q "^id[[:space:]]\+$1\$" tools/mutants.txt; then
  build=$1
  shift
fi
case "$build" in /*) ;; *) build="$root/$build" ;; esac
wanted=("$@")
jobs=${V2KRN_JOBS:-3}
limit=${V2KRN_MUTANT_SECONDS:-600}
list=tools/mutants.txt
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

source tools/ensure-packages.sh
v2krn_ensure_packages

# ---- The list ------------------------------------------------------------------
# Blocks of "key value" lines (id, kind, file, find, replace, tests) separated
# by blank lines; "#" starts a comment line.  Values are taken verbatim.
ids=() kinds=() files=() finds=() replaces=() regexes=()
add_mutant() {
  [ -n "${m_id:-}" ] || return 0
  if [ -z "${m_file:-}" ] || [ -z "${m_find:-}" ] || [ -z "${m_tests:-}" ]; then
    echo "mutants.txt: mutant $m_id lacks a file, find or tests line" >&2
    exit 2
  fi
  ids+=("$m_id") kinds+=("${m_kind:-}") files+=("$m_file") finds+=("$m_find")
  replaces+=("${m_replace:-}") regexes+=("$m_tests")
  m_id='' m_kind='' m_file='' m_find='' m_replace='' m_tests=''
}
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    '#'*) continue ;;
    '') add_mutant; continue ;;
  esac
  key=${line%%[[:space:]]*}
  value=${line#"$key"}
  value=${value#"${value%%[![:space:]]*}"}
  case "$key" in
    id) add_mutant; m_id=$value ;;
    kind) m_kind=$value ;;
    file) m_file=$value ;;
    find) m_find=$value ;;
    replace) m_replace=$value ;;
    tests) m_tests=$value ;;
    *) echo "mutants.txt: unknown key '$key'" >&2; exit 2 ;;
  esac
done <"$list"
add_mutant

# Looked up in the shell: with pipefail, a grep -q that stops reading early
# would fail the pipe now and then and report a listed mutant as missing.
declare -A listed=()
for id in "${ids[@]}"; do listed[$id]=1; done
for w in "${wanted[@]}"; do
  [ -n "${listed[$w]:-}" ] || { echo "mutants.txt: no mutant $w" >&2; exit 2; }
done

# ---- Source edits, always undone ---------------------------------------------------
scratch=$(mktemp -d)
mutated=''
restore() {
  if [ -n "$mutated" ]; then
    # Copied over, not moved: the file keeps its inode and gets a new time,
    # so the next build compiles the sound source again.
    cat "$scratch/original" >"$mutated"
    mutated=''
  fi
}
trap 'restore; rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM

# How often the text occurs in the file (literal, not a pattern).
occurrences() {
  FIND=$2 perl -0777 -ne 'my $n = () = /\Q$ENV{FIND}\E/g; print $n' "$1"
}

apply_mutant() {
  local file=$1 find=$2 replace=$3
  cp -p "$file" "$scratch/original"
  mutated=$file
  FIND=$find REPLACE=$replace perl -0777 -pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/' "$file"
}

# ---- Build and test ---------------------------------------------------------------------
# The test programs of the folders a regex names (and the game for the
# life-cycle tests), and the tool a file belongs to.
targets_for() {
  local regex=$1 file=$2 word
  for word in $(grep -o '[a-z_]\+' <<<"$regex" | sort -u); do
    [ -d "tests/$word" ] && echo "test_$word"
    # The life-cycle tests start the game itself.
    [ "$word" = lifecycle ] && echo v2krn
  done
  case "$file" in tools/*/*) word=${file#tools/}; echo "${word%%/*}" ;; esac
}

build_targets() {
  # shellcheck disable=SC2046
  cmake --build "$build" -j "$jobs" --target $(targets_for "$1" "$2") >"$logs/$3.build.log" 2>&1
}

# Fails when a test fails or the run passes the time limit; stops the whole
# check (the EXIT trap puts the source back) when the run was interrupted.
run_tests() {
  local status=0
  timeout --foreground "$limit" ctest --test-dir "$build" -R "$1" -j "$jobs" --stop-on-failure --timeout "$limit" \
    >"$logs/$2.log" 2>&1 || status=$?
  if [ "$status" -eq 130 ] || [ "$status" -eq 143 ]; then
    echo "interrupted" >&2
    exit 130
  fi
  return "$status"
}

# Each mutant's output stays in <build-dir>/mutants/: <id>.build.log, <id>.log.
logs="$build/mutants"
mkdir -p "$logs"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DV2KRN_SANITIZE=ON \
  -DV2KRN_FUZZ=OFF -DV2KRN_BENCH=OFF -DV2KRN_TESTS=ON >/dev/null
cmake --build "$build" -j "$jobs"

selected() {
  [ ${#wanted[@]} -eq 0 ] && return 0
  local w
  for w in "${wanted[@]}"; do [ "$w" = "$1" ] && return 0; done
  return 1
}

# The unmutated tests must pass, or a failure proves nothing.
declare -A baseline=()
for i in "${!ids[@]}"; do
  selected "${ids[$i]}" || continue
  regex=${regexes[$i]}
  [ -n "${baseline[$regex]:-}" ] && continue
  if run_tests "$regex" "baseline-${regex//[^a-z]/}"; then baseline[$regex]=pass; else baseline[$regex]=fail; fi
  echo "baseline $regex: ${baseline[$regex]}"
done

printf '%-28s %-12s %-48s %s\n' id kind file result
killed=0 total=0
for i in "${!ids[@]}"; do
  id=${ids[$i]} file=${files[$i]} regex=${regexes[$i]}
  selected "$id" || continue
  started=$SECONDS
  if [ "${baseline[$regex]}" != pass ]; then
    result=skipped
  elif [ ! -f "$file" ] || [ "$(occurrences "$file" "${finds[$i]}")" != 1 ]; then
    result=not-found
  else
    apply_mutant "$file" "${finds[$i]}" "${replaces[$i]}"
    if ! build_targets "$regex" "$file" "$id"; then
      result=no-build
    elif run_tests "$regex" "$id"; then
      result=survived
    else
      result=killed
    fi
    restore
  fi
  total=$((total + 1))
  [ "$result" = killed ] && killed=$((killed + 1))
  printf '%-28s %-12s %-48s %s (%ds)\n' "$id" "${kinds[$i]}" "$file" "$result" $((SECONDS - started))
done
echo "killed $killed of $total"

# Leave the build matching the sound sources again.
cmake --build "$build" -j "$jobs" >/dev/null
