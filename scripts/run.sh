#!/usr/bin/env bash
# Sets up, builds and starts Raccolio. The catalogue lives next to the program in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRACCOLIO_BENCH=OFF
cmake --build build --target raccolio
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting under Xvfb" >&2
    exec xvfb-run -a -s "-screen 0 1024x768x24" ./build/raccolio "$@"
fi
exec ./build/raccolio "$@"
