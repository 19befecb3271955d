#!/usr/bin/env bash
# Builds the program and the simulated logger, starts the simulator on a pseudo-terminal, points
# COM1 at it and starts the program: open COM1, press データ読出, then データ保存.
# The simulator holds its default race (an hour at 5 s: 720 main records, 60 temperatures, 14
# laps). Extra arguments go to the simulator (see build/yb-logger-sim --help), e.g. a full
# logger: --main 16100 --temp 1350 --laps 200.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target yb-downloader yb-logger-sim

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "demo: no display found (DISPLAY / WAYLAND_DISPLAY are not set)." >&2
    echo "      Run this from a desktop session, or e.g. under xvfb-run." >&2
    exit 1
fi

out=$(mktemp)
build/yb-logger-sim "$@" >"$out" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; rm -f "$out"' EXIT
device=
for _ in $(seq 50); do
    device=$(head -n 1 "$out")
    [[ -n "$device" ]] && break
    kill -0 "$sim" 2>/dev/null || { echo "demo: the simulated logger did not start" >&2; exit 1; }
    sleep 0.1
done
[[ -n "$device" ]] || { echo "demo: the simulated logger did not start" >&2; exit 1; }
echo "demo: simulated logger on $device (COM1)"

YB_COM1="$device" build/yb-downloader
