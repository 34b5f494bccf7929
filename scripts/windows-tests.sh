#!/usr/bin/env bash
# Cross-compiles the Windows platform services, the window-free logic and
# their tests with mingw-w64, and runs the tests under Wine in a throwaway
# prefix: the Win32 tests with a Western ANSI code page (1252), then every
# test with the Japanese one (932), among them the Windows packages' tests
# (tests/packaging/windows), which install the MSI in a prefix of their own.
# Then the program itself in real windows, on a private X server with a
# window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-win
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)
start=$SECONDS

# GoogleTest from Debian's sources, built once with the same toolchain.
gtest_prefix=$build/googletest-install
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$build/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -Dgtest_disable_pthreads=ON \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" >/dev/null
  cmake --build "$build/googletest" -j"$jobs" >/dev/null
  cmake --install "$build/googletest" >/dev/null
fi

cmake -S . -B "$build/varno" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DVARNO_WITH_QT=OFF -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
cmake --build "$build/varno" -j"$jobs"
built=$SECONDS

# A Japanese locale of our own, so the system's locales stay as they are.
locales=$build/locale
if [ ! -d "$locales/ja_JP.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8"
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/varno-wine.XXXXXX")
cleanup() {
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX=$prefix VARNO_SCRATCH_WINEPREFIX=1
unset LOCPATH LANGUAGE

/usr/lib/wine/wineserver -p  # one server for the whole run
scripts/wine-run.sh wineboot --init 2>/dev/null
booted=$SECONDS
echo "Windows tests: cross-build $((built - start)) s, Wine prefix $((booted - built)) s"

cd "$build/varno"
# Western Windows first, only the Win32 tests; then Japanese Windows, all.
echo "== Under Wine, ANSI code page 1252"
LC_ALL=C.UTF-8 ctest --output-on-failure -j"$jobs" --timeout 600 -L windows
echo "== Under Wine, ANSI code page 932"
LOCPATH=$locales LC_ALL=ja_JP.UTF-8 ctest --output-on-failure -j"$jobs" --timeout 600
tested=$SECONDS
echo "== varno.exe in real windows under Wine"
LC_ALL=C.UTF-8 timeout 600 "$root/tests/ui/win32/wine_window_test.sh" "$build/varno/ui/win32/varno.exe" \
  "$build/varno/tests/platform/win32/marker_tool.exe" "$build/varno/tests/ui/win32/win32_ui_tests.exe"
echo "Windows tests: unit tests $((tested - booted)) s, real windows $((SECONDS - tested)) s"
