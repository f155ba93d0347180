#!/usr/bin/env bash
# Builds Velmo and runs its whole test suite. Installs the Debian packages it needs first.
#   VELMO_BUILD_DIR   build folder (default: build)
#   VELMO_CMAKE_ARGS  extra CMake arguments (CI adds -DVELMO_WERROR=ON, sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

build="${VELMO_BUILD_DIR:-build}"
# Every option the suite relies on is set here: a build folder configured before by the run
# command (tests off) must not turn this into a run that tests nothing.
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=ON ${VELMO_CMAKE_ARGS:-}
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
