#!/usr/bin/env bash
# Cross-builds the Windows program with Debian's mingw-w64 (statically
# linked) and packs it; prints the paths of varno.exe, the zip (with the
# README and the licence) and the MSI installer, one a line.
# Usage: scripts/package-windows.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win-pkg}
scripts/deps.sh windows >&2

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVARNO_WITH_QT=OFF -DVARNO_BUILD_TESTS=OFF >&2
cmake --build "$build" -j"$(nproc)" --target varno_windows_packages >&2
cat "$build/packaging/windows/packages.txt"
