#!/usr/bin/env bash
# Compiles every C++ source under src/ for Windows with MinGW-w64, syntax only: each file is
# parsed and checked (templates, coroutines, the Windows branches and the Windows API they call)
# under the project's warning flags, but nothing is generated, linked or run. One line per file;
# fails when any file fails, and then prints what the compiler said.
#
#   scripts/check-windows.sh
#
# Installs the compiler first (scripts/bootstrap.sh windows).
#
# There is no Qt for Windows on this machine: the host's Qt headers (configured for Linux) stand
# in for it. What that takes:
#  - Nothing to make Qt's headers take their Windows paths: they test Q_OS_WIN, which
#    qsystemdetection.h derives from _WIN32, and MinGW-w64 defines _WIN32 (and _WIN64).
#    QSerialPort::Handle becomes a HANDLE, QDir's separators '\' and ';', QString's path
#    conversions go through std::wstring, Qt's classes are dllimport, and so on.
#  - The definitions that Qt's Windows CMake package gives every program that links Qt
#    (UNICODE, _UNICODE, WIN32, WIN64, _ENABLE_EXTENDED_ALIGNED_STORAGE) are given here too,
#    and the project's own NOMINMAX (CMakeLists.txt, on Windows): with UNICODE the Windows
#    API's A/W functions resolve to their W forms, as they will there.
#  - The Qt platform directory the Linux build adds (mkspecs/linux-g++, a Linux
#    qplatformdefs.h) is replaced by mkspecs/win32-g++.
#  - The host's qtgui-config.h switches on xcb, xcb_glx_plugin and egl, which declare the X11,
#    GLX and EGL native interfaces (QNativeInterface::QX11Application, QGLXContext,
#    QEGLContext) that Qt for Windows does not have. A copy with those three off is put ahead
#    of Qt's own in the include path. Every other feature keeps its Linux value: the public
#    headers of the modules the program uses (Core, Gui, Widgets, SerialPort, Charts, OpenGL)
#    test no other Linux-only one; the OpenGL ES and Vulkan switches they also test only add or
#    take away declarations that the program does not use.
#  - Qt's and QCoro's headers are system headers (-isystem), as in the Linux build: warnings
#    are checked in the project's own code only.
#  - The exports' libraries (libxlsxwriter, libmatio, zlib), which a Windows build takes from its
#    own packages (MSYS2: mingw-w64-x86_64-libxlsxwriter, -matio, -zlib), have no MinGW-w64
#    headers here either: the host's stand in, each header linked into a folder of its own
#    (build-windows-check/windows-libs), never /usr/include as a whole, which would stand before
#    MinGW-w64's own C library. Their declarations are plain C and the same on both systems.
#
# The include directories and definitions of the project's own targets are read from a CMake
# configuration of this tree (build-windows-check/, configured only for its generated headers
# such as version/Version.h and its compile_commands.json); moc and rcc output is not needed to check
# syntax. The compiler's flags are written to build-windows-check/windows.rsp.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh windows

cxx=x86_64-w64-mingw32-g++-posix
build=build-windows-check
rsp=$build/windows.rsp
jobs=$(nproc 2>/dev/null || echo 2)
shopt -s globstar nullglob

sources=(src/**/*.cpp)
if ((${#sources[@]} == 0)); then
    echo "check-windows: no sources under src/" >&2
    exit 2
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DYB_BUILD_TESTS=OFF >/dev/null

# Include directories and definitions of every compilation of a source under src/, in the order
# CMake gives them, each once. Directories that do not exist yet (moc's output) are left out.
flags=(-fsyntax-only -std=c++20 -fcoroutines -Wall -Wextra -Wpedantic -Werror
       -DUNICODE -D_UNICODE -DWIN32 -DWIN64 -D_ENABLE_EXTENDED_ALIGNED_STORAGE -DNOMINMAX
       -isystem "$build/qt-windows-overlay")
declare -A seen=()
while read -r -a words; do
    for ((i = 0; i < ${#words[@]}; i++)); do
        word=${words[i]} flag=()
        case $word in
            -isystem) flag=(-isystem "${words[++i]}") ;;
            -I?*) flag=(-I "${word#-I}") ;;
            -D?*) flag=("$word") ;;
            *) continue ;;
        esac
        if ((${#flag[@]} == 2)); then
            flag[1]=${flag[1]/\/mkspecs\/linux-g++/\/mkspecs\/win32-g++}
            [[ -d ${flag[1]} ]] || continue
        fi
        [[ -n ${seen["${flag[*]}"]:-} ]] && continue
        seen["${flag[*]}"]=1
        flags+=("${flag[@]}")
    done
done < <(jq -r --arg src "$(pwd -P)/src/" \
             '.[] | select(.file | startswith($src)) | .command' "$build/compile_commands.json")

# The Linux configuration's Qt feature switches, with the X11/GLX/EGL ones off (see above).
overlay=$build/qt-windows-overlay
rm -rf "$overlay"
for ((i = 0; i < ${#flags[@]}; i++)); do
    if [[ ${flags[i]} == -isystem && -f ${flags[i + 1]}/QtGui/qtgui-config.h ]]; then
        mkdir -p "$overlay/QtGui"
        sed -E 's/^(#define QT_FEATURE_(xcb|xcb_glx_plugin|egl)) +1 *$/\1 -1/' \
            "${flags[i + 1]}/QtGui/qtgui-config.h" >"$overlay/QtGui/qtgui-config.h"
        break
    fi
done
# The exports' libraries' headers, and only those (see above).
libs=$build/windows-libs
rm -rf "$libs"
mkdir -p "$libs"
for header in xlsxwriter.h xlsxwriter matio.h matio_pubconf.h zlib.h zconf.h; do
    ln -s "/usr/include/$header" "$libs/$header"
done
flags+=(-isystem "$libs")
printf '%s\n' "${flags[@]}" >"$rsp"

logs=$build/windows-logs
rm -rf "$logs"
mkdir -p "$logs"

check() {  # check <source>: prints "ok" or "FAILED" and the source; keeps the compiler's messages
    local log="$logs/${1//\//_}.log"
    if "$cxx" @"$rsp" "$1" >"$log" 2>&1; then
        echo "ok      $1"
    else
        echo "FAILED  $1"
        mv "$log" "$log.failed"
    fi
}
export -f check
export cxx rsp logs

echo "== $cxx @$rsp <source>  (${#sources[@]} sources, $jobs at a time)"
start=$SECONDS
printf '%s\0' "${sources[@]}" | xargs -0 -P "$jobs" -n 1 bash -c 'check "$1"' check
failed=("$logs"/*.failed)
echo "== ${#sources[@]} sources, ${#failed[@]} failed, $((SECONDS - start)) s"
if ((${#failed[@]} > 0)); then
    cat "${failed[@]}"
    exit 1
fi
