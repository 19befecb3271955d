#!/usr/bin/env bash
# Installs, with apt, whatever the build, the tests and the demo need and this machine lacks.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev      # Qt 6 Widgets and SerialPort
  qt6-charts-dev                        # the data viewer's charts
  qcoro-qt6-dev                         # coroutines on the Qt event loop
  libgtest-dev                          # unit and integration tests
  fonts-ipafont-gothic                  # Japanese fixed-pitch and proportional fonts
  libgl-dev                             # Qt6Gui's CMake package looks for OpenGL headers
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
