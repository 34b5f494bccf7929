#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running or testing needs,
# only those that are missing. Usage: deps.sh run|test|windows
set -euo pipefail

run_packages=(
  cmake g++ make
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6
  qt6-translations-l10n fonts-noto-cjk
  qt6-qpa-plugins
  pkg-config libxcb1-dev libxcb-present-dev libxcb-randr0-dev libxcb-shape0-dev
  libwayland-dev wayland-protocols qt6-base-private-dev qt6-wayland
)
# Cross-building and packing the Windows program.
windows_packages=(
  cmake make
  g++-mingw-w64-x86-64-posix wixl msitools
)
test_packages=(
  "${run_packages[@]}"
  "${windows_packages[@]}"
  googletest libgtest-dev
  xvfb xdotool x11-utils x11-xserver-utils imagemagick openbox weston
  desktop-file-utils appstream lintian dpkg-dev man-db
  wine64 locales
)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  *) echo "usage: $0 run|test|windows" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
