#!/usr/bin/env bash
# The Debian package as a user gets it.
#   build    scripts/package.sh into BUILD_DIR (the other checks use its .deb)
#   lintian  no error from lintian; every remaining tag is printed
#   control  dependencies, conffile, description, maintainer, file list
#   run      unpacked into a scratch root, started from its desktop entry's
#            Exec line under Xvfb: the window shows, with the class and icon
#            the desktop entry promises, and closes cleanly
# Usage: deb_test.sh build|lintian|control|run SOURCE_DIR BUILD_DIR VERSION TITLE DESKTOP_ID
set -uo pipefail
what=$1 src=$2 build=$3 version=$4 title=$5 id=$6
here=$(cd "$(dirname "$0")" && pwd)
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed"; exit 77; }; }
deb_file() { ls "$build"/varno_"$version"_*.deb 2>/dev/null | head -1; }

case $what in
build)
  need dpkg-shlibdeps
  "$src/scripts/package.sh" "$build" || exit 1
  deb=$(deb_file)
  check "the package is named after the version and architecture" '[ "$deb" = "$build/varno_${version}_$(dpkg --print-architecture).deb" ]'
  ;;
lintian)
  need lintian
  deb=$(deb_file); [ -n "$deb" ] || { echo "no package in $build"; exit 1; }
  # Everything down to pedantic, for the log; only errors fail.
  lintian --info --display-info --pedantic --display-experimental --show-overrides "$deb" 2>&1 | grep -v '^N:'
  lintian --fail-on error "$deb" >/dev/null 2>&1
  check "lintian reports no error" '[ $? -eq 0 ]'
  ;;
control)
  deb=$(deb_file); [ -n "$deb" ] || { echo "no package in $build"; exit 1; }
  field() { dpkg-deb -f "$deb" "$1"; }
  depends=$(field Depends)
  for d in qt6-qpa-plugins qt6-translations-l10n libqt6svg6 "fonts-noto-cjk | fonts-vlgothic | fonts-ipafont-gothic"; do
    check "Depends on $d" '[[ ", $depends," == *", $d,"* ]]'
  done
  check "Depends computed from the binary's libraries" '[[ "$depends" == *libqt6widgets6* && "$depends" == *libc6* ]]'
  check "Recommends hardinfo" '[ "$(field Recommends)" = hardinfo ]'
  check "Version is the project version" '[ "$(field Version)" = "$version" ]'
  check "Section and Priority are set" '[ -n "$(field Section)" ] && [ "$(field Priority)" = optional ]'
  check "Maintainer is the team" '[ "$(field Maintainer)" = "ゾルテカ開発チーム <support@zoruteka.example>" ]'
  check "Description carries the warning" 'field Description | grep -q "do not show this program to small children"'
  ctl=$(mktemp -d); root=$(mktemp -d)
  trap 'rm -rf "$ctl" "$root"' EXIT
  dpkg-deb -e "$deb" "$ctl"; dpkg-deb -x "$deb" "$root"
  reg=/etc/xdg/$title/registry.reg
  check "the registry file is in /etc/xdg" '[ -f "$root$reg" ] && [ ! -e "$root/usr/etc" ]'
  check "the registry file is a conffile" '[ "$(cat "$ctl/conffiles")" = "$reg" ]'
  check "every file in /etc is a conffile" '[ "$(cd "$root" && find etc -type f | sed "s|^|/|" | sort)" = "$(sort "$ctl/conffiles")" ]'
  check "the registry file is the one in the sources" 'cmp -s "$root$reg" "$src/packaging/registry.reg"'
  check "the executable is stripped" '! readelf -S "$root/usr/bin/varno" | grep -qE "\.symtab|\.debug_"'
  check "the executable is built with relro and bind-now" 'readelf -d "$root/usr/bin/varno" | grep -q BIND_NOW && readelf -l "$root/usr/bin/varno" | grep -q GNU_RELRO'
  check "the manual page is installed compressed" 'gzip -t "$root/usr/share/man/man1/varno.1.gz"'
  check "the copyright file is machine-readable" 'head -1 "$root/usr/share/doc/varno/copyright" | grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"'
  check "desktop entry, metadata and icons are in place" '[ -f "$root/usr/share/applications/$id.desktop" ] && [ -f "$root/usr/share/metainfo/$id.metainfo.xml" ] && [ -f "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" ] && [ "$(ls "$root"/usr/share/icons/hicolor/*/apps/$id.png | wc -l)" = 8 ]'
  check "every file is owned by root" '[ -z "$(dpkg-deb -c "$deb" | awk "\$2 != \"root/root\"")" ]'
  check "md5sums cover every file" '[ "$(wc -l <"$ctl/md5sums")" = "$(cd "$root" && find . -type f | wc -l)" ] && (cd "$root" && md5sum --quiet -c "$ctl/md5sums")'
  ;;
run)
  for tool in Xvfb xdotool xprop; do need "$tool"; done
  [ -n "${INSIDE_XVFB:-}" ] || exec env INSIDE_XVFB=1 "$here/../support/with_xvfb.sh" "$0" "$@"
  deb=$(deb_file); [ -n "$deb" ] || { echo "no package in $build"; exit 1; }
  scratch=$(mktemp -d)
  trap 'kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
  root=$scratch/root
  dpkg-deb -x "$deb" "$root"
  # The user's own settings stay out of reach: everything points into scratch.
  export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config
  export XDG_CONFIG_DIRS=$root/etc/xdg XDG_DATA_DIRS=$root/usr/share:/usr/share
  export PATH=$root/usr/bin:$PATH
  mkdir -p "$XDG_CONFIG_HOME"
  entry=$root/usr/share/applications/$id.desktop
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  # Qt names the window's instance after the executable and its class after
  # the application name (the title, outside Latin-1): desktops match
  # StartupWMClass against either, so it names the instance.
  wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
  check "the Exec line finds the unpacked program" '[ "$(command -v "${exec_line%% *}")" = "$root/usr/bin/varno" ]'
  $exec_line >"$scratch/out.log" 2>&1 &
  pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
  check "the window shows" '[ -n "$win" ]'
  if [ -n "$win" ]; then
    check "its WM_CLASS instance is the desktop entry's StartupWMClass" 'xprop -id "$win" WM_CLASS | grep -q "= \"$wm_class\","'
    check "its title is the program title" 'xprop -id "$win" _NET_WM_NAME | grep -qF "\"$title\""'
    # Qt may set the icon just after mapping the window: wait for it.
    for _ in $(seq 100); do xprop -id "$win" _NET_WM_ICON | grep -q "Icon (32 x 32)" && break; sleep 0.1; done
    check "it carries the program icon" 'xprop -id "$win" _NET_WM_ICON | grep -q "Icon (32 x 32)" || { xprop -id "$win" _NET_WM_ICON | grep Icon; false; }'
  fi
  kill -TERM "$pid"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  wait "$pid"; status=$?
  check "it ends cleanly on SIGTERM" '[ "$status" -eq 0 ]'
  check "its settings went to the scratch home" '[ -f "$XDG_CONFIG_HOME/$title.conf" ]'
  [ "$failures" -eq 0 ] || { echo "program output:"; sed 's/^/  /' "$scratch/out.log"; }
  ;;
*) echo "unknown check $what" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ]
