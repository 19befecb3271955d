#!/usr/bin/env bash
# Makes the screenshots under docs/ on a virtual X display (Xvfb): builds what they show, opens
# each window at a fixed size and grabs the screen. Installs what is missing first.
#
#   scripts/screenshots.sh            every screenshot
#   scripts/screenshots.sh window     only the ones named (viewer, overlay, strategy, report,
#                                     window, window_en, library, trend, overlaid)
#
# Each screenshot is one function below, shot_<name>; add a function to add one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh screenshots

build=build
width=1366
height=768
display=":${YB_SCREENSHOT_DISPLAY:-87}"
work=$(mktemp -d)
# What the viewer remembers stays in the run's folder: every shot starts from the first layout.
# The race is shown with a battery capacity of 50 Ah, so that the remaining charge shows.
export XDG_CONFIG_HOME=$work/config
capacity=50
export XDG_DATA_HOME=$work/data  # and the run library the files opened are filed in
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

# The data file of a simulated race that fills the logger: 16100 records at 2 s, a temperature
# a minute, 200 laps.
sample_run() {
  cmake --build "$build" --target yb-sample-run yb-downloader
  [[ -f $work/YB_Data.csv ]] || "$build/yb-sample-run" "$work/YB_Data.csv"
}

# The viewer on the simulated race, filling the display; its process id in $viewer.
open_viewer() {
  sample_run
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/yb-downloader" view "$work/YB_Data.csv" \
    --capacity $capacity -geometry "${width}x${height}+0+0" &
  viewer=$!
  settle $viewer
}

# The data viewer on the simulated race, zoomed on the pit stop: the lap markers, the cursor's
# values, the figures of the window shown beside the whole run's.
shot_viewer() {
  open_viewer
  local pid=$viewer
  # Drag across the speed chart around the middle of the race (the pit stop), then rest the
  # pointer there so the cursor shows every channel's value.
  pointer mousemove 520 565 mousedown 1
  pointer mousemove 560 565
  pointer mousemove 600 565 mouseup 1
  pointer mousemove 575 590
  grab docs/viewer.png $pid
}

# find_window <title>: the id of the visible window whose title holds it.
find_window() {
  local id
  id=$(DISPLAY=$display xdotool search --onlyvisible --name "$1" | head -n 1)
  [[ -n $id ]] || { echo "screenshots: no window \"$1\" opened" >&2; exit 1; }
  echo "$id"
}

# A lap laid over the best lap (a double-click on a lap row of the viewer's lap table), against
# the distance into the lap, with the time it loses at each point and the cursor's read-out of
# both laps.
shot_overlay() {
  open_viewer
  local pid=$viewer
  # Two rows below the best lap, which the table shows in its middle.
  pointer mousemove 1267 630 click --repeat 2 --delay 80 1
  sleep 1
  local id
  id=$(find_window "周回の比較")
  DISPLAY=$display xdotool windowfocus --sync "$id" key alt+d  # 横軸: 距離
  sleep 0.5
  pointer mousemove --window "$id" 560 150
  grab docs/lap-overlay.png $pid "$id"
}

# The strategy for the rest of the race (表示 → 残りのレースの作戦, Ctrl+T): 90 minutes left,
# 10 % of the charge wanted at the flag.
shot_strategy() {
  open_viewer
  local pid=$viewer
  DISPLAY=$display xdotool windowfocus --sync "$(find_window YB_Data)" key ctrl+t
  sleep 1
  local id
  id=$(find_window "残りのレースの作戦")
  DISPLAY=$display xdotool windowfocus --sync "$id" key ctrl+a type 90
  DISPLAY=$display xdotool key Return Tab Tab Tab ctrl+a type 10
  DISPLAY=$display xdotool key Return
  sleep 0.5
  grab docs/strategy.png $pid "$id"
}

# The first page of the report of one hour of the race, as `report --from --to` writes it.
shot_report() {
  sample_run
  "$build/yb-downloader" report "$work/YB_Data.csv" --from 240 --to 300 --capacity $capacity \
    -o "$work/report.pdf"
  pdftoppm -r 110 -f 1 -l 1 -png -singlefile "$work/report.pdf" "$work/report"
  cp "$work/report.png" docs/report.png
  echo "screenshots: wrote docs/report.png"
}

