#!/bin/sh
# Times `tessary import` of a CSV of 1,000,000 rows and 20 numeric columns against
# pandas.read_csv on the same file and prints both times and their ratio.
#
#   bench/import_vs_pandas.sh [BUILD_DIR] [ROWS]
#
# Needs python3 with pandas (Debian package python3-pandas; set PYTHON to choose the
# interpreter); the test suite does not.
set -eu
build=${1:-build}
rows=${2:-1000000}
tool="$build/cli/tessary"
python=${PYTHON:-python3}
[ -x "$tool" ] || { echo "build the tool first: make build" >&2; exit 1; }
"$python" -c "import pandas" 2>/dev/null || {
  echo "pandas is missing: apt-get install python3-pandas" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-import-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
csv="$work/wide.csv"

# Twenty columns of the kinds a survey holds: ids, counts, flags, codes, amounts.
awk -v rows="$rows" 'BEGIN {
  srand(7);
  printf "id";
  for (c = 1; c < 20; c++) printf ",v%d", c;
  printf "\n";
  for (r = 1; r <= rows; r++) {
    printf "%d,%d,%d,%d,%d", r, int(r / 150), int(rand() * 2), int(rand() * 12), int(rand() * 300);
    for (c = 5; c < 20; c++) printf ",%.4f", rand() * 1000 - 100;
    printf "\n";
  }
}' > "$csv"
echo "CSV: $rows rows, 20 columns, $(du -h "$csv" | cut -f1)"

# Best of three runs each, with the file in the page cache.
best() {
  best_time=""
  for run in 1 2 3; do
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc)
    if [ -z "$best_time" ] || [ "$(echo "$t < $best_time" | bc)" = 1 ]; then best_time=$t; fi
  done
  echo "$best_time"
}
cat "$csv" > /dev/null
tessary_time=$(best "$tool" import "$csv" --out "$work/wide")
pandas_time=$(best "$python" -c "import sys, pandas; pandas.read_csv(sys.argv[1])" "$csv")
python_start_time=$(best "$python" -c "import pandas")

echo "tessary import:  ${tessary_time} s"
echo "pandas.read_csv: ${pandas_time} s (of which ${python_start_time} s start-up and import)"
echo "ratio tessary/pandas: $(echo "scale=2; $tessary_time / $pandas_time" | bc)"
echo "ratio tessary/pandas, pandas start-up excluded: $(echo "scale=2; $tessary_time / ($pandas_time - $python_start_time)" | bc)"
