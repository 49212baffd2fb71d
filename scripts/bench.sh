#!/usr/bin/env bash
# The benchmark as the user waits for it: builds the optimised velmora.exe,
# drives it with the black-box harness (../shared/harness, or $VELMORA_HARNESS)
# through its perf scenarios under Wine, and prints one table of medians.
#   scripts/bench.sh [runs]        (default 5 runs of every scenario: the host is noisy)
# Figures are read, never asserted: this is not part of the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
runs=${1:-5}
source_harness=${VELMORA_HARNESS:-$root/../shared/harness}
harness=$build/harness
release=$build/release-win

"$root/scripts/deps.sh"
[ -d "$source_harness" ] || { echo "no harness at $source_harness (set VELMORA_HARNESS)" >&2; exit 2; }

echo "Building the optimised program..."
"$root/scripts/build-release.sh" >/dev/null 2>&1
cmake --build "$release" -j "$(nproc)" --target minimal_dialog >/dev/null

echo "Preparing the harness in $harness..."
rm -rf "$harness"
cp -r "$source_harness" "$harness"
chmod -R u+w "$harness"
make -s -C "$harness" >/dev/null
export VELMORA_ACCEPTANCE_CACHE=$build/harness-cache

# The resident size is sampled from Linux while a scenario runs: the peak
# VmRSS of the Wine process whose command line names the program.
sampler='
sample_rss() {
  ( best=0; seen=0; end=$((SECONDS + 240))
    while [ $SECONDS -lt $end ]; do
      pid=$(pgrep -f "$1" | head -n1 || true)
      if [ -n "$pid" ]; then
        seen=1
        r=$(awk "/^VmRSS/ { print \$2 }" /proc/$pid/status 2>/dev/null || true)
        [ -n "$r" ] && [ "$r" -gt "$best" ] && best=$r
      elif [ $seen = 1 ]; then break; fi
      sleep 0.05
    done
    echo "$best" > "$OUT/rss-kb.txt" ) </dev/null >/dev/null 2>&1 &
}
'
# perf/startup with the sampler, and the same for the minimal dialog program.
mem=$harness/perf/startup-memory
cp -r "$harness/perf/startup" "$mem"
{ printf '%s\n' "$sampler"; echo 'sample_rss "velmora\\.exe"'; } >>"$mem/setup.sh"
floor=$harness/perf/minimal-memory
mkdir -p "$floor"
{ printf '%s\n' "$sampler"; echo 'sample_rss "minimal_dialog\\.exe"'; } >"$floor/setup.sh"
printf 'clock\nlaunch ${APP}\nclock startup\nsleep 1500\nkill\n' >"$floor/steps.txt"
# The same, filling the screen as velmora.exe does.
floor_max=$harness/perf/minimal-maximised-memory
mkdir -p "$floor_max"
cp "$floor/setup.sh" "$floor_max/"
printf 'clock\nlaunch ${APP} maximised\nclock startup\nsleep 1500\nkill\n' >"$floor_max/steps.txt"
minimal_dir=$build/bench-minimal
rm -rf "$minimal_dir" && mkdir -p "$minimal_dir"
cp "$release/bench-bin/minimal_dialog.exe" "$minimal_dir/"

program=$release/bin
results=$build/bench-results
rm -rf "$results" && mkdir -p "$results"

