#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once in the program's
# own build (the Release build that scripts/run.sh makes and starts), once
# under AddressSanitizer and UndefinedBehaviorSanitizer; the threaded engine
# and runtime tests once more under ThreadSanitizer. Each test that needs an
# X server starts one of its own, so the tests run side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

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

# The threads (transactions and their pool, the proxy-script keeper, the pages
# handed from the workers, the runtime's threads and locks) under
# ThreadSanitizer: a build of the tests that use them and nothing else. The
# walks over every corpus page run on one thread and only cost time here.
tsan_targets=(engine_tests rtl_tests net_tests autoproxy_tests)
cmake -S . -B build-tsan -G Ninja -DWT_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target "${tsan_targets[@]}"
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest -j "$jobs" -L 'engine|platform' -E 'CorpusPage|EveryPageGives' \
    --output-on-failure --timeout 300)

# Every fuzz target briefly on its seeds (a clang build of its own).
bash scripts/fuzz.sh --ci
