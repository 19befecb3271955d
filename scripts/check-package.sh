#!/usr/bin/env bash
# Checks a Debian package made by scripts/package.sh: lintian (no error), the desktop entry and
# the AppStream metadata validated, then installed with dpkg: the program runs from the PATH and
# prints its version, the menu entry, its icon and the man page are there; then removed with dpkg:
# nothing that the package installed is left. Runs as root, or with sudo.
#   scripts/check-package.sh build-package/yb-downloader_<version>_<arch>.deb
set -euo pipefail
if (($# != 1)) || [[ ! -f $1 ]]; then
    echo "usage: scripts/check-package.sh PACKAGE.deb" >&2
    exit 2
fi
deb=$(realpath "$1")
cd "$(dirname "$0")/.."
scripts/bootstrap.sh package

as_root=()
if [[ $(id -u) -ne 0 ]]; then as_root=(sudo); fi

passed=0
failed=0
check() {  # check <what> <command...>: runs the command, counts and reports the outcome
    local what=$1; shift
    if "$@"; then
        passed=$((passed + 1)); echo "check-package: ok      $what"
    else
        failed=$((failed + 1)); echo "check-package: FAILED  $what"
    fi
}

name=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
upstream=${version#*:}; upstream=${upstream%-*}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The package as it is.
check "lintian reports no error" lintian --fail-on error --tag-display-limit 0 "$deb"
dpkg-deb -x "$deb" "$work/root"
desktop=("$work"/root/usr/share/applications/*.desktop)
metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
check "one desktop entry, one metainfo file" test ${#desktop[@]} -eq 1 -a -f "${desktop[0]}" -a ${#metainfo[@]} -eq 1 -a -f "${metainfo[0]}"
check "desktop-file-validate" desktop-file-validate "${desktop[0]}"
check "appstreamcli validate --no-net" appstreamcli validate --no-net "${metainfo[0]}"
check "metainfo names this version" grep -q "<release version=\"$upstream\"" "${metainfo[0]}"
app_id=$(basename "${desktop[0]}" .desktop)

# Install. A copy left over from an earlier check goes first, so that what exists afterwards is
# what this package left behind.
if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
    echo "check-package: removing the installed $name first"
    "${as_root[@]}" dpkg -r "$name" >/dev/null
fi
mapfile -t paths < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$')
existed=()
for p in "${paths[@]}"; do
    if [[ -e $p ]]; then existed+=("$p"); fi
done
check "dpkg -i" "${as_root[@]}" dpkg -i "$deb"

program_on_path() { [[ $(command -v yb-downloader) == /usr/bin/yb-downloader ]]; }
prints_version() {  # without any display
    local out
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM yb-downloader --version) || return 1
    echo "  $out"
    [[ $out == "yb-downloader $upstream" ]]
}
menu_entry() {  # installed, valid, its program and icon found, listed for the data file types
    local entry=/usr/share/applications/$app_id.desktop icon
    [[ -f $entry ]] && desktop-file-validate "$entry" || return 1
    [[ $(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry") == yb-downloader ]] || return 1
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ -f /usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || return 1
    for size in 16 32 48 128 256; do
        [[ -f /usr/share/icons/hicolor/${size}x$size/apps/$icon.png ]] || return 1
    done
    grep -q "^text/csv=.*$app_id.desktop" /usr/share/applications/mimeinfo.cache
}
check "yb-downloader on the PATH" program_on_path
check "yb-downloader --version prints $upstream" prints_version
check "menu entry with its icon" menu_entry
check "man page" test "$(man -w yb-downloader)" = /usr/share/man/man1/yb-downloader.1.gz
exports_through_the_writers() {  # Excel and MATLAB: the writers' module found where it was put
    local fmt
    for fmt in xlsx mat; do
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u YB_EXPORT_WRITERS yb-downloader \
            export fuzz/corpus/data_file_reader/example.csv --format "$fmt" -o "$work/out.$fmt" \
            >/dev/null || return 1
        [[ -s $work/out.$fmt ]] || return 1
    done
}
check "export to Excel and MATLAB" exports_through_the_writers

# Remove: every path that the package brought must be gone, unless it was there before.
check "dpkg -r" "${as_root[@]}" dpkg -r "$name"
nothing_left() {
    local p e left=0
    for p in "${paths[@]}"; do
        [[ -e $p || -L $p ]] || continue
        for e in "${existed[@]}"; do [[ $p == "$e" ]] && continue 2; done
        echo "  left behind: $p"; left=1
    done
    ! dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q ' installed$' && ((left == 0))
}
check "nothing left after dpkg -r (${#paths[@]} paths)" nothing_left

echo "check-package: $passed passed, $failed failed"
((failed == 0))