scenario() {  # $1 name, $2 folder, $3 run, [env...]
  local name=$1 dir=$2 run=$3 out=$results/$1-$3
  shift 3
  if ! env "$@" ACCEPTANCE_OUT="$out" "$harness/run.sh" "$dir" "$program" >"$out.log" 2>&1; then
    echo "  $name run $run failed: $(head -n3 "$out.log")" >&2
    return 1
  fi
}
clock() {  # $1 transcript, $2 label: the milliseconds of that clock line
  awk -v l="$2" '$1 == "clock" && $3 == l { print $2; exit }' "$1"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
for r in $(seq 1 "$runs"); do
  echo "Run $r of $runs..."
  scenario startup "$harness/perf/startup-memory" "$r"
  program=$minimal_dir scenario minimal "$floor" "$r" APP_EXE=minimal_dialog.exe
  program=$minimal_dir scenario minimal-max "$floor_max" "$r" APP_EXE=minimal_dialog.exe
  scenario big-pane "$harness/perf/big-pane" "$r"
  scenario scale "$harness/perf/scale" "$r" SCALE_N=16000 SCENARIO_TIMEOUT=600
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
collect() {  # $1 scenario, then labels: one figure per run (the median of the labels)
  local s=$1 t
  shift
  for t in "$results/$s"-*/*/driver.out; do
    for l in "$@"; do clock "$t" "$l"; done | median
  done
}

startup=$(collect startup startup | median)
ratios=$(for t in "$results"/startup-*/*/driver.out; do
  awk '$1 == "clock" && $3 == "floor-1" { a = $2 } $1 == "clock" && $3 == "floor-2" { b = $2 }
       $1 == "clock" && $3 == "startup" { s = $2 } END { f = (a < b ? a : b); printf "%.2f\n", s / f }' "$t"
done | median)
floor_ms=$(for t in "$results"/startup-*/*/driver.out; do
  awk '$1 == "clock" && ($3 == "floor-1" || $3 == "floor-2") { if (m == "" || $2 < m) m = $2 } END { print m }' "$t"
done | median)
big_refresh=$(collect big-pane refresh-1 refresh-2 refresh-3 | median)
big_start=$(collect big-pane startup | median)
scale_refresh=$(collect scale refresh-1 refresh-2 | median)
scale_start=$(collect scale startup | median)
# What showing a window at all costs under Wine: the minimal dialog program,
# launched maximised as velmora.exe is, from launch to its window.
minimal_start=$(collect minimal-max startup | median)
rss() { cat "$results"/"$1"-*/*/rss-kb.txt 2>/dev/null | median; }
rss_app=$(rss startup)
rss_min=$(cat "$results"/minimal-[0-9]*/*/rss-kb.txt 2>/dev/null | median)
rss_max=$(rss minimal-max)
delta() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "n/a" || b == "n/a") print "n/a"; else printf "%.1f", (a - b) / 1024 }'; }
rss_delta=$(delta "$rss_app" "$rss_min")
rss_delta_max=$(delta "$rss_app" "$rss_max")

printf '\nMedians of %s runs, %s, under Wine, %s cores:\n\n' "$runs" "$(date +%Y-%m-%d)" "$(nproc)"
printf '| benchmark (harness scenario) | median | target |\n|---|---|---|\n'
printf '| perf/startup: start-up ÷ faster floor.exe run (%s ms ÷ %s ms) | %s× | ≤ 1.5× |\n' "$startup" "$floor_ms" "$ratios"
printf '| for comparison: a minimal dialog program, launch to its maximised window | %s ms | |\n' "$minimal_start"
printf '| perf/big-pane: refresh of 1,000 live + 1,000 disabled rows | %s ms | ≤ 100 ms |\n' "$big_refresh"
printf '| perf/big-pane: start-up with that data | %s ms | ≤ 400 ms |\n' "$big_start"
printf '| perf/scale, SCALE_N=16000 (32,000 rows): refresh | %s ms | ≤ 800 ms |\n' "$scale_refresh"
printf '| perf/scale, SCALE_N=16000: start-up | %s ms | ≤ 1,500 ms |\n' "$scale_start"
printf '| memory: peak resident size on perf/startup minus a minimal dialog program (%s KB − %s KB) | %s MB | ≤ 10 MB |\n' \
  "$rss_app" "$rss_min" "$rss_delta"
printf '| memory: the same minus the minimal dialog program maximised, same manifest (%s KB − %s KB) | %s MB | |\n' \
  "$rss_app" "$rss_max" "$rss_delta_max"
