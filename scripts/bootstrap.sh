#!/usr/bin/env bash
# Installs, with apt, whatever the build, the tests and the demo need and this machine lacks.
# Does nothing when everything is already there.
#   scripts/bootstrap.sh              the build, the tests and the demo
#   scripts/bootstrap.sh package      the same plus the tools that build and check the Debian package
#   scripts/bootstrap.sh screenshots  the same plus a virtual display to take screenshots in
#   scripts/bootstrap.sh fuzz         the same plus clang and libFuzzer for scripts/fuzz.sh
#   scripts/bootstrap.sh windows      the same plus the MinGW-w64 compiler for scripts/check-windows.sh
#   scripts/bootstrap.sh closebox     the same plus a display, a window manager and the
#                                     accessibility bus for scripts/check-close-box.sh
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  lld                                   # links the test builds in a fraction of ld's time
  qt6-base-dev qt6-serialport-dev      # Qt 6 Widgets and SerialPort
  qt6-charts-dev                        # the data viewer's charts
  libqt6sql6-sqlite                     # Qt SQL's SQLite driver: the run library's index
  qt6-tools-dev qt6-l10n-tools          # Qt Linguist's CMake package, lupdate and lrelease
  qt6-translations-l10n                 # Qt's own dialogs in the interface's language
  qcoro-qt6-dev                         # coroutines on the Qt event loop
  libxlsxwriter-dev libmatio-dev        # the exports: Excel workbooks, MATLAB files
  zlib1g-dev                            # the exports' files inflated again before they are taken
  libgtest-dev                          # unit and integration tests
  python3-openpyxl python3-scipy        # the exports' test reads them back with these readers
  poppler-utils                         # pdftotext: the tests read a report's text
  fonts-ipafont-gothic                  # Japanese fixed-pitch and proportional fonts
  libgl-dev                             # Qt6Gui's CMake package looks for OpenGL headers
)

for group in "$@"; do
  case $group in
    package)
      packages+=(
        dpkg-dev file                     # dpkg-shlibdeps finds the package's dependencies
        lintian                           # Debian's package checks
        desktop-file-utils                # desktop-file-validate, the menu's MIME cache
        appstream                         # appstreamcli validate
        librsvg2-bin                      # rsvg-convert renders the icon's PNG sizes
      )
      ;;
    # a virtual X display, `import` to grab it, xdotool to point and drag in it
    screenshots) packages+=(xvfb imagemagick xdotool) ;;  # (pdftoppm, for a report page: above)
    fuzz) packages+=(clang libclang-rt-14-dev libfuzzer-14-dev) ;;  # libFuzzer, ASan, UBSan
    # x86_64-w64-mingw32-g++-posix: the sources compiled for Windows, syntax only; jq reads the
    # build's compile_commands.json
    windows) packages+=(g++-mingw-w64-x86-64-posix jq) ;;
    # a virtual X display with a window manager that sends the close box's request, and a
    # screen reader's view of the window (AT-SPI from Python)
    closebox) packages+=(xvfb openbox wmctrl at-spi2-core dbus gir1.2-atspi-2.0 python3-gi) ;;
    *) echo "bootstrap: unknown group '$group' (known: package, screenshots, fuzz, windows, closebox)" >&2; exit 2 ;;
  esac
done

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
