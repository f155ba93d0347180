#!/usr/bin/env bash
# Builds the Debian package of Velmo (Release, without tests or benchmarks) and prints its path,
# alone on stdout (the build talks on stderr). Installs the Debian packages it needs first.
#   VELMO_BUILD_DIR   build folder (default: build-package)
#   VELMO_CMAKE_ARGS  extra CMake arguments (e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh >&2

build="${VELMO_BUILD_DIR:-build-package}"
# Tests and benchmarks are switched off outright: a folder configured before with them on must
# not build them here, and they are never installed.
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DVELMO_BUILD_BENCH=OFF -DVELMO_FUZZ=OFF ${VELMO_CMAKE_ARGS:-} >&2
cmake --build "$build" >&2
# A package left by an earlier run with another version would be taken for this one.
rm -f "$build"/velmo_*.deb
(cd "$build" && cpack -G DEB >cpack.log) || { cat "$build/cpack.log" >&2; exit 1; }
package="$(ls "$build"/velmo_*_*.deb)"
echo "$(cd "$(dirname "$package")" && pwd)/$(basename "$package")"
