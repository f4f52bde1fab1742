#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks what lands there:
# the programs, their manual pages, the second name of callmorph and the
# completions, and that the installed programs run.
set -euo pipefail
build=$1
shift
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install: $*" >&2; exit 1; }
for program in "$@"; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
  [ -f "$prefix/share/man/man1/$program.1" ] || fail "share/man/man1/$program.1 missing"
done
for completion in callmorph rangepick; do
  [ -f "$prefix/share/bash-completion/completions/$completion" ] || fail "completion $completion missing"
  bash -c "source '$prefix/share/bash-completion/completions/$completion'" || fail "completion $completion fails"
done

if [[ " $* " == *" callmorph "* ]]; then
  [ -L "$prefix/bin/rmpic" ] || fail "bin/rmpic is not a link"
  # Started under its second name without arguments, callmorph drops the
  # pictures, the dots lines and the empty lines.
  got=$(printf 'HEADS STAR THRU\n\n  1B^  1G^\n  .    .\nALLEMANDE LEFT\n' | "$prefix/bin/rmpic")
  [ "$got" = $'HEADS STAR THRU\nALLEMANDE LEFT' ] || fail "rmpic wrote: $got"
fi
if [[ " $* " == *" rangepick "* ]]; then
  work=$(mktemp -d)
  printf '\nMon\nT 1\n\f\nTue\nT 2\n' > "$work/in.seq"
  (cd "$work" && QUIET_RANGEPICK=1 "$prefix/bin/rangepick" 2,2 in.seq) || fail "rangepick failed"
  [ "$(cat "$work/00reader.txt")" = $'\nTue\nT 2' ] || fail "rangepick wrote the wrong range"
  rm -rf "$work"
fi
echo "install: ok"
