#!/usr/bin/env bash
# The manual page and the bash completion against what qor really has: every
# command and option its --help lists, every method name its options take,
# every exit status cli/commands.h defines.
#   docs_cover_options.sh QOR MANPAGE COMPLETION COMMANDS_H
set -euo pipefail
qor=$1 manpage=$2 completion=$3 commands_h=$4
failures=0
fail() { echo "docs_cover_options: $*" >&2; failures=$((failures + 1)); }

# The page as text, troff's escaped hyphens plain.
page=$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$manpage")
source "$completion"
complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _qor; echo " ${COMPREPLY[*]} "; }

commands=$("$qor" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')
[ -n "$commands" ] || fail "qor --help lists no commands"
top=$(complete_words qor '')
for command in $commands; do
  [[ "$top" == *" $command "* ]] || fail "completion does not offer the command $command"
  grep -q "^\.BI \"$command " <<<"$page" || fail "the manual page has no entry for the command $command"
  help=$("$qor" "$command" --help)
  offered=$(complete_words qor "$command" -)
  for option in $(grep -oE '^ +(-[a-z],)?--[a-z-]+' <<<"$help" | tr ',' ' '); do
    [[ "$offered" == *" $option "* ]] || fail "completion does not offer $command $option"
    grep -qE "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page" || fail "the manual page does not mention $option ($command)"
  done
  # Option values listed as TEXT:{a,b}, e.g. the methods.
  while IFS=' ' read -r option values; do
    [ -n "$option" ] || continue
    offered=$(complete_words qor "$command" "$option" '')
    for value in ${values//,/ }; do
      [[ "$offered" == *" $value "* ]] || fail "completion does not offer $value after $command $option"
      grep -qw -- "$value" <<<"$page" || fail "the manual page does not mention $value ($command $option)"
    done
  done < <(sed -nE 's/^ +(-[a-z],)?(--[a-z-]+) [A-Z]+:\{([a-z,]+)\}.*/\2 \3/p' <<<"$help")
done

for option in $("$qor" --help | grep -oE '^ +(-[a-z],)?--[a-z-]+' | tr ',' ' '); do
  grep -qE "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page" || fail "the manual page does not mention qor $option"
done

statuses=$(sed -nE 's/.*constexpr int kExit[A-Za-z]+ = ([0-9]+);.*/\1/p' "$commands_h")
[ -n "$statuses" ] || fail "no exit statuses found in $commands_h"
section=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH/p' <<<"$page")
for status in $statuses; do
  grep -qx "\.B $status" <<<"$section" || fail "the manual page's EXIT STATUS does not list $status"
done

[ "$failures" -eq 0 ] || exit 1
echo "docs_cover_options: the manual page and the completion cover $(echo $commands) and their options"
