#!/usr/bin/env bash
# Builds the program, the pixel sampler and the stdin-driven window, prints
# the heap allocations of 100 flips and the cost of odd registry files, then
# measures the blinking surface from outside at 640×480, 1920×1080 and
# 3840×2160, periods 20 ms and 50 ms: on its own Xvfb, the server-filled
# surface, Qt's raster painting forced with VARNO_SURFACE=raster, Debian's
# chromium doing the same job in a page, and the Windows program
# (cross-built with mingw-w64) under Wine, with its tick log; under its own
# headless weston, the compositor-filled surface and Qt's raster painting
# again, with the presentation times weston reports.
# Prints two tables and writes bench/results/{,wayland_}{table.md,intervals.svg,results.json}.
# Then, on Xvfb with openbox at 60, 50 and 144 Hz, where in the refresh cycle
# each change falls, paced and painted (bench/refresh.py): bench/results/refresh_{table.md,results.json}.
# --refresh [ARGS] runs only that part (ARGS go to refresh.py, e.g. --rates 60 --sizes 3840x2160).
# Arguments go to bench.py (for example --sizes 640x480 --seconds 20, or
# --modes wayland,wayland-raster for the Wayland rows alone).
# Not part of the tests; takes about half an hour.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
wanted=(xvfb xdotool openbox libxcb-present-dev python3 chromium linux-perf libxcb1-dev pkg-config g++-mingw-w64-x86-64-posix wine64 weston qt6-wayland)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNO_BUILD_TESTS=OFF -DVARNO_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" --target varno flip_allocations registry_oddities varno_driver
cmake -S bench -B build-bench/probe -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench/probe
refresh() { python3 bench/refresh.py --varno build-bench/ui/qt/varno --vblank-probe build-bench/probe/varno_vblank_probe "$@"; }
if [ "${1:-}" = --refresh ]; then
  shift
  refresh "$@"
  exit
fi

cmake -S . -B build-bench-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVARNO_WITH_QT=OFF \
  -DVARNO_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench-win -j"$(nproc)" --target varno

build-bench/bench/registry/registry_oddities
tests/support/with_xvfb.sh -s 1024x768x24 env QT_QPA_PLATFORM=xcb build-bench/bench/allocations/flip_allocations
tests/support/with_weston.sh -s 1024x768 build-bench/bench/allocations/flip_allocations 2>/dev/null
python3 bench/bench.py --varno build-bench/ui/qt/varno --probe build-bench/probe/varno_probe \
  --wine-varno build-bench-win/ui/win32/varno.exe --driver build-bench/bench/driver/varno_driver "$@"
refresh
