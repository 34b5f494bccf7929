#!/usr/bin/env bash
# cmake --install of a build tree into a staging folder: every file lands
# where the freedesktop and GNU conventions put it for the tree's prefix,
# and nothing lands anywhere else.
# Usage: install_test.sh BUILD_DIR PREFIX FULL_SYSCONFDIR TITLE DESKTOP_ID
set -uo pipefail
build=$1 prefix=$2 sysconfdir=$3 title=$4 id=$5
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" >"$stage.log" 2>&1
status=$?
check "cmake --install succeeds" '[ "$status" -eq 0 ] || { cat "$stage.log"; false; }'
rm -f "$stage.log"

p=$stage$prefix
expected=$(
  echo "$prefix/bin/varno"
  echo "$prefix/share/applications/$id.desktop"
  echo "$prefix/share/metainfo/$id.metainfo.xml"
  for n in 16 22 24 32 48 64 128 256; do echo "$prefix/share/icons/hicolor/${n}x$n/apps/$id.png"; done
  echo "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
  echo "$prefix/share/man/man1/varno.1.gz"
  echo "$prefix/share/doc/varno/copyright"
  echo "$prefix/share/doc/varno/changelog.gz"
  echo "$prefix/share/lintian/overrides/varno"
  echo "$sysconfdir/xdg/$title/registry.reg"
)
actual=$(cd "$stage" && find . -type f -o -type l | sed 's|^\.||')
check "exactly the expected files are installed" '[ "$(sort <<<"$expected")" = "$(sort <<<"$actual")" ] || diff <(sort <<<"$expected") <(sort <<<"$actual")'
check "the program is executable" '[ -x "$p/bin/varno" ]'
check "the registry file is under the configuration folder, in xdg" '[ -f "$stage$sysconfdir/xdg/$title/registry.reg" ]'
if [ "$prefix" = /usr ]; then
  check "with prefix /usr the configuration folder is /etc" '[ "$sysconfdir" = /etc ]'
fi
check "installed files are readable by everyone" '[ -z "$(find "$stage" -type f ! -perm -0444)" ]'
[ "$failures" -eq 0 ]
