#!/usr/bin/env bash
# Runs the effect benchmarks and the yardstick (a common open-source stereo filter, timed by lv2bench
# over the same 441000 frames in 512-frame blocks) in one run, and prints the cost ratios; our LV2 build
# is timed by lv2bench the same way, beside the yardstick.
#   bench/compare.sh [build-dir]     (default: build-bench, configured Release)
# On a shared machine run it under the build lock: flock /tmp/kavren-build.lock bench/compare.sh build-perf
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVREN_TESTS=OFF >/dev/null
fi
build="$(cd "$build" && pwd)"
cmake --build "$build" -j2 --target kavren_effect_bench kavren_instance_memory kavren-xl-lv2 >/dev/null
bench="$(find "$build" -name kavren_effect_bench -type f | head -n1)"
memory="$(find "$build" -name kavren_instance_memory -type f | head -n1)"

yardstick="http://calf.sourceforge.net/plugins/Filter"
# lv2bench prints the seconds spent on -n frames; the best of five runs before, between and after three
# rounds of the effect benchmark, whose cases also count with their best: other work on the machine only
# ever adds time, and on a shared machine it comes in bursts that can cover a whole round.
# Our LV2 bundle is found through LV2_PATH before anything installed; it runs at its initial settings.
ours="urn:quillmark:kavren-xl"
export LV2_PATH="$build/lv2:${LV2_PATH:-$HOME/.lv2:/usr/local/lib/lv2:/usr/lib/lv2}"
best=""
best_lv2=""
time_lv2bench() {
  for _ in 1 2 3 4 5; do
    s=$(lv2bench -n 441000 -b 512 "$yardstick" | awk '{print $1}')
    best=$(awk -v a="$s" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
    s=$(lv2bench -n 441000 -b 512 "$ours" | awk '{print $1}')
    best_lv2=$(awk -v a="$s" -v b="$best_lv2" 'BEGIN { print (b == "" || a < b) ? a : b }')
  done
}
cases=""
for _ in 1 2 3; do
  time_lv2bench
  cases+=$("$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_format=console 2>/dev/null)
  cases+=$'\n'
done
time_lv2bench
reference=$(awk -v s="$best" 'BEGIN { printf "%.2f", s * 1e9 / 441000 }')
echo "yardstick: $reference ns per stereo frame"
awk -v s="$best_lv2" -v ref="$reference" 'BEGIN {
  v = s * 1e9 / 441000
  printf "%-16s %8.2f ns per stereo frame  %5.2fx yardstick (our LV2 build in lv2bench)\n", "LV2 initial", v, v / ref }'

# Each case: the best of its fifteen repetitions, against the budget in multiples of the yardstick.
echo "$cases" | awk -v ref="$reference" '
    BEGIN { budget["InitialSettings"] = 1; budget["HeavyFilters"] = 2.2; budget["FullChain"] = 3.2 }
    /_min / && /ns_per_frame=/ {
      name = $1; sub(/\/.*/, "", name)
      match($0, /ns_per_frame=[0-9.]+/); v = substr($0, RSTART + 13, RLENGTH - 13) + 0
      if (!(name in best) || v < best[name]) best[name] = v
      if (!(name in order)) { order[name] = ++count; names[count] = name }
    }
    END {
      for (i = 1; i <= count; ++i) {
        name = names[i]; v = best[name]
        printf "%-26s %8.2f ns per stereo frame  %5.2fx yardstick", name, v, v / ref
        if (name in budget) printf " (budget %.1fx)", budget[name]
        printf "\n"
      }
    }'
"$memory"
