#!/usr/bin/env bash
# Throughput benchmark: each program against `cat` of the same data, and
# against the generic tool closest to its job, in one run on one machine.
#
# usage: bench/run.sh [SIZE_MIB] [PROGRAM...]
# Builds the release preset first. Prints one line per measurement and the
# ratios the suite aims for. Data lives in $BENCH_DIR (default /tmp/seq-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
size=${1:-256}
shift || true
export BENCH_DIR=${BENCH_DIR:-/tmp/seq-bench}
export BIN="$root/build/bin"
mkdir -p "$BENCH_DIR"

cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

export BIG="$BENCH_DIR/big-$size.seq"
export BLANK="$BENCH_DIR/blank-$size.seq"
[ -f "$BIG" ] || python3 "$here/generate.py" "$size" "$BIG"
[ -f "$BLANK" ] || python3 "$here/generate.py" "$size" "$BLANK" --blank

# seconds CMD: the best wall time of five runs of a shell command, to the
# millisecond. Before each run the outputs of the last one are removed and
# the disk is let catch up, outside the timing, so that no run pays for
# writing back its predecessor.
seconds() {
  local best="" start end t
  for _ in 1 2 3 4 5; do
    rm -f copy.seq 00reader.txt 0Xreader.txt
    sync
    start=$EPOCHREALTIME
    bash -c "$1" >/dev/null 2>/dev/null || true
    end=$EPOCHREALTIME
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$t; fi
  done
  echo "$best"
}

# measure NAME CMD: prints and records the time of CMD under NAME.
declare -A TIME
measure() {
  TIME[$1]=$(seconds "$2")
  printf '%-28s %8.3f s\n' "$1" "${TIME[$1]}"
}

# ratio A B LIMIT: prints A/B and whether it stays within LIMIT.
ratio() {
  awk -v a="${TIME[$1]}" -v b="${TIME[$2]}" -v lim="$3" -v n1="$1" -v n2="$2" 'BEGIN {
    r = (b > 0) ? a / b : 0
    printf "%-28s %6.2fx %-14s (limit %sx) %s\n", n1, r, "of " n2, lim, (r <= lim ? "ok" : "OVER")
  }'
}

cd "$BENCH_DIR"
measure cat "cat '$BIG' > copy.seq"
measure cat-blank "cat '$BLANK' > copy.seq"

programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
  for f in "$here"/programs/*.sh; do programs+=("$(basename "$f" .sh)"); done
fi
for p in "${programs[@]}"; do
  echo "== $p"
  # shellcheck source=/dev/null
  source "$here/programs/$p.sh"
done
rm -f copy.seq
