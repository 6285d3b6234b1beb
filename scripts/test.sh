#!/usr/bin/env bash
# Sets up, builds and runs every test. BUILD_DIR and SANITIZE=1 choose another tree
# built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build-test}
flags=(-DCMAKE_BUILD_TYPE=Debug -DRACCOLIO_WERROR=ON)
if [ "${SANITIZE:-0}" = 1 ]; then
    flags+=(-DRACCOLIO_SANITIZE=ON -DRACCOLIO_BENCH=OFF)
fi
cmake -S . -B "$build" -G Ninja "${flags[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 TZ=UTC
ctest --test-dir "$build" --output-on-failure -j2
