#!/usr/bin/env bash
# Usage: check_man_pages.sh PAGE... [--cli VELMORA4_CLI CLI_PAGE]
# Renders each manual page with man -l and fails on any warning of the
# formatter or a missing section. With --cli, the page of velmora4-cli must
# have a section for every subcommand the program lists, and in it every
# option that the subcommand's --help lists.
set -euo pipefail
export LC_ALL=C.UTF-8 MANWIDTH=80
fail() { echo "FAIL: $*"; exit 1; }
command -v man > /dev/null || fail "man is not installed (tools/deps.sh installs man-db)"

pages=()
cli="" cliPage=""
while (($#)); do
  if [ "$1" = --cli ]; then cli=$2 cliPage=$3; shift 3; else pages+=("$1"); shift; fi
done

for page in "${pages[@]}"; do
  errors=$(man --warnings -l "$page" 2>&1 > /dev/null) || fail "man -l $page failed: $errors"
  [ -z "$errors" ] || fail "$page: $errors"
  text=$(man -l "$page" 2> /dev/null | col -b)
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" "SEE ALSO"; do
    grep -q "^$section\$" <<< "$text" || fail "$page has no section $section"
  done
done

if [ -n "$cli" ]; then
  # The roff source with its escaped hyphens as plain ones.
  source=$(sed 's/\\-/-/g' "$cliPage")
  subcommands=$("$cli" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')
  [ -n "$subcommands" ] || fail "velmora4-cli --help lists no subcommands"
  for sub in $subcommands; do
    # The section of the subcommand: from its .SS line to the next .SS or .SH.
    section=$(awk -v name="$sub" '/^\.S[SH] / { word = $2; gsub(/"/, "", word); inside = $1 == ".SS" && word == name }
      inside' <<< "$source")
    [ -n "$section" ] || fail "$cliPage has no section for the subcommand $sub"
    for option in $("$cli" "$sub" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      [ "$option" = --help ] && continue
      grep -q -- "$option\\b" <<< "$section" || fail "$cliPage does not describe $option of $sub"
    done
  done
  # No section for a subcommand that is gone.
  for sub in $(sed -n '/^\.SH SUBCOMMANDS/,/^\.SH [^S]/p' "$cliPage" | awk '$1 == ".SS" { gsub(/"/, "", $2); print $2 }'); do
    grep -qx "$sub" <<< "$subcommands" || fail "$cliPage describes $sub, which velmora4-cli does not have"
  done
fi
echo "manual pages ${pages[*]}: rendered without warnings${cli:+, every subcommand and option of velmora4-cli described}"
