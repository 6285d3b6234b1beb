#!/usr/bin/env bash
# The structured search from its window with the desktop's accessibility bus on, as a
# screen-reader user runs it, against the same search without a window.
#   bash scripts/bench_search_a11y.sh [build dir, default build-rel] [cards or catalogue path]
# Needs xvfb-run, dbus-run-session and at-spi2-core (the AT-SPI bus launcher). With
# python3-pyatspi a listener registers for the events a screen reader asks for; without a
# listener the program sends no events at all. Build the benchmark first:
#   cmake --build build-rel --target bench_search_window
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-rel}"
catalogue="${2:-1000000}"
bench="$PWD/$build/bench/bench_search_window"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$bench" ] || { echo "no $bench: build the bench_search_window target" >&2; exit 1; }
[ -x "$launcher" ] || { echo "no $launcher: install at-spi2-core" >&2; exit 1; }
listener=""
if /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    listener='import pyatspi
pyatspi.Registry.registerEventListener(lambda event: None, "object:", "window:", "focus:")
pyatspi.Registry.start()'
else
    echo "python3-pyatspi not installed: no listener, so no events are sent" >&2
fi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb LANG=C.UTF-8
xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- bash -c '
    "$0" --launch-immediately &
    launcher=$!
    sleep 1
    listening=""
    if [ -n "$3" ]; then
        /usr/bin/python3 -c "$3" &
        listening=$!
        sleep 2
    fi
    "$1" "$2"
    [ -z "$listening" ] || kill "$listening"
    sleep 0.5
    kill "$launcher"
' "$launcher" "$bench" "$catalogue" "$listener" 2>&1 | grep -v -e "^dbus-daemon" -e "^SpiRegistry" -e "XDG_RUNTIME_DIR" ; true
