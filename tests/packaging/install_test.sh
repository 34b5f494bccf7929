#!/usr/bin/env bash
# cmake --install of a build tree into a staging folder: every file lands
# where the freedesktop and GNU conventions put it, and nothing else lands.
# Usage: install_test.sh BUILD_DIR PREFIX FULL_SYSCONFDIR TITLE DESKTOP_ID
set -uo pipefail
build=$1 prefix=$2 sysconfdir=$3 title=$4 id=$5
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" >"$stage/install.log" 2>&1 || { cat "$stage/install.log"; exit 1; }
rm "$stage/install.log"
expected=$(
  printf '%s\n' "$prefix/bin/varno" "$prefix/share/applications/$id.desktop" \
    "$prefix/share/metainfo/$id.metainfo.xml" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" \
    "$prefix/share/man/man1/varno.1.gz" "$prefix/share/doc/varno/copyright" \
    "$prefix/share/doc/varno/changelog.gz" "$prefix/share/lintian/overrides/varno" \
    "$sysconfdir/xdg/$title/registry.reg"
  for n in 16 22 24 32 48 64 128 256; do echo "$prefix/share/icons/hicolor/${n}x$n/apps/$id.png"; done
)
actual=$(cd "$stage" && find . -type f -o -type l | sed 's|^\.||')
diff <(sort <<<"$expected") <(sort <<<"$actual") || { echo "not ok - installed files differ"; exit 1; }
[ -x "$stage$prefix/bin/varno" ] || { echo "not ok - the program is not executable"; exit 1; }
echo "ok - exactly the expected files are installed"
