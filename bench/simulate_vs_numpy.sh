#!/bin/sh
# Times `tessary simulate` against a vectorised numpy implementation of the same
# simulation on one census: 1,000,000 households in 50,000 clusters, a welfare model of
# 30 regressors and the intercept (20 household and 10 cluster variables), an alpha
# model of 5 regressors and the intercept, 100 replications, 500 areas. Prints both
# times and their ratio.
#
#   bench/simulate_vs_numpy.sh [BUILD_DIR] [HOUSEHOLDS] [THREADS]
#
# The tessary time is the whole command (reading the census included); the numpy time
# is its simulation alone, the data already in memory. With GNU time (/usr/bin/time)
# the command's peak memory is printed too. NUMPY=no skips numpy (for censuses too big
# for it: numpy holds the whole design in memory). Needs python3 with numpy (Debian
# package python3-numpy; set PYTHON to choose the interpreter, default
# /usr/bin/python3) to write the census; the test suite does not.
set -eu
build=${1:-build}
households=${2:-1000000}
threads=${3:-2}
tool="$build/cli/tessary"
python=${PYTHON:-/usr/bin/python3}
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$tool" ] || { echo "build the tool first: make build" >&2; exit 1; }
"$python" -c "import numpy" 2>/dev/null || {
  echo "numpy is missing: apt-get install python3-numpy" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-simulate-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

only=""
[ "${NUMPY:-yes}" = no ] && only=csv
"$python" "$here/simulate_numpy.py" write "$work" "$households" $only
"$tool" import "$work/households.csv" --out "$work/census_households" > /dev/null
"$tool" import "$work/clusters.csv" --out "$work/census_clusters" --id CLUSTER > /dev/null
"$tool" combine --households "$work/census_households" --clusters "$work/census_clusters" \
  --key CLUSTER --out "$work/census.daA" > /dev/null

# Best of three runs, the census in the page cache; GNU time measures the last.
measure=""
[ -x /usr/bin/time ] && measure="/usr/bin/time -v -o $work/time.txt"
tessary_time=""
for run in 1 2 3; do
  start=$(date +%s.%N)
  $measure "$tool" simulate --model "$work/model.json" --census "$work/census.daA" --reps 100 \
    --seed 7 --line 1 --persons SIZE --area-digits 2 --threads "$threads" --out "$work/sim" \
    > "$work/summary.txt"
  end=$(date +%s.%N)
  t=$(echo "$end - $start" | bc)
  if [ -z "$tessary_time" ] || [ "$(echo "$t < $tessary_time" | bc)" = 1 ]; then tessary_time=$t; fi
  [ "${NUMPY:-yes}" = no ] && break
done
cat "$work/summary.txt"
echo "tessary simulate ($threads threads): ${tessary_time} s"
[ -n "$measure" ] && grep -E "Maximum resident|User time|System time" "$work/time.txt"
echo "census on disk: $(du -ch "$work"/census_* | tail -1 | cut -f1)"
[ "${NUMPY:-yes}" = no ] && exit 0
numpy_time=$("$python" "$here/simulate_numpy.py" run "$work" "$households")
echo "numpy: ${numpy_time} s"
echo "ratio tessary/numpy: $(echo "scale=3; $tessary_time / $numpy_time" | bc)"
