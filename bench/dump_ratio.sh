#!/usr/bin/env bash
# The 80-column normal dump of the largest capture against xxd on the same
# file: CPU time (user + system) of each, run in turns, and their ratio.
#   bench/dump_ratio.sh [RUNS] [VX5CVT]
# RUNS (7 by default) runs of each; VX5CVT times another build (an older one,
# for comparison) instead of the release build made in build-bench/.
# Prints the best run of each and the ratio of the two best runs, and the
# ratio of the CPU times summed over all runs. Target: at most 0.25.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
v=${2:-build-bench/vx5cvt}
command -v xxd >/dev/null || { apt-get update -qq && apt-get install -y -qq xxd; }
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVX_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench -j2 --target vx5cvt make_bench_captures >/dev/null
data=bench/data
mkdir -p "$data"
[ -f "$data/async.dt" ] || build-bench/make_bench_captures "$data"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# CPU seconds (user + system, to the millisecond) of one run of a command,
# its output discarded.
cpu() {
  local TIMEFORMAT='%3U %3S'
  { time "$@" >/dev/null 2>&1 </dev/null || true; } 2>"$out/time"
  awk '{ printf "%.3f\n", $1 + $2 }' "$out/time"
}

ours=() theirs=()
for _ in $(seq "$runs"); do
  ours+=("$(cpu "$v" "$data/async.dt" "$out/listing")")
  theirs+=("$(cpu sh -c "xxd '$data/async.dt' > '$out/xxd'")")
done
printf 'normal dump, 80 columns: %s\n' "${ours[*]}"
printf 'xxd:                     %s\n' "${theirs[*]}"
printf '%s\n' "${ours[*]}" "${theirs[*]}" | awk '
  { best[NR] = $1; sum[NR] = 0
    for (i = 1; i <= NF; ++i) { sum[NR] += $i; if ($i < best[NR]) best[NR] = $i } }
  END {
    printf "best of %d: %.3f s against %.3f s, ratio %.3f\n", NF, best[1], best[2], best[1] / best[2]
    printf "summed:     %.3f s against %.3f s, ratio %.3f\n", sum[1], sum[2], sum[1] / sum[2]
  }'
