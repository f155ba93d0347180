#!/usr/bin/env bash
# Builds Velmo and runs it on the bundled sample: writes the sample document into the build
# tree and generates its site with velmo-cli. Installs the Debian packages it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

build="${VELMO_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=OFF -DVELMO_BUILD_BENCH=OFF
cmake --build "$build" --target velmo-cli velmo_sample_data
# bin/ holds the programs with the sample template and pictures beside them: the data root.
programs="$(cd "$build/bin" && pwd)"
mkdir -p "$build/sample"
"$programs/velmo-cli" sample "$build/sample/sample.vlm" --home "$programs"
"$programs/velmo-cli" build "$build/sample/sample.vlm" --home "$programs"
echo "The sample site: $programs/web/サンプルサイト/index.html"
