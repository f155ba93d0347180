#!/usr/bin/env bash
# Builds Velmo and runs it on the bundled sample document. Installs the Debian packages it
# needs first. Until the windowed program exists this prints the sample document through
# velmo-cli.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

build="${VELMO_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=OFF -DVELMO_BUILD_BENCH=OFF
cmake --build "$build" --target velmo-cli
"$build/src/cli/velmo-cli" dump tests/data/sample.vlm
