#!/usr/bin/env bash
# The Windows installer's round trip under Wine, in a fresh prefix, as a user
# meets it: a silent install puts every program in place with its shortcut
# and the uninstall entry, the main program starts from its shortcut and
# shows its dialog, and the silent uninstall leaves no file, shortcut or
# registry key behind. Runs in an X display (scripts/test-dist uses Xvfb).
#   tests/packaging/windows_roundtrip.sh SETUP.EXE STAGE
# STAGE is the folder `cmake --install` filled, which the installer packs.
set -euo pipefail
setup=$(realpath "$1")
stage=$(realpath "$2")
source "$(dirname "$0")/../../scripts/wine-env"
export WINEPREFIX="$root/build/wine-install-test"

fail() { echo "windows_roundtrip: FAILED: $*" >&2; exit 1; }
shopt -s nullglob
exes=("$stage"/*.exe)
[ ${#exes[@]} -gt 0 ] || fail "no programs in $stage"
drive="$WINEPREFIX/drive_c"
# Wine's output goes through a file: its helpers, started by any call, keep
# the standard output they inherit, and a pipe would not close.
out="$WINEPREFIX/output.txt"
winerun() {
  local status=0
  timeout 60 wine "$@" >"$out" 2>/dev/null || status=$?
  tr -d '\r' <"$out"
  return "$status"
}
regquery() { winerun reg query "$@"; }
regvalue() { regquery "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
# Everything in the prefix that an install could leave: files outside the
# temporary folders, and registry keys.
snapshot() {
  timeout 60 wineserver -w || true
  (cd "$drive" && find . -path '*/Temp' -prune -o -path ./windows/temp -prune -o -print | sort)
  sed -n 's/^\(\[[^]]*\]\).*/\1/p' "$WINEPREFIX"/*.reg | sort
}

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
timeout 180 wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix"
before=$(snapshot)
touch "$WINEPREFIX/installing"

timeout 120 wine "$setup" /S || fail "the silent install ended with status $?"
timeout 60 wineserver -w || true

echo "== Files"
programs_dir=
for exe in "${exes[@]}"; do
  name=$(basename "$exe")
  found=$(find "$drive"/Program* -name "$name" | head -n 1)
  [ -n "$found" ] || fail "$name is not installed"
  programs_dir=$(dirname "$found")
  cmp -s "$exe" "$found" || fail "$name is installed with other bytes than the release's"
  resources=$(x86_64-w64-mingw32-windres -i "$found" -O rc 2>/dev/null | grep -v '^ *0x')
  for kind in RT_ICON RT_MANIFEST VERSIONINFO; do
    grep -q "$kind" <<<"$resources" || fail "$name has no $kind resource"
  done
  echo "$name: installed, with icon, manifest and version"
done
for file in "$stage"/*; do
  [ -f "$programs_dir/$(basename "$file")" ] || fail "$(basename "$file") is not installed"
done
version_line=$(cd "$programs_dir" && winerun ./qor.exe --version)
version=${version_line#qor }
[[ "$version" =~ ^[0-9]+(\.[0-9]+)+$ ]] || fail "the installed qor.exe --version says '$version_line'"
echo "qor.exe --version: $version_line"

echo "== Uninstall entry"
uninstall_root='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
win_dir=$(winerun winepath -w "$programs_dir")
key=$(regquery "$uninstall_root" /s | awk -v dir="$win_dir" '
  /^HKEY_/ { key = $0 } index($0, "InstallLocation") && index($0, dir) { print key }' | head -n 1)
[ -n "$key" ] || fail "no uninstall entry has InstallLocation $win_dir"
echo "$key"
[ -n "$(regvalue "$key" DisplayName)" ] || fail "the uninstall entry has no DisplayName"
[ "$(regvalue "$key" DisplayVersion)" = "$version" ] || fail "DisplayVersion is not $version"
size_kb=$(( $(regvalue "$key" EstimatedSize) ))
actual_kb=$(( $(du -sb "$programs_dir" | cut -f1) / 1024 ))
(( size_kb >= actual_kb * 9 / 10 && size_kb <= actual_kb * 11 / 10 )) ||
  fail "EstimatedSize is $size_kb KB for $actual_kb KB of files"
quiet=$(regvalue "$key" QuietUninstallString)
uninstaller=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$quiet")
[ -n "$uninstaller" ] && [[ "$quiet" == *" /S" ]] || fail "no silent uninstall command: '$quiet'"
[ -f "$(winerun winepath -u "$uninstaller")" ] || fail "the uninstaller $uninstaller is missing"
echo "DisplayVersion $version, EstimatedSize $size_kb KB, $quiet"

echo "== Start-menu shortcuts"
shortcuts=$(find "$drive/ProgramData/Microsoft/Windows/Start Menu" "$drive"/users/*/*"Start Menu" \
  -name '*.lnk' -newer "$WINEPREFIX/installing" 2>/dev/null || true)
main_shortcut=
for exe in "${exes[@]}"; do
  name=$(basename "$exe")
  # Only the dialog programs have one: a console tool started from the menu
  # would close at once.
  [[ "$(objdump -p "$exe")" == *"(Windows GUI)"* ]] || continue
  shortcut=
  while IFS= read -r lnk; do
    if [[ "$(strings -a "$lnk")" == *"\\$name"* ]]; then shortcut=$lnk; fi
  done <<<"$shortcuts"
  [ -n "$shortcut" ] || fail "no Start-menu shortcut starts $name"
  echo "$name: ${shortcut#"$drive/"}"
  if [ "$name" = "QOR Peldar Windows Version.exe" ]; then main_shortcut=$shortcut; fi
done
[ -n "$main_shortcut" ] || fail "the main program is not among the programs"

echo "== .qor association"
decrypt="$stage/QOR Descifrar.exe"
if [ -f "$decrypt" ]; then
  progid=$(regquery 'HKCR\.qor' /ve | sed -n 's/^ *(Default) *REG_SZ *//p')
  [ -n "$progid" ] || fail ".qor is not associated"
  command=$(regquery "HKCR\\$progid\\shell\\open\\command" /ve | sed -n 's/^ *(Default) *REG_SZ *//p')
  [[ "$command" == *"QOR Descifrar.exe"*'"%1"'* ]] || fail ".qor opens with '$command'"
  echo ".qor: $progid, $command"
else
  regquery 'HKCR\.qor' >/dev/null && fail ".qor is associated, but there is no decrypt program"
  echo ".qor: not associated (no decrypt program in this release)"
fi

echo "== The main program from its shortcut"
timeout 30 wine start "$(winerun winepath -w "$main_shortcut")" >/dev/null 2>&1 ||
  fail "the shortcut does not start"
shown=
for _ in $(seq 150); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"QOR Windows Version -- Spanish"'; then shown=1; break; fi
  sleep 0.2
done
timeout 30 wineserver -k || true
[ -n "$shown" ] || fail "the installed main program showed no dialog"
echo "dialog shown"

echo "== Silent uninstall"
timeout 120 wine "$uninstaller" /S || fail "the silent uninstall ended with status $?"
after=$(snapshot)
left=$(diff <(echo "$before") <(echo "$after") | sed -n 's/^> //p' || true)
[ -z "$left" ] || fail "the uninstall left behind:
$left"
! grep -qi 'qor' "$WINEPREFIX"/*.reg || fail "the registry still names qor: $(grep -i qor "$WINEPREFIX"/*.reg)"
echo "nothing left"
echo "windows_roundtrip: passed"
