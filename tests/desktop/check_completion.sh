#!/usr/bin/env bash
# Usage: check_completion.sh COMPLETION [VELMORA4_CLI]
# Completes command lines of velmora4-cli through bash and bash-completion, as
# a TAB would: subcommands, options, invariant names, documents for --doc and
# figure files for --out. With the program, each subcommand's options as
# completed must be the options its --help lists.
set -uo pipefail
export LC_ALL=C
completion=$1
cli=${2:-}
framework=/usr/share/bash-completion/bash_completion
[ -r "$framework" ] || { echo "FAIL: bash-completion is not installed (tools/deps.sh installs it)"; exit 1; }
# shellcheck source=/dev/null
source "$framework"
# shellcheck source=/dev/null
source "$completion"
failures=0

# The words a TAB at the end of LINE offers, sorted, one line.
complete_line() {
  local line=$1
  COMP_LINE=$line
  COMP_POINT=${#line}
  # Bash splits the line into words at blanks and at '=' (COMP_WORDBREAKS).
  read -r -a COMP_WORDS <<< "${line//=/ = }"
  [[ $line == *" " || $line == *"=" ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _velmora4_cli velmora4-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

expect() {  # LINE WANT: the completions of LINE are exactly WANT (sorted)
  local got
  got=$(complete_line "$1")
  if [ "$got" != "$2" ]; then
    echo "FAIL: '$1' completes to '$got', not '$2'"
    failures=$((failures + 1))
  fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir figures
touch torus.vm4 Clifford.VM4 notes.txt fig.png fig.svg fig.pdf fig.jpg

expect "velmora4-cli " "--help --version background const eval invariants lines locus partials points print render render3d"
expect "velmora4-cli re" "render render3d"
expect "velmora4-cli render --o" "--out"
expect "velmora4-cli eval --" "--acc --at --dir --help"
expect "velmora4-cli locus --kind g" "gauss"
expect "velmora4-cli locus --kind=s" "semiumbilical strong-principal"
expect "velmora4-cli lines --foliations " "1 2 3"
expect "velmora4-cli points --class " "0 1 2 3 4"
expect "velmora4-cli lines --class " "1 2 3 4 5 6 7"
expect "velmora4-cli render --points " "0 1 2 3 4"
expect "velmora4-cli locus --doc " "Clifford.VM4 figures torus.vm4"
expect "velmora4-cli render --doc=t" "torus.vm4"
expect "velmora4-cli render --out " "fig.pdf fig.png fig.svg figures"
expect "velmora4-cli render --out fig.s" "fig.svg"
expect "velmora4-cli print --pdf " "fig.pdf figures"
expect "velmora4-cli eval --at " ""

if [ -n "$cli" ]; then
  for sub in $("$cli" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }'); do
    expect "velmora4-cli $sub -" "$("$cli" "$sub" --help | grep -o -- '--[a-z][a-z-]*' | sort -u | xargs)"
  done
fi

if ((failures)); then exit 1; fi
echo "bash completion of velmora4-cli: subcommands, options, values and files as expected"
