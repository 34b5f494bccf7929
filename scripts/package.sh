#!/usr/bin/env bash
# Builds the Debian package, build-pkg/varno_<version>_<arch>.deb, and
# prints its path. Usage: scripts/package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-pkg}
scripts/deps.sh test >&2

# Debian's own compiler and linker flags (hardening: fortify, stack
# protector, relro, bindnow), as a package built by debhelper gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DVARNO_BUILD_TESTS=OFF >&2
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/*.deb
