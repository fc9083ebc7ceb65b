#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz, with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs them.
#
#   scripts/fuzz.sh --ci               every target briefly on its seeds
#   scripts/fuzz.sh --runs N [TARGET]  N executions per target
#   scripts/fuzz.sh --time S [TARGET]  S seconds per target
#   scripts/fuzz.sh --long [TARGET]    10 million executions or one hour per
#                                      target, whichever comes first
#
# The long modes run FUZZ_JOBS targets at a time (4 unless set).
# Every run first replays fuzz/regressions/<Target>/ (inputs that once made a
# target fail). Working corpora grow in build-fuzz/corpus/<Target>, logs go to
# build-fuzz/logs; a failing input is left there as crash-*, leak-*,
# timeout-* or oom-*. The last lines print each target's figures.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-fuzz"

mode=${1:---ci}
[ $# -gt 0 ] && shift
case "$mode" in
--ci) limit=(-max_total_time=8) ;;
--runs) limit=(-runs="$1"); shift ;;
--time) limit=(-max_total_time="$1"); shift ;;
--long) limit=(-runs=10000000 -max_total_time=3600) ;;
*) echo "usage: $0 --ci | --runs N [TARGET...] | --time SECONDS [TARGET...] | --long [TARGET...]" >&2; exit 2 ;;
esac

targets=(Http Decode Detect Anchors Fingerprint Sources News Ini Layout Region Picture Gif Wave
         ProxyAnswer FileLink Wpad)
[ $# -gt 0 ] && targets=("$@")

if [ ! -f "$build/build.ninja" ]; then
  # Warnings of clang are not fatal here: the gcc build is the one kept free of them.
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DWT_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWT_WERROR=OFF >/dev/null
fi
cmake --build "$build" -j4 --target $(printf '%s_fuzz ' "${targets[@]}") >/dev/null

# Seeds: the target's own, and the project's real pages and fixtures where
# the target reads that kind of input.
seeds_of() {
  echo "$root/fuzz/seeds/$1"
  case "$1" in
  Detect | Anchors | Fingerprint) echo "$root/tests/data/pages" ;;
  Layout) echo "$root/tests/platform/ui/data" ;;
  esac
}

export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
mkdir -p "$build/logs"

run_one() {
  local target=$1
  shift
  local binary="$build/fuzz/${target}_fuzz" corpus="$build/corpus/$target"
  local log="$build/logs/$target.log" dirs=()
  mkdir -p "$corpus"
  for d in $(seeds_of "$target"); do [ -d "$d" ] && dirs+=("$d"); done
  local regressions="$root/fuzz/regressions/$target"
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    if ! "$binary" -runs=1 -timeout=10 "$regressions"/* >"$log.regressions" 2>&1; then
      echo "$target: a kept regression input fails again (see $log.regressions)"
      return 1
    fi
  fi
  if ! (cd "$build/logs" && "$binary" "$@" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -print_final_stats=1 -artifact_prefix="$build/logs/$target-" "$corpus" "${dirs[@]}" \
    >"$log" 2>&1); then
    echo "$target: FAILED (see $log)"
    return 1
  fi
  local runs cov
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
  echo "$target: ${runs:-?} executions, coverage ${cov:-?} edges, corpus $(ls "$corpus" | wc -l) inputs, no finding"
}
export -f run_one seeds_of
export build root

if [ "$mode" = --ci ]; then
  status=0
  for t in "${targets[@]}"; do run_one "$t" "${limit[@]}" || status=1; done
  exit $status
fi
printf '%s\n' "${targets[@]}" | nice xargs -P "${FUZZ_JOBS:-4}" -I{} bash -c 'run_one "$@"' _ {} "${limit[@]}"
