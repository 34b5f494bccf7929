#!/usr/bin/env bash
# Checks what the desktop sees of the program before anything is installed:
# the desktop entry, the AppStream metadata, the manual page, the changelog
# and the icons, each against the validators and against the build's own
# names and version, so a renamed target or a version bump cannot leave one
# of them behind.
# Usage: metadata_test.sh desktop|metainfo|manpage|changelog|icons
#        SOURCE_DIR PACKAGING_BINARY_DIR EXECUTABLE VERSION TITLE DESKTOP_ID
set -uo pipefail
what=$1 src=$2 gen=$3 exe=$4 version=$5 title=$6 id=$7
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed"; exit 77; }; }

warning_ja='警告:このソフトを小さい子供に見せないでください。'
warning_ja2='意識障害やけいれんなどを引き起こす場合があります'

desktop=$src/packaging/$id.desktop
metainfo=$gen/$id.metainfo.xml
key() { sed -n "s/^$1=//p" "$desktop"; }

case $what in
desktop)
  need desktop-file-validate
  out=$(desktop-file-validate "$desktop" 2>&1)
  check "desktop-file-validate is silent" '[ -z "$out" ] || { echo "$out"; false; }'
  check "Exec starts the built executable" '[ "$(key Exec)" = "$exe" ]'
  check "Icon is the icon theme name of the installed icons" '[ "$(key Icon)" = "$id" ] && [ -f "$src/resources/icons/hicolor/48x48/apps/$id.png" ]'
  check "StartupWMClass is the window class Qt gives: the executable name" '[ "$(key StartupWMClass)" = "$exe" ]'
  check "Name is the program title" '[ "$(key Name)" = "$title" ]'
  check "Name[ja] is the program title" '[ "$(key "Name\[ja\]")" = "$title" ]'
  for k in GenericName Comment Keywords; do
    check "$k in English and Japanese" '[ -n "$(key $k)" ] && [ -n "$(key "$k\[ja\]")" ] && [ "$(key $k)" != "$(key "$k\[ja\]")" ]'
  done
  check "Categories names a main category" 'key Categories | grep -qE "(^|;)(Utility|Graphics|AudioVideo|Game);"'
  check "Comment warns of the flashing in both languages" 'key Comment | grep -q seizure && key "Comment\[ja\]" | grep -q 発作'
  check "not shown in a terminal" '[ "$(key Terminal)" = false ]'
  ;;
metainfo)
  need appstreamcli
  out=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1)
  check "appstreamcli validate --no-net --pedantic passes" '[ $? -eq 0 ] || { echo "$out"; false; }'
  check "no pedantic remark either" '! grep -qE "^[EWIP]:" <<<"$out" || { echo "$out"; false; }'
  x() { grep -o "$1" "$metainfo"; }
  check "id is the desktop id" 'grep -q "<id>$id</id>" "$metainfo"'
  check "launchable is the installed desktop file" 'grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"'
  check "provides the executable" 'grep -q "<binary>$exe</binary>" "$metainfo"'
  check "release is the project version" 'grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo"'
  check "the newest release listed is the project version" '[ "$(grep -c "<release " "$metainfo")" -ge 1 ] && [ "$(grep -o "<release version=\"[^\"]*\"" "$metainfo" | head -1)" = "<release version=\"$version\"" ]'
  check "project licence is MIT" 'grep -q "<project_license>MIT</project_license>" "$metainfo"'
  check "Japanese name is the title" 'grep -q "<name xml:lang=\"ja\">$title</name>" "$metainfo"'
  check "summary in English and Japanese" '[ "$(grep -c "<summary" "$metainfo")" = 2 ] && grep -q "<summary xml:lang=\"ja\">" "$metainfo"'
  check "description carries the warning in Japanese" 'grep -q "$warning_ja" "$metainfo" && grep -q "$warning_ja2" "$metainfo"'
  check "description carries the warning in English" 'tr "\n" " " <"$metainfo" | grep -q "do not show this program to small children"'
  check "has an OARS content rating" 'grep -q "<content_rating type=\"oars-1.1\"" "$metainfo"'
  ;;
