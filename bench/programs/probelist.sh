# probelist over 2,000 small files, half of them sequence files, against
# head -n 2 over the same files. Each command goes over the files 20 times,
# so the times stay well above the clock's resolution.
probe_dir="$BENCH_DIR/probelist-files"
if [ ! -f "$probe_dir/f1999" ]; then
  mkdir -p "$probe_dir"
  python3 - "$probe_dir" <<'PY'
import sys
folder = sys.argv[1]
body = "".join(f"HEADS SQUARE THRU 4 line {i}\n" for i in range(60))
for i in range(2000):
    head = "\nMon Sep 7 2026  Club night\nFigure 1\n" if i % 2 == 0 else "Notes\n\n"
    with open(f"{folder}/f{i}", "w", encoding="ascii") as out:
        out.write(head + body)
PY
fi
measure probelist "for i in \$(seq 20); do '$BIN/probelist' '$probe_dir'/f*; done > copy.seq"
measure head-n2 "for i in \$(seq 20); do head -n 2 '$probe_dir'/f*; done > copy.seq"
ratio probelist head-n2 1.0
