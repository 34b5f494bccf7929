#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNO_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
exec build/ui/qt/varno "$@"