manpage)
  need man
  page=$gen/$exe.1
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  check "groff renders the page without a warning" '[ -z "$out" ] || { echo "$out"; false; }'
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null)
  check "title line names the version" 'grep -q "^\.TH ${exe^^} 1 \"[0-9-]*\" \"$exe $version\"" "$page"'
  check "names the settings file" 'grep -qF "\$XDG_CONFIG_HOME/$title.conf" <<<"$text" && grep -qF "~/.config/$title.conf" <<<"$text"'
  check "names the four settings keys and their group" 'for k in MainLeft MainTop MainWidth MainHeight "\[Settings\]"; do grep -q "$k" <<<"$text" || exit 1; done'
  check "names the registry file" 'grep -qF "/etc/xdg/$title/registry.reg" <<<"$text"'
  check "names both registry places" 'grep -qF "Shared Tools\\MSINFO]" <<<"$text" && grep -qF "Shared Tools Location]" <<<"$text"'
  check "carries the warning in Japanese and English" 'grep -qF "$warning_ja" <<<"$text" && grep -qF "$warning_ja2" <<<"$text" && grep -q "small children" <<<"$text"'
  gz=$gen/$exe.1.gz
  check "the installed page is the same page, compressed" '[ -f "$gz" ] && gzip -dc "$gz" | cmp -s - "$page"'
  ;;
changelog)
  log=$src/packaging/changelog
  check "newest changelog entry is the project version" '[[ "$(head -1 "$log")" == "$exe ($version) "* ]]'
  release_date=$(grep -o "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" | grep -o '[0-9]\{4\}-[0-9-]*')
  log_date=$(sed -n 's/^ -- .*>  //p' "$log" | head -1)
  check "changelog and metadata give the same release date" '[ -n "$release_date" ] && [ "$(date -u -d "$log_date" +%F)" = "$release_date" ]'
  check "manual page gives the same release date" 'grep -q "^\.TH .* \"$release_date\" " "$gen/$exe.1"'
  ;;
icons)
  need identify
  hicolor=$src/resources/icons/hicolor
  for n in 16 22 24 32 48 64 128 256; do
    png=$hicolor/${n}x${n}/apps/$id.png
    check "${n}x$n icon is $n by $n pixels with transparency" '[ "$(identify -format "%w %h %A" "$png" 2>/dev/null)" = "$n $n True" ]'
  done
  check "the scalable icon is the program icon's drawing" 'cmp -s "$hicolor/scalable/apps/$id.svg" "$src/resources/varno.svg"'
  check "the 32 px hicolor icon is the program icon" 'cmp -s "$hicolor/32x32/apps/$id.png" "$src/resources/varno.png"'
  # The classic 16-colour palette, as #RRGGBB.
  palette=" #000000 #800000 #008000 #808000 #000080 #800080 #008080 #C0C0C0 #808080 #FF0000 #00FF00 #FFFF00 #0000FF #FF00FF #00FFFF #FFFFFF "
  colours=$(convert "$src/resources/varno.png" -alpha on txt:- | awk 'NR > 1 && $2 ~ /,255\)$/ { print substr($3, 1, 7) }' | sort -u)
  check "the 32 px icon has opaque pixels" '[ -n "$colours" ]'
  check "the 32 px icon keeps to the 16-colour palette" 'for c in $colours; do [[ "$palette" == *" $c "* ]] || { echo "  $c is not in the palette"; exit 1; }; done'
  check "the 32 px icon is fully opaque or fully transparent everywhere" '[ -z "$(convert "$src/resources/varno.png" -alpha on txt:- | awk "NR > 1 && \$2 !~ /,(0|255)\\)\$/")" ]'
  sizes=$(identify -format "%w " "$src/resources/varno.ico" 2>/dev/null)
  check "the Windows icon holds 16, 32, 48 and 256 px" '[ "$(tr " " "\n" <<<"$sizes" | sort -n | xargs)" = "16 32 48 256" ]'
  ;;
*) echo "unknown check $what" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ]
