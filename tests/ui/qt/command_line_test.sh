#!/usr/bin/env bash
# The built program with no display at all answers --help and --version, and
# refuses an option it does not know, in the terminal.
# Usage: command_line_test.sh path/to/varno
set -uo pipefail
varno=$1 err=$(mktemp)
trap 'rm -f "$err"' EXIT
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
run() { out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$varno" "$@" 2>"$err"); status=$?; }

run --help
check "--help prints the usage and the warning, and exits 0" '[ $status = 0 ] && [ ! -s "$err" ] &&
  [ "$(head -1 <<<"$out")" = "Usage: varno [--help | --version]" ] && grep -q "警告:このソフトを小さい子供に" <<<"$out"'
run --version
check "--version prints the version and exits 0" '[ $status = 0 ] && [ "$(head -1 <<<"$out")" = "varno (ゾルテカ) 1.4.0" ]'
run --frobnicate
check "an unknown option exits 2 with one line on standard error, pointing to --help" '[ $status = 2 ] && [ -z "$out" ] &&
  [ "$(cat "$err")" = "varno: unknown option '"'"'--frobnicate'"'"'; try '"'"'varno --help'"'"'" ]'
check "a help that cannot be written is a failure" '! env -u DISPLAY "$varno" --help >/dev/full 2>/dev/null'
[ "$failures" -eq 0 ]
