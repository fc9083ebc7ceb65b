#!/usr/bin/env bash
# Configures and builds. With no arguments it builds the program as the
# README's commands use it: build/ in Release, the one configuration both the
# program command and the test command build, so a Release-only failure fails
# the tests too. Otherwise the folder comes first and further arguments go to
# CMake, e.g. build-asan -DWT_SANITIZE=address,undefined.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  set -- build -DCMAKE_BUILD_TYPE=Release
fi
dir=$1
shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
