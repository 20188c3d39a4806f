#!/bin/sh
# Times Tessary against the tools its users would otherwise pick, on the same data:
# numpy and pandas in a running Python on columns already in memory (the CSV imports
# read their file), Tessary's benchmarks reading the data sets made from the same
# columns (bench/peer_tasks_bench.cc), and the whole `tessary import` command for the
# CSV files. Prints each time, the ratio Tessary / peer, the peak memory of each
# process (GNU time) and the speed-up from the first thread count to the others.
#
#   bench/peers/run.sh [BUILD_DIR] [THREADS ...]      default: build 1 2
#
# Every time is the best of three. PEER_DATA=DIR keeps the data (about 2 GB) in DIR
# and reuses it on later runs; otherwise it goes to a temporary directory removed at
# exit. Needs /usr/bin/python3 with numpy and pandas (`make bench-deps`) and GNU time.
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
threads=${*:-1 2}
python=/usr/bin/python3
here=$(cd "$(dirname "$0")" && pwd)
tool="$build/cli/tessary"
bench="$build/bench/tessary_bench"
[ -x "$tool" ] && [ -x "$bench" ] || { echo "build the tool and benchmarks first: make build" >&2; exit 1; }
"$python" -c "import numpy, pandas" 2>/dev/null || {
  echo "numpy or pandas is missing: make bench-deps" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is missing" >&2; exit 1; }

if [ -n "${PEER_DATA:-}" ]; then
  work=$PEER_DATA
  mkdir -p "$work"
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-peers.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
scratch="$work/scratch"
mkdir -p "$scratch"

# The data: the columns as files, imported into data sets; a model of every regressor.
if [ ! -f "$work/ready" ]; then
  echo "Writing the data into $work"
  "$python" "$here/peer_data.py" "$work"
  quiet() { "$@" > /dev/null; }
  quiet "$tool" import "$work/records.dta" --out "$work/records"
  quiet "$tool" import "$work/records_clusters.dta" --out "$work/records_clusters" --id CLUSTER
  quiet "$tool" combine --households "$work/records.daH" --clusters "$work/records_clusters.daH" \
    --key CLUSTER --out "$work/records.daA"
  quiet "$tool" import "$work/tab.dta" --out "$work/tab"
  quiet "$tool" import "$work/design.dta" --out "$work/design" --weight W
  quiet "$tool" import "$work/design_clusters.dta" --out "$work/design_clusters" --id CLUSTER
  quiet "$tool" combine --households "$work/design.daH" --clusters "$work/design_clusters.daH" \
    --key CLUSTER --out "$work/design.daA"
  regressors=$(seq -s, -f 'X%g' 1 60)
  positions=$(seq -s, 1 60 | sed 's/[0-9]*/0/g')
  printf '[DataArray]\nSurvey=design.daA\n[SelectedVars]\nVarList=%s\nSPosition=%s\n' \
    "$regressors" "$positions" > "$work/design.ini"
  quiet "$tool" model build "$work/design.ini" "$work/design.mdl" --lhs Y
  touch "$work/ready"
fi

peak_mb() {  # the peak resident memory GNU time recorded in $1, in MB
  awk '/Maximum resident set size/ { printf "%.0f", $NF / 1024 }' "$1"
}

# "seconds peak-MB" of a peer task.
peer() {
  t=$(/usr/bin/time -v -o "$scratch/time" "$python" "$here/peer_tasks.py" "$1" "$work")
  echo "$t $(peak_mb "$scratch/time")"
}

# "seconds peak-MB" of a benchmark on $2 threads: the best of three repetitions.
tessary_bench() {
  TESSARY_THREADS=$2 TESSARY_PEER_DATA=$work /usr/bin/time -v -o "$scratch/time" \
    "$bench" --benchmark_filter="^$1/" --benchmark_repetitions=3 --benchmark_format=csv \
    2> /dev/null > "$scratch/bench.csv"
  t=$(awk -F, -v name="\"$1/" 'index($1, name) == 1 && $1 !~ /_(mean|median|stddev|cv)"$/ {
        if (best == "" || $3 + 0 < best) best = $3 + 0 } END { printf "%.4f", best / 1000 }' \
        "$scratch/bench.csv")
  echo "$t $(peak_mb "$scratch/time")"
}

# "seconds peak-MB" of `tessary import` of $1 on $2 threads: the best of three runs.
tessary_import() {
  best=""
  for run in 1 2 3; do
    start=$(date +%s.%N)
    TESSARY_THREADS=$2 /usr/bin/time -v -o "$scratch/time" "$tool" import "$work/$1" \
      --out "$scratch/imported" > /dev/null 2> "$scratch/import_notes"
    end=$(date +%s.%N)
    best=$(awk -v a="$start" -v b="$end" -v best="$best" \
      'BEGIN { t = b - a; printf "%.4f", (best == "" || t < best) ? t : best }')
  done
  echo "$best $(peak_mb "$scratch/time")"
}

cat "$work"/*.csv > /dev/null  # the CSV files in the page cache for both sides
# Two header lines: the peer's columns, then one group per thread count.
printf '%-15s %17s' "" "peer"
for n in $threads; do printf ' | %-24s' "Tessary, $n thread(s)"; done
printf ' |\n%-15s %8s %8s' "task" "seconds" "peak MB"
for n in $threads; do printf ' | %8s %6s %8s' "seconds" "ratio" "peak MB"; done
printf ' | speed-up\n'
run() {  # task, then the Tessary side: bench NAME or import FILE
  task=$1 kind=$2 what=$3
  set -- $(peer "$task")
  peer_s=$1
  printf '%-15s %8s %8s' "$task" "$1" "$2"
  first=""
  for n in $threads; do
    if [ "$kind" = bench ]; then set -- $(tessary_bench "$what" "$n"); else set -- $(tessary_import "$what" "$n"); fi
    [ -z "$first" ] && first=$1
    printf ' | %8s %5s× %8s' "$1" "$(awk -v a="$1" -v b="$peer_s" 'BEGIN { printf "%.2f", a / b }')" "$2"
    last=$1
  done
  printf ' | %7s×\n' "$(awk -v a="$first" -v b="$last" 'BEGIN { printf "%.2f", a / b }')"
}
run expression bench BM_PeerExpression
run mean_on_keys bench BM_PeerMeanOnKeys
run import_numeric import numeric.csv
run import_mixed import mixed.csv
run column_write bench BM_PeerColumnWrite
run xtab_one_way bench BM_PeerCrossTab/1
run xtab_two_way bench BM_PeerCrossTab/2
run sscp bench BM_PeerSscp
echo "ratio: Tessary seconds / peer seconds (below 1.00× Tessary is faster); speed-up: the"
echo "first thread count's seconds / the last one's; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
