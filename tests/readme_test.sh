#!/usr/bin/env bash
# Runs every example of the README: each "$ command" line of a console block,
# in README order, in one scratch copy of examples/, with the built programs
# first on the PATH. The lines after a command are its expected output
# (standard output and standard error together).
#
# usage: tests/readme_test.sh BIN_DIR README EXAMPLES_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
readme=$2
examples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples"/*.txt "$work/"
export PATH="$bin:$PATH"
unset QUIET_RANGEPICK TALLYUP_LABEL TALLYUP_START_NUMBER

commands=()
expected=()
in_block=0
while IFS= read -r line; do
  if [ $in_block -eq 0 ]; then
    [ "$line" = '```console' ] && in_block=1
    continue
  fi
  if [ "$line" = '```' ]; then
    in_block=0
  elif [[ $line == '$ '* ]]; then
    commands+=("${line#'$ '}")
    expected+=("")
  else
    expected[${#expected[@]}-1]+="$line"$'\n'
  fi
done < "$readme"

[ ${#commands[@]} -gt 0 ] || { echo "no examples found in $readme"; exit 1; }
failed=0
for i in "${!commands[@]}"; do
  got=$(cd "$work" && bash -c "${commands[$i]}" 2>&1; printf x)
  got=${got%x}
  if [ "$got" != "${expected[$i]}" ]; then
    failed=$((failed + 1))
    echo "README example failed: \$ ${commands[$i]}"
    diff <(printf '%s' "${expected[$i]}") <(printf '%s' "$got") | sed 's/^/    /'
  fi
done
echo "${#commands[@]} README examples, $failed failed"
[ $failed -eq 0 ]