# The main window a while into a download from a full logger (16100/1350/200 records at the
# line's pace): the progress bar, the rate, the time left and 中止 in the status bar.
# window_during_download <out.png> <ja|en>: the main window in that language during a download.
window_during_download() {
  local out=$1 language=$2
  cmake --build "$build" --target yb-downloader yb-logger-sim
  "$build/yb-logger-sim" --main 16100 --temp 1350 --laps 200 >"$work/sim-$language.out" &
  helpers+=($!)
  local device=
  for _ in $(seq 50); do
    device=$(head -n 1 "$work/sim-$language.out")
    [[ -n $device ]] && break
    sleep 0.1
  done
  [[ -n $device ]] || { echo "screenshots: the simulated logger did not start" >&2; exit 1; }
  DISPLAY=$display QT_QPA_PLATFORM=xcb YB_COM1=$device YB_LANG=$language "$build/yb-downloader" &
  local pid=$!
  settle $pid
  local id
  id=$(DISPLAY=$display xdotool search --onlyvisible --name "YB DownLoader" | head -n 1)
  # 通信 (Communication) → Open COM, then F5 (データ読出, Download).
  DISPLAY=$display xdotool windowfocus --sync "$id" key --delay 500 alt+c Return F5
  sleep 20
  grab "$out" $pid "$id"
}

# A season in the run library: twelve runs of the simulated logger (each its own race and size)
# on six days, filed with their notes; the latest with markers. The index in $YB_LIBRARY.
sample_library() {
  cmake --build "$build" --target yb-sample-run yb-downloader
  export YB_LIBRARY=$work/library.sqlite
  [[ -f $YB_LIBRARY ]] && return
  mkdir -p "$work/season"
  local days=(05-03 05-04 06-14 06-15 07-12 07-13)
  local events=(春季テスト 春季テスト "Suzuka Solar" "Suzuka Solar" "WSC shakedown" "WSC shakedown")
  local tracks=(もてぎ もてぎ 鈴鹿 鈴鹿 "Hidden Valley" "Hidden Valley")
  local drivers=(山田 佐藤 Sato 山田)
  local i=0
  for d in "${!days[@]}"; do
    for run in 1 2; do
      local file
      file=$(printf '%s/season/YB_Data_%02d.csv' "$work" $i)
      "$build/yb-sample-run" "$file" --main $((5000 + i * 800)) --laps $((16 + (i * 7) % 23)) \
        --seed $((300 + i)) --written "2026-${days[$d]}T$((8 + run * 3)):15"
      i=$((i + 1))
    done
  done
  # The latest run's markers, in its notes file before it is filed.
  cat >"$work/season/YB_Data_11.csv.ybrun.json" <<'JSON'
{"markers": [{"time_s": 2460, "kind": "pit", "text": "タイヤ交換"},
             {"time_s": 4020, "kind": "driver", "text": "佐藤 → 山田"},
             {"time_s": 6300, "kind": "note", "text": "雲"}]}
JSON
  "$build/yb-downloader" library add "$work/season" >/dev/null
  for i in $(seq 1 12); do
    local k=$(((i - 1) / 2))
    "$build/yb-downloader" library set "$i" --event "${events[$k]}" --track "${tracks[$k]}" \
      --name "stint $((2 - i % 2))" --driver "${drivers[$((i % 4))]}" \
      --conditions "晴れ 850 W/m²" --tag "$( ((i % 3)) && echo dry || echo wind)"
  done
}

# The library's window filling the display; its process id in $library.
open_library() {
  sample_library
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/yb-downloader" library \
    -geometry "${width}x${height}+0+0" &
  library=$!
  settle $library
}

# The library's window with a filter typed and a run chosen: its notes in the side panel.
shot_library() {
  open_library
  pointer mousemove 300 46 click 1
  DISPLAY=$display xdotool type --delay 60 "stint 2"
  pointer mousemove 300 148 click 1
  grab docs/library.png $library
}

# The trend of Wh/km over the season, a point a run.
shot_trend() {
  open_library
  pointer mousemove 78 106 click 1
  grab docs/library-trend.png $library
}

# Three runs overlaid in one viewer from the library, the first with its markers.
shot_overlaid() {
  open_library
  pointer mousemove 300 148 click 1
  DISPLAY=$display xdotool keydown ctrl; pointer mousemove 300 168 click 1
  pointer mousemove 300 188 click 1; DISPLAY=$display xdotool keyup ctrl
  pointer mousemove 124 14 click 1
  sleep 3
  local id
  id=$(DISPLAY=$display xdotool search --onlyvisible --name "YB_Data_11" | head -n 1)
  [[ -n $id ]] || { echo "screenshots: the overlaid viewer did not open" >&2; exit 1; }
  DISPLAY=$display xdotool windowmove "$id" 0 0 windowsize "$id" $width $height
  sleep 2
  grab docs/overlaid.png $library "$id"
}

shot_window() { window_during_download docs/window.png ja; }
shot_window_en() { window_during_download docs/window-en.png en; }

shots=("$@")
((${#shots[@]})) || shots=(viewer overlay strategy report window window_en library trend overlaid)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
start_display
for shot in "${shots[@]}"; do
  "shot_$shot"
done
