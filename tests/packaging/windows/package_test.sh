#!/usr/bin/env bash
# The Windows downloads as a user meets them: the program and the zip, then
# the installer under Wine in a throwaway prefix with a Western code page.
# Usage: package_test.sh files|msi PACKAGES_TXT OBJDUMP VERSION TITLE SOURCE_DIR
set -uo pipefail
what=$1 version=$4 title=$5 src=$6
{ read -r exe; read -r zip; read -r msi; } <"$2"
files=$(dirname "$exe") gen=$(dirname "$2")
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }

if [ "$what" = files ]; then
  pe=$("$3" -p "$exe")
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$pe" | tr 'A-Z\n' 'a-z ')
  check "GUI-subsystem PE32+" 'grep -q "^Magic.*(PE32+)" <<<"$pe" && grep -q "^Subsystem.*(Windows GUI)" <<<"$pe"'
  # What every Windows 10 has in System32: no compiler runtime, no Qt.
  system='(advapi32|comctl32|comdlg32|gdi32|imm32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32|uxtheme|version|winmm|api-ms-win-.*)\.dll'
  check "imports only system DLLs: $dlls" '[ -n "$dlls" ] && ! tr " " "\n" <<<"$dlls" | grep -Evx "$system|"'
  check "the zip holds varno.exe, README.md and LICENSE.txt" '[ "$(cmake -E tar tf "$zip" | sort | tr "\n" " ")" = "LICENSE.txt README.md varno.exe " ]'
  exit $((failures > 0))
fi

export WINEPREFIX LC_ALL=C.UTF-8
WINEPREFIX=$(mktemp -d) scratch=$(mktemp -d)
trap '/usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX" "$scratch"' EXIT
wine() { "$src/scripts/wine-run.sh" "$@" 2>/dev/null; }
install() { wine msiexec /i "Z:${1//\//\\}" /qn; }
code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
# A registry key as UTF-8 text; nothing when it is missing.
key() { rm -f "$scratch/k.reg"; wine reg export "$1" "Z:${scratch//\//\\}\\k.reg" /y >/dev/null && iconv -f UTF-16 -t UTF-8 "$scratch/k.reg" | tr -d '\r'; }
entry() { key "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"; }
# Another build of the same source, of version $1.
variant() { sed "s/Version=\"$version\"/Version=\"$1\"/" "$gen/varno.wxs" >"$scratch/v.wxs" && "$src/packaging/windows/build-msi.sh" "$scratch/v.wxs" "$files" "$scratch/$1.msi"; }
lnk() { find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$title.lnk" -exec cat {} + | tr -d '\0'; }
folder="$WINEPREFIX/drive_c/Program Files/$title"
settings="HKCU\\Software\\VB and VBA Program Settings\\$title\\Settings"

wine wineboot --init && wine winecfg -v win7
check "refused on Windows 7" '! install "$msi" && [ ! -e "$folder" ]'
wine winecfg -v win10 && install "$msi"
pc=$(code "$msi") e=$(entry "$pc")
check "installs on Windows 10 into Program Files\\$title" \
  'cmp -s "$folder/varno.exe" "$exe" && [ -f "$folder/README.md" ] && [ -f "$folder/LICENSE.txt" ]'
check "a Start-menu shortcut to the program, with the icon" 'l=$(lnk); [[ $l == *varno.exe* && $l == *"$pc\\varno.ico"* ]]'
check "an uninstall entry: $title $version by ゾルテカ開発チーム" \
  'grep -qx "\"DisplayName\"=\"$title\"" <<<"$e" && grep -qx "\"DisplayVersion\"=\"$version\"" <<<"$e" && grep -qx "\"Publisher\"=\"ゾルテカ開発チーム\"" <<<"$e"'
check "the uninstall entry names the folder it installed into" \
  'grep -Fqx "\"InstallLocation\"=\"C:\\\\Program Files\\\\$title\\\\\"" <<<"$e"'
check "registered for the machine" 'key "HKCR\\Installer\\Products" | grep -cx "\"ProductName\"=\"$title\"" >/dev/null'

wine reg add "$settings" /v MainWidth /d 7000.5 /f >/dev/null  # as the program leaves it
variant "$version" && install "$scratch/$version.msi"
check "a rebuild of $version replaces it" '[ -z "$(entry "$pc")" ] && [ -n "$(entry "$(code "$scratch/$version.msi")")" ]'
variant 99.0.0 && install "$scratch/99.0.0.msi"; newer=$(code "$scratch/99.0.0.msi")
check "so does a newer version" '[ -z "$(entry "$(code "$scratch/$version.msi")")" ] && [ -n "$(entry "$newer")" ]'
check "an older version is refused" '! install "$msi" && [ -z "$(entry "$pc")" ]'

# What Settings → Apps runs, made quiet.
cmd=$(wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$newer" /v UninstallString | sed -n 's/.*REG_EXPAND_SZ *//p' | tr -d '\r')
check "its uninstall command ($cmd) removes folder, shortcut and entry" \
  '[ -n "$cmd" ] && wine $cmd /qn && [ ! -e "$folder" ] && [ -z "$(lnk)" ] && [ -z "$(entry "$newer")" ]'
check "and leaves the user's settings" 'key "$settings" | grep -cx "\"MainWidth\"=\"7000.5\"" >/dev/null'
exit $((failures > 0))
