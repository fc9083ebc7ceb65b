#!/usr/bin/env bash
# Configures and builds into the folder given first (default build/); further
# arguments go to CMake, e.g. -DWT_SANITIZE=address,undefined.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
