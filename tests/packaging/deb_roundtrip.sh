#!/usr/bin/env bash
# The Debian package's round trip on this machine: lintian finds no error, it
# installs with dpkg, `qor --version`, `man qor` and the bash completion work,
# and it removes leaving none of its files. It installs into /usr, so that
# part needs root and a machine where qor is not installed already (CI's is
# fresh); elsewhere it is skipped, saying so. The package is removed at the
# end, whatever happens.
#   tests/packaging/deb_roundtrip.sh qor_VERSION_ARCH.deb
set -euo pipefail
deb=$(realpath "$1")
fail() { echo "deb_roundtrip: FAILED: $*" >&2; exit 1; }

echo "== lintian"
# In a home of its own: it makes XDG folders in the one it is given, and
# reads no user settings there.
scratch=$(mktemp -d)
status=0
report=$(HOME=$scratch XDG_CONFIG_HOME=$scratch XDG_DATA_HOME=$scratch \
  lintian --fail-on error --display-level '>=warning' "$deb" 2>&1) || status=$?
rm -rf "$scratch"
grep -v -e '^running with root' -e '^$' <<<"$report" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
echo "no errors"

package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
if [ "$(id -u)" -ne 0 ]; then
  echo "deb_roundtrip: SKIPPED installing $package: it needs root (it installs into /usr)"
  exit 0
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'installed'; then
  echo "deb_roundtrip: SKIPPED installing $package: it is installed on this machine already; not touching it"
  exit 0
fi
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')

echo "== dpkg -i"
trap 'dpkg --purge "$package" >/dev/null 2>&1 || true' EXIT
dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
while IFS= read -r file; do
  [ -e "$file" ] || fail "$file is not installed"
done <<<"$files"
echo "$(wc -l <<<"$files") files installed"

[ "$(command -v qor)" = /usr/bin/qor ] || fail "qor is not /usr/bin/qor on the PATH"
[ "$(qor --version)" = "qor $version" ] || fail "qor --version says '$(qor --version)', not 'qor $version'"
echo "qor --version: qor $version"

page=$(man -w qor 2>/dev/null) || fail "man finds no page qor (is /usr/share/man excluded in /etc/dpkg/dpkg.cfg.d?)"
warnings=$(MANWIDTH=80 man --warnings qor 2>&1 >/dev/null) || fail "man qor failed: $warnings"
[ -z "$warnings" ] || fail "man qor warns: $warnings"
text=$(MANWIDTH=80 man qor 2>/dev/null)
[[ "$text" == *"EXIT STATUS"* ]] || fail "man qor shows no EXIT STATUS section"
echo "man qor: $page"

completion=$(bash -c 'source /usr/share/bash-completion/completions/qor &&
  COMP_WORDS=(qor dec) COMP_CWORD=1 && _qor && echo "${COMPREPLY[*]}"') || fail "the bash completion does not load"
[ "$completion" = decrypt ] || fail "completing 'qor dec' gives '$completion'"
echo "bash completion: qor dec -> $completion"

echo "== dpkg --purge"
dpkg --purge "$package" >/dev/null || fail "dpkg --purge failed"
dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' && fail "$package is still installed"
while IFS= read -r file; do
  [ ! -e "$file" ] || fail "$file is left after the removal"
done <<<"$files"
[ ! -e /usr/share/doc/"$package" ] || fail "/usr/share/doc/$package is left after the removal"
echo "removed, no file left"
echo "deb_roundtrip: passed"
