#!/usr/bin/env bash
# Builds Velmo and starts the desktop program on the bundled sample document, which velmo-cli
# writes into the build tree the first time. Installs the Debian packages it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

build="${VELMO_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=OFF -DVELMO_BUILD_BENCH=OFF
cmake --build "$build" --target velmo velmo-cli velmo_sample_data
# bin/ holds the programs with the sample template and pictures beside them: the data root.
programs="$(cd "$build/bin" && pwd)"
document="$build/sample/sample.vlm"
# Written once only: the user's edits to the sample survive the next run.
if [ ! -f "$document" ]; then
    mkdir -p "$build/sample"
    "$programs/velmo-cli" sample "$document" --home "$programs"
fi

# Without a display (a server, a container) the window cannot open: generate the sample site
# the way "HTML出力" does and say where it is.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display to show Velmo on (xvfb-run -a bash scripts/run.sh gives it one);" \
        "building the sample site with velmo-cli instead" >&2
    "$programs/velmo-cli" build "$document" --home "$programs"
    exit 0
fi
# Qt WebEngine refuses to start as root with its sandbox on; the program itself never turns it
# off, so a root session asks for it here.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
# --home names the data root outright, so a VELMO_HOME set in the environment is not used.
exec "$programs/velmo" --home "$programs" "$document"
