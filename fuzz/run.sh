#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for
# SECONDS (default 5) on a copy of its seed corpus. Fails when a target
# finds a crash or a property violation; what it found is left in
# build-fuzz/fuzz/findings/<target>/.
#
#   fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
build=build-fuzz
targets=(line_reader rangepick callmorph tallyup pagemark)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSUITE_FUZZ=ON -DSUITE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_targets -j2

declare -A dict=([rangepick]=rangepick [callmorph]=callmorph [tallyup]=sequence [pagemark]=sequence)
failed=()
for target in "${targets[@]}"; do
  work="$build/fuzz/work/$target"
  findings="$build/fuzz/findings/$target"
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  cp fuzz/corpus/"$target"/* "$work"/
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$findings/")
  if [[ -n ${dict[$target]:-} ]]; then
    options+=(-dict="fuzz/${dict[$target]}.dict")
  fi
  echo "== $target: ${seconds}s"
  if "$build/fuzz/${target}_fuzz" "${options[@]}" "$work" >"$findings/log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$findings/log" || true
  else
    tail -n 40 "$findings/log"
    failed+=("$target")
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: findings in ${failed[*]}; the inputs are in $build/fuzz/findings/"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each and found nothing"
