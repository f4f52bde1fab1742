#!/usr/bin/env bash
# Peak resident memory of every filter streaming a large generated file.
#
# usage: bench/memory.sh [SIZE_MIB]   (default 1024: a 1 GiB file)
# Each program must stay below 16 MiB whatever the size of its input; the
# last table shows that memory follows the longest line instead: the same
# runs on a small file holding one line of 32 MiB.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
size=${1:-1024}
dir=${BENCH_DIR:-/tmp/seq-bench}
bin="$root/build/bin"
mkdir -p "$dir"
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

big="$dir/big-$size.seq"
blank="$dir/blank-$size.seq"
long="$dir/long-line.seq"
[ -f "$big" ] || python3 "$here/generate.py" "$size" "$big"
[ -f "$blank" ] || python3 "$here/generate.py" "$size" "$blank" --blank
[ -f "$long" ] || { printf '\nFri Sep 21\nLong 1\n'; head -c $((32 * 1024 * 1024)) /dev/zero | tr '\0' 'x'; printf '\n\f\nSat\nShort 2\n'; } > "$long"

limit_kib=$((16 * 1024))
status=0
# peak NAME INPUT CMD: runs CMD (with $IN set to INPUT) and prints its peak RSS.
peak() {
  local name=$1 in=$2 cmd=$3 report kib
  report=$(mktemp)
  (cd "$dir" && IN="$in" BIN="$bin" /usr/bin/time -f %M -o "$report" bash -c "$cmd" >/dev/null 2>&1) || true
  kib=$(tail -n 1 "$report")
  rm -f "$report"
  printf '%-22s %8d KiB %s\n' "$name" "$kib" "$4"
  if [ "$4" = "limited" ] && [ "$kib" -ge "$limit_kib" ]; then status=1; fi
}

run_all() {
  local in=$1 blank_in=$2 mode=$3
  peak "rangepick" "$in" 'exec "$BIN/rangepick" -q 1000,2000 "$IN"' "$mode"
  for keyword in partner lower rmpic switchhs join; do
    peak "callmorph $keyword" "$in" "exec \"\$BIN/callmorph\" $keyword < \"\$IN\"" "$mode"
  done
  peak "tallyup" "$in" 'exec "$BIN/tallyup" "$IN"' "$mode"
  peak "pagemark" "$blank_in" 'exec "$BIN/pagemark" < "$IN"' "$mode"
  peak "chainup F F" "$in" 'exec "$BIN/chainup" "$IN" "$IN"' "$mode"
  peak "probelist" "$in" 'exec "$BIN/probelist" "$IN"' "$mode"
  peak "twocol F F" "$in" 'exec "$BIN/twocol" "$IN" "$IN"' "$mode"
  peak "tailclip" "$in" 'exec "$BIN/tailclip" < "$IN"' "$mode"
}

echo "== peak memory on a $size MiB file (limit $limit_kib KiB)"
run_all "$big" "$blank" limited
echo "== peak memory on a file with one 32 MiB line (grows with the line, no limit)"
run_all "$long" "$long" unlimited
rm -f "$dir/00reader.txt" "$dir/0Xreader.txt"
exit $status
