#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once in the program's
# own build (the Release build that scripts/run.sh makes and starts), once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# The tests that need a real X server find it through WT_X_DISPLAY.
source scripts/xvfb.sh
start_xvfb

jobs=$(nproc)
run_suite() {
  local dir=${1:-build}
  bash scripts/build.sh "$@"
  (cd "$dir" && ctest -j "$jobs" --output-on-failure --timeout 300)
}

run_suite
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  run_suite build-asan -DWT_SANITIZE=address,undefined

# Every fuzz target briefly on its seeds (a clang build of its own).
bash scripts/fuzz.sh --ci
