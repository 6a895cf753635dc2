#!/usr/bin/env bash
# Writes the transcript of every command in commands.txt: the command, its
# exit status, its standard output and error, and a digest of every file it
# wrote. The time a background took is the only thing that may change
# between runs; it is blanked.
# Usage: transcript.sh VELMORA4_CLI [COMMANDS_FILE]
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
commands=${2:-$here/commands.txt}
# Qt orders the fonts of a PDF by a hash that is seeded anew in every process.
export QT_HASH_SEED=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  folder="$work/run"
  rm -rf "$folder"; mkdir -p "$folder"
  cp "$here/monge.vm4" "$folder/"
  echo "\$ velmora4-cli $line"
  status=0
  (cd "$folder" && eval "\"$cli\" $line" >"$work/out" 2>"$work/err") || status=$?
  echo "status $status"
  sed -E 's/"ms":[-0-9.eE+]+/"ms":_/' "$work/out" >"$work/out.n"
  # Long outputs (polylines) are kept as their size and digest.
  if [ "$(stat -c %s "$work/out.n")" -le 4000 ]; then
    cat "$work/out.n"
  else
    echo "stdout $(wc -l <"$work/out.n") lines $(stat -c %s "$work/out.n") bytes $(sha256sum "$work/out.n" | cut -c1-16)"
  fi
  sed 's/^/stderr: /' "$work/err"
  for f in $(cd "$folder" && ls | sort); do
    [ "$f" = monge.vm4 ] && continue
    case "$f" in
      # The PDF writer stamps the creation time and a document id.
      *.pdf) digest=$(grep -av -e '^/CreationDate' -e '^/ID' -e 'CreationDate' "$folder/$f" | sha256sum | cut -c1-16) ;;
      *) digest=$(sha256sum "$folder/$f" | cut -c1-16) ;;
    esac
    echo "file $f $(stat -c %s "$folder/$f") $digest"
  done
done <"$commands"
