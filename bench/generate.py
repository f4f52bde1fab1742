#!/usr/bin/env python3
"""Writes a large, realistic sequence file for the benchmarks.

usage: generate.py SIZE_MIB OUTPUT [--blank]

Sequences open with a date line and a numbered title line, hold call text
and dancer pictures, and are set apart by form-feed lines. With --blank the
sequences are set apart by blank lines instead (the input pagemark expects).
The output is the same for the same arguments.
"""
import random
import sys

CALLS = [
    "HEADS SQUARE THRU 4", "SIDES PASS THE OCEAN", "SWING THRU, BOYS RUN",
    "FERRIS WHEEL, CENTERS PASS THRU", "ALLEMANDE LEFT", "RIGHT AND LEFT GRAND",
    "HEAD BOY RUN, SIDE GIRL TRADE", "BEND THE LINE", "TOUCH 1/4, SCOOT BACK",
    "HEADLINER U-TURN BACK", "OUTHEADS TRADE", "1B AND 3G STAR THRU",
    "PASS THRU, TRADE BY", "RECYCLE, SWEEP 1/4", "COUPLES CIRCULATE",
    "heads lead right, veer left", "sides rollaway, star thru",
]
DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MARKS = "^V<>"


def picture(rng):
    dancers = [f"{c}{g}" for c in "1234" for g in "BG"]
    rng.shuffle(dancers)
    rows = []
    for row in range(2):
        cells = [d + rng.choice(MARKS) for d in dancers[row * 4:row * 4 + 4]]
        rows.append("  " + "  ".join(cells))
    return [rows[0], "  .    .    .    .", rows[1]]


def sequence(rng, number):
    lines = [f"{rng.choice(DAYS)} Sep {rng.randint(1, 28)} 2026  Club night",
             f"Figure for tonight {number}"]
    for _ in range(rng.randint(3, 6)):
        lines.append(rng.choice(CALLS))
        if rng.random() < 0.5:
            lines.append("")
            lines.extend(picture(rng))
            lines.append("")
    lines.append("RIGHT AND LEFT GRAND")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    size = int(sys.argv[1]) * 1024 * 1024
    blank = "--blank" in sys.argv[3:]
    rng = random.Random(7)
    pool = [sequence(rng, 0) for _ in range(500)]
    joiner = "\n" if blank else "\f\n"
    written = 0
    number = 1
    with open(sys.argv[2], "w", encoding="ascii", newline="\n") as out:
        out.write("\n")
        chunk = []
        while written < size:
            text = pool[number % len(pool)].replace("tonight 0", f"tonight {number}", 1)
            piece = (joiner if number > 1 else "") + text
            chunk.append(piece)
            written += len(piece)
            number += 1
            if len(chunk) >= 4096:
                out.write("".join(chunk))
                chunk.clear()
        out.write("".join(chunk))


if __name__ == "__main__":
    main()
