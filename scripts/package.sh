#!/usr/bin/env bash
# Builds the Debian package from this checkout: a release build (no tests, no benchmarks) in
# build-package/, then `cpack -G DEB`. Its dependencies come from dpkg-shlibdeps; the compiler
# and linker flags are Debian's (dpkg-buildflags, with every hardening option). Extra arguments go
# to CMake, e.g. -DYB_INSTALL_SIMULATOR=ON. The package's path is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh package

build=build-package
jobs=$(nproc 2>/dev/null || echo 2)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CXXFLAGS_MAINT_STRIP=-g      # the package's binary is stripped anyway
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
    -DYB_BUILD_TESTS=OFF \
    -DYB_INSTALL_SIMULATOR=OFF \
    "$@" >/dev/null
cmake --build "$build" -j "$jobs"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
debs=("$PWD/$build"/*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f ${debs[0]} ]]; then
    echo "package: expected one package in $build, found: ${debs[*]}" >&2
    exit 1
fi
echo "${debs[0]}"
