#!/usr/bin/env bash
# What the desktop sees of the program, checked with the validators and
# against the build's own names and version, so that a renamed target or a
# version bump cannot leave one of them behind.
# Usage: metadata_test.sh desktop|metainfo|manpage|icons
#        SOURCE_DIR PACKAGING_BINARY_DIR EXECUTABLE VERSION TITLE DESKTOP_ID
set -uo pipefail
what=$1 src=$2 gen=$3 exe=$4 version=$5 title=$6 id=$7
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed"; exit 77; }; }
warning_ja='警告:このソフトを小さい子供に見せないでください。'
desktop=$src/packaging/$id.desktop metainfo=$gen/$id.metainfo.xml
key() { sed -n "s/^$1=//p" "$desktop"; }

case $what in
desktop)
  need desktop-file-validate
  out=$(desktop-file-validate "$desktop" 2>&1)
  check "desktop-file-validate is silent" '[ -z "$out" ] || { echo "$out"; false; }'
  check "Exec, Icon and StartupWMClass match the build" '[ "$(key Exec)" = "$exe" ] && [ "$(key Icon)" = "$id" ] && [ "$(key StartupWMClass)" = "$exe" ]'
  check "Name and Name[ja] are the title" '[ "$(key Name)" = "$title" ] && [ "$(key "Name\[ja\]")" = "$title" ]'
  ;;
metainfo)
  need appstreamcli
  out=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1)
  check "appstreamcli validate --no-net --pedantic passes" '[ $? -eq 0 ] || { echo "$out"; false; }'
  check "id, launchable and binary match the build" 'grep -q "<id>$id</id>" "$metainfo" && grep -q ">$id.desktop</launchable>" "$metainfo" && grep -q "<binary>$exe</binary>" "$metainfo"'
  check "the newest release is the project version" '[ "$(grep -o "<release version=\"[^\"]*\"" "$metainfo" | head -1)" = "<release version=\"$version\"" ]'
  check "the description carries the warning in both languages" 'grep -q "$warning_ja" "$metainfo" && tr "\n" " " <"$metainfo" | grep -c "do not show this program to small children" >/dev/null'
  check "the changelog's newest entry is the project version" '[[ "$(head -1 "$src/packaging/changelog")" == "$exe ($version) "* ]]'
  ;;
manpage)
  need man
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$gen/$exe.1" 2>&1 >/dev/null)
  check "groff renders the page without a warning" '[ -z "$out" ] || { echo "$out"; false; }'
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$gen/$exe.1" 2>/dev/null)
  check "names the version, the settings file and the registry file" 'grep -q "$exe $version" "$gen/$exe.1" && grep -qF "$title.conf" <<<"$text" && grep -qF "/etc/xdg/$title/registry.reg" <<<"$text"'
  check "carries the warning" 'grep -qF "$warning_ja" <<<"$text" && grep -q "small children" <<<"$text"'
  ;;
icons)
  need identify
  for n in 16 22 24 32 48 64 128 256; do
    check "${n} px icon is $n by $n" '[ "$(identify -format "%w %h" "$src/resources/icons/hicolor/${n}x${n}/apps/$id.png")" = "$n $n" ]'
  done
  check "the Windows icon holds 16, 32, 48 and 256 px" '[ "$(identify -format "%w\n" "$src/resources/varno.ico" | sort -n | xargs)" = "16 32 48 256" ]'
  ;;
*) echo "unknown check $what" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ]
