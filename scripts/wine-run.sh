#!/usr/bin/env bash
# Runs a Windows program under Wine in the scratch prefix that
# windows-tests.sh made. Refuses the user's own prefix.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ "$WINEPREFIX" = "${HOME:-}/.wine" ]; then
  echo "wine-run.sh: set WINEPREFIX to a scratch prefix (scripts/windows-tests.sh does)" >&2
  exit 2
fi
# No Mono or Gecko downloads, and no menu entries or file associations
# written into the real desktop for what gets installed in the prefix.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64 || command -v wine)
exec "$wine64" "$@"
