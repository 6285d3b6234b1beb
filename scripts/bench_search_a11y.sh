#!/usr/bin/env bash
# The structured search from its window with the desktop's accessibility bus on, as a
# screen-reader user runs it, against the same search without a window.
#   bash scripts/bench_search_a11y.sh [build dir, default build-rel] [cards or catalogue path]
# Needs xvfb-run, dbus-run-session and at-spi2-core (the AT-SPI bus launcher). Build the
# benchmark first: cmake --build build-rel --target bench_search_window
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-rel}"
catalogue="${2:-1000000}"
bench="$PWD/$build/bench/bench_search_window"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$bench" ] || { echo "no $bench: build the bench_search_window target" >&2; exit 1; }
[ -x "$launcher" ] || { echo "no $launcher: install at-spi2-core" >&2; exit 1; }
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb LANG=C.UTF-8
xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- bash -c '
    "$0" --launch-immediately &
    launcher=$!
    sleep 1
    "$1" "$2"
    kill "$launcher"
' "$launcher" "$bench" "$catalogue"
