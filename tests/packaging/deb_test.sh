#!/usr/bin/env bash
# The Debian package as a user gets it.
#   build    scripts/package.sh into BUILD_DIR (the other checks use its .deb)
#   lintian  no error from lintian; every remaining tag is printed
#   control  the dependencies no library link shows, the conffile, the warning
#   run      unpacked into a scratch root and started from its desktop entry's
#            Exec line under Xvfb: the window shows with the promised class
# Usage: deb_test.sh build|lintian|control|run SOURCE_DIR BUILD_DIR VERSION TITLE DESKTOP_ID
set -uo pipefail
what=$1 src=$2 build=$3 version=$4 title=$5 id=$6
here=$(cd "$(dirname "$0")" && pwd)
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed"; exit 77; }; }
deb=$(ls "$build"/varno_"$version"_*.deb 2>/dev/null | head -1)
[ "$what" = build ] || [ -n "$deb" ] || { echo "no package in $build"; exit 1; }

case $what in
build)
  need dpkg-shlibdeps
  "$src/scripts/package.sh" "$build"
  ;;
lintian)
  need lintian
  lintian --info --pedantic --show-overrides "$deb" 2>&1 | grep -v '^N:'
  check "lintian reports no error" 'lintian --fail-on error "$deb" >/dev/null 2>&1'
  ;;
control)
  depends=$(dpkg-deb -f "$deb" Depends)
  for d in qt6-qpa-plugins qt6-translations-l10n libqt6svg6 "fonts-noto-cjk | fonts-vlgothic | fonts-ipafont-gothic" libqt6widgets6; do
    check "Depends on $d" '[[ ", $depends," == *", $d"[,\ ]* ]]'
  done
  check "Recommends hardinfo and the Wayland plugin" '[ "$(dpkg-deb -f "$deb" Recommends)" = "hardinfo, qt6-wayland" ]'
  # Read whole before matching: grep -q would stop reading early, and the
  # writer's broken pipe would fail the pipeline now and then.
  check "Description carries the warning" '[[ "$(dpkg-deb -f "$deb" Description)" == *"do not show this program to small children"* ]]'
  check "the registry file in /etc/xdg is the one conffile" '[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles)" = "/etc/xdg/$title/registry.reg" ]'
  ;;
run)
  for tool in Xvfb xdotool xprop; do need "$tool"; done
  [ -n "${INSIDE_XVFB:-}" ] || exec env INSIDE_XVFB=1 "$here/../support/with_xvfb.sh" "$0" "$@"
  scratch=$(mktemp -d)
  trap 'kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
  root=$scratch/root
  dpkg-deb -x "$deb" "$root"
  # The user's own settings stay out of reach: everything points into scratch.
  export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config
  export XDG_CONFIG_DIRS=$root/etc/xdg XDG_DATA_DIRS=$root/usr/share:/usr/share PATH=$root/usr/bin:$PATH
  mkdir -p "$XDG_CONFIG_HOME"
  entry=$root/usr/share/applications/$id.desktop
  $(sed -n 's/^Exec=//p' "$entry") >"$scratch/out.log" 2>&1 &
  pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
  check "the window shows" '[ -n "$win" ]'
  # Desktops match StartupWMClass against the instance Qt names after the executable.
  check "its WM_CLASS instance is StartupWMClass" '[[ "$(xprop -id "$win" WM_CLASS)" == *"= \"$(sed -n "s/^StartupWMClass=//p" "$entry")\","* ]]'
  kill -TERM "$pid"
  wait "$pid"
  check "it ends cleanly on SIGTERM, its settings in the scratch home" '[ $? -eq 0 ] && [ -f "$XDG_CONFIG_HOME/$title.conf" ]'
  [ "$failures" -eq 0 ] || sed 's/^/  /' "$scratch/out.log"
  ;;
*) echo "unknown check $what" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ]
