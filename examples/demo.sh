#!/usr/bin/env bash
# The road of a sequence file through the suite, on the bundled examples:
# blank-line-separated sequences get separator lines, are joined into one
# file, numbered, cut, rewritten for other dancers and compared side by side.
#
# usage: examples/demo.sh [BIN_DIR]   (default: build/bin of this tree)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build/bin}
bin=$(cd "$bin" && pwd)
export PATH="$bin:$PATH"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/club.txt" "$here/workshop.txt" "$work/"
cd "$work"

step() { printf '\n== %s\n$ %s\n' "$1" "$2"; bash -c "$2" 2>&1; }
# Separator lines show as "^L" so that the output reads on any terminal.
show() { sed 's/\f/^L/g' "$@"; }
export -f show

step "Put separator lines between the sequences of each file" \
  "pagemark < club.txt > club.seq && pagemark < workshop.txt > workshop.seq && grep -c \$'^\\f' club.seq workshop.seq"
step "Join both files into one sequence file" \
  "chainup club.seq workshop.seq > all.seq && probelist club.seq all.seq"
step "Number the titles 1, 2, 3 and on" \
  "tallyup all.seq > numbered.seq && awk 'p { print; p = 0 } /^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) / { p = 1 }' numbered.seq"
step "Cut sequences 2 and 3 out of it" \
  "rangepick 2,3 numbered.seq"
step "Exchange each boy with his partner in the pictures" \
  "callmorph partner < 00reader.txt > partner.txt"
step "Compare the old and the new text side by side" \
  "twocol 00reader.txt partner.txt | show"
step "Keep only the call text, in small letters" \
  "callmorph rmpic < partner.txt | callmorph lower | show"
