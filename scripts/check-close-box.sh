#!/usr/bin/env bash
# The close box right after a download, as a screen reader's user meets it: the program under a
# virtual display with a window manager and the accessibility bridge on, driven through AT-SPI
# (scripts/close_box_client.py), closed with the window manager's close request within a second
# of the download's end while every text of the window is read. Prints what each close did and
# the count; fails when a close did nothing.
#   scripts/check-close-box.sh [RUNS]     (default 10; builds the program and the simulator)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
if [[ ${CLOSE_BOX_INNER:-} != 1 ]]; then
    scripts/bootstrap.sh closebox
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target yb-downloader yb-logger-sim
    display=:$((50 + RANDOM % 100))
    Xvfb "$display" -screen 0 1366x768x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    sleep 1
    DISPLAY=$display openbox >/dev/null 2>&1 &
    sleep 1
    DISPLAY=$display CLOSE_BOX_INNER=1 dbus-run-session -- "$0" "$runs"
    exit
fi

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
sleep 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
declare -A seen=()
for ((i = 1; i <= runs; ++i)); do
    out=$(mktemp)
    build/yb-logger-sim --main 40 --temp 5 --laps 3 >"$out" &
    sim=$!
    for _ in $(seq 50); do [[ -s $out ]] && break; sleep 0.1; done
    XDG_CONFIG_HOME=$settings YB_COM1=$(head -n 1 "$out") build/yb-downloader >/dev/null 2>&1 &
    program=$!
    what=$(/usr/bin/python3 scripts/close_box_client.py "$sim" "$program" 2>&1 | tail -n 1)
    kill "$program" "$sim" 2>/dev/null || true
    wait "$program" "$sim" 2>/dev/null || true
    rm -f "$out"
    echo "close $i: $what"
    seen[$what]=$((${seen[$what]:-0} + 1))
done
for what in "${!seen[@]}"; do echo "$what: ${seen[$what]} of $runs"; done
[[ -z ${seen[nothing]:-} ]]
