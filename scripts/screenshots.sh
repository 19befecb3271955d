#!/usr/bin/env bash
# Makes the screenshots under docs/ on a virtual X display (Xvfb): builds what they show, opens
# each window at a fixed size and grabs the screen. Installs what is missing first.
#
#   scripts/screenshots.sh            every screenshot
#   scripts/screenshots.sh window     only the ones named (viewer, window)
#
# Each screenshot is one function below, shot_<name>; add a function to add one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh screenshots

build=build
width=1600
height=1000
display=":${YB_SCREENSHOT_DISPLAY:-87}"
work=$(mktemp -d)
xvfb_pid=
helpers=()  # background programs a shot needs besides the one it grabs
cleanup() {
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_display() {
  Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [[ -e /tmp/.X11-unix/X${display#:} ]] && return 0
    sleep 0.1
  done
  echo "screenshots: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
}

# settle <pid>: waits until the program has drawn; fails when it has ended.
settle() {
  sleep "${YB_SCREENSHOT_WAIT:-4}"
  if ! kill -0 "$1" 2>/dev/null; then
    echo "screenshots: the program ended before the screenshot" >&2
    exit 1
  fi
}

# pointer <xdotool arguments...>: moves or clicks the pointer on the virtual display.
pointer() { DISPLAY=$display xdotool "$@"; sleep 0.5; }

# grab <out.png> <pid> [<window id>]: grabs the screen (or only that window), then ends the
# program.
grab() {
  local out=$1 pid=$2
  # `import` from ImageMagick itself (/usr/bin), whatever else is called convert on the PATH.
  /usr/bin/import -display "$display" -window "${3:-root}" "$out"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "screenshots: wrote $out"
}

# The data viewer on a simulated race that fills the logger: 16100 records at 2 s, a
# temperature a minute, 200 laps.
shot_viewer() {
  cmake --build "$build" --target yb-sample-run
  local run="$work/YB_Data.csv"
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/yb-sample-run" "$run" \
    --view -geometry "${width}x${height}+0+0" &
  local pid=$!
  settle $pid
  # Drag across the speed chart to zoom in on the middle of the race (the pit stop), then rest
  # the pointer there so the cursor shows every channel's value.
  pointer mousemove 430 640 mousedown 1
  pointer mousemove 700 640
  pointer mousemove 860 640 mouseup 1
  pointer mousemove 700 700
  grab docs/viewer.png $pid
}

# The main window a while into a download from a full logger (16100/1350/200 records at the
# line's pace): the progress bar, the rate, the time left and 中止 in the status bar.
shot_window() {
  cmake --build "$build" --target yb-downloader yb-logger-sim
  "$build/yb-logger-sim" --main 16100 --temp 1350 --laps 200 >"$work/sim.out" &
  helpers+=($!)
  local device=
  for _ in $(seq 50); do
    device=$(head -n 1 "$work/sim.out")
    [[ -n $device ]] && break
    sleep 0.1
  done
  [[ -n $device ]] || { echo "screenshots: the simulated logger did not start" >&2; exit 1; }
  DISPLAY=$display QT_QPA_PLATFORM=xcb YB_COM1=$device "$build/yb-downloader" &
  local pid=$!
  settle $pid
  local id
  id=$(DISPLAY=$display xdotool search --onlyvisible --name "YB DownLoader" | head -n 1)
  # 通信 → Open COM, then F5 (データ読出).
  DISPLAY=$display xdotool windowfocus --sync "$id" key --delay 500 alt+c Return F5
  sleep 20
  grab docs/window.png $pid "$id"
}

shots=("$@")
((${#shots[@]})) || shots=(viewer window)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
start_display
for shot in "${shots[@]}"; do
  "shot_$shot"
done
