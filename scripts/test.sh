#!/usr/bin/env bash
# Builds everything and runs every test: once in a normal build, once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

scripts/check-layers.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

run() {  # run <build dir> <cmake options...>
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== build and test (build/)"
run build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== build and test under ASan + UBSan (build-asan/)"
run build-asan -DCMAKE_BUILD_TYPE=Debug -DYB_SANITIZE=ON -DYB_BUILD_BENCHMARKS=OFF
