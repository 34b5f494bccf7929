#!/usr/bin/env bash
# Builds the installer with wixl, then mends three things that wixl 0.101
# cannot express. Usage: build-msi.sh WXS FILES_DIR OUTPUT.msi
set -euo pipefail
wxs=$(realpath "$1") files=$2 out=$(realpath -m "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# libmsi encodes table strings in the code page of WINDOWS_LANGUAGE (and
# wixl drops any string that does not fit it); Japanese means 932.
export WINDOWS_LANGUAGE=ja
(cd "$files" && wixl --arch x64 --output "$work/varno.msi" "$wxs")

# 1. The tables' code page, so that the strings read the same on Windows of
#    any language: wixl leaves it neutral, which means "the system's own".
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
# 2. Rebuilt packages of the same version replace each other too (WiX's
#    AllowSameVersionUpgrades): the upgrade row's maximum becomes inclusive
#    (attribute 512), which wixl's MajorUpgrade cannot ask for.
msiinfo export "$work/varno.msi" Upgrade \
  | sed 's/\t1\t\tWIX_UPGRADE_DETECTED\r$/\t513\t\tWIX_UPGRADE_DETECTED\r/' >"$work/Upgrade.idt"
grep -q $'\t513\t\tWIX_UPGRADE_DETECTED\r$' "$work/Upgrade.idt" \
  || { echo "build-msi.sh: wixl wrote an upgrade table this script does not know" >&2; exit 1; }
# 3. The package's language: wixl always writes "x64;1033".
summary() { msiinfo suminfo "$work/varno.msi" | sed -n "s/^$1: //p"; }
msibuild "$work/varno.msi" -i "$work/_ForceCodepage.idt" -i "$work/Upgrade.idt" \
  -s "$(summary Subject)" "$(summary Author)" "x64;1041" "$(summary 'Revision number (UUID)')"

mv "$work/varno.msi" "$out"
