"""The data of the peer comparison, made the same way for both sides: the columns the
numpy and pandas side computes on (peer_tasks.py makes them again in memory) and the
files Tessary reads (Stata files it imports into data sets, and the CSV files both
sides import).

  peer_data.py DIR    writes records.dta, records_clusters.dta, tab.dta, design.dta,
                      design_clusters.dta, numeric.csv and mixed.csv into DIR
"""
import os
import sys

import numpy as np
import pandas as pd

RECORDS = 10_000_000  # the expression, the aggregate and the column write
RECORDS_PER_CLUSTER = 20
KEYS = 1_000
TAB_RECORDS = 2_000_000
DESIGN_RECORDS = 1_000_000
DESIGN_CLUSTERS = 10_000
DOUBLES, SMALL_INTEGERS = 40, 20  # the 60 candidate regressors
CSV_ROWS = 1_000_000


def records():
    """X (every 97th missing), Y and the key B of 10,000,000 households."""
    i = np.arange(RECORDS, dtype=np.int64)
    x = 1.0 + (i % 1013) * 0.25
    x[i % 97 == 0] = np.nan
    return {
        "CLUSTER": (i // RECORDS_PER_CLUSTER + 1).astype(np.float64),
        "X": x,
        "Y": (i % 7).astype(np.float64),
        "B": ((i * 7919) % KEYS).astype(np.float64),
    }


def written_column():
    """The 10,000,000 doubles of the column write."""
    return np.arange(RECORDS, dtype=np.float64) * 0.5


def tab():
    """2,000,000 records: 50 rows, 20 columns, an income, a weight and an 80% filter."""
    rng = np.random.default_rng(3)
    return {
        "ROW": rng.integers(1, 51, TAB_RECORDS).astype(np.float64),
        "COL": rng.integers(1, 21, TAB_RECORDS).astype(np.float64),
        "X": rng.lognormal(8.0, 1.0, TAB_RECORDS),
        "W": 1.0 + rng.integers(0, 300, TAB_RECORDS) / 100.0,
        "F": (rng.random(TAB_RECORDS) < 0.8).astype(np.float64),
    }


def design():
    """1,000,000 households in 10,000 clusters: 40 normal and 20 small integer
    regressors X1..X60, the dependent Y and the weight W."""
    rng = np.random.default_rng(5)
    columns = {"CLUSTER": np.repeat(np.arange(1, DESIGN_CLUSTERS + 1, dtype=np.float64),
                                    DESIGN_RECORDS // DESIGN_CLUSTERS)}
    for c in range(DOUBLES):
        columns["X%d" % (c + 1)] = rng.standard_normal(DESIGN_RECORDS)
    for c in range(SMALL_INTEGERS):
        columns["X%d" % (DOUBLES + c + 1)] = rng.integers(0, 21, DESIGN_RECORDS).astype(np.float64)
    columns["Y"] = rng.standard_normal(DESIGN_RECORDS)
    columns["W"] = rng.uniform(1.0, 30.0, DESIGN_RECORDS)
    return columns


def regressor_names():
    return ["X%d" % (c + 1) for c in range(DOUBLES + SMALL_INTEGERS)]


def numeric_csv(path):
    """20 numeric columns of the kinds a survey holds: ids, counts, flags, codes, amounts."""
    rng = np.random.default_rng(7)
    i = np.arange(1, CSV_ROWS + 1)
    frame = pd.DataFrame({"id": i, "v1": i // 150, "v2": rng.integers(0, 2, CSV_ROWS),
                          "v3": rng.integers(0, 12, CSV_ROWS), "v4": rng.integers(0, 300, CSV_ROWS)})
    for c in range(5, 20):
        frame["v%d" % c] = np.round(rng.random(CSV_ROWS) * 1000 - 100, 4)
    frame.to_csv(path, index=False, float_format="%.4f")


def mixed_csv(path):
    """37 columns: 2 ids, 15 amounts, 10 codes and 10 text columns."""
    rng = np.random.default_rng(11)
    i = np.arange(1, CSV_ROWS + 1)
    frame = pd.DataFrame({"hhid": i, "cluster": i // 150})
    for c in range(15):
        frame["amount%d" % (c + 1)] = np.round(rng.random(CSV_ROWS) * 5000, 2)
    for c in range(10):
        frame["code%d" % (c + 1)] = rng.integers(1, 10 + 5 * c, CSV_ROWS)
    words = {
        "region": ["North", "South", "East", "West", "Centre", "Coast", "Highlands", "Lakes",
                   "Valley", "Plateau", "Delta", "Capital"],
        "area": ["urban", "rural"],
        "sex": ["male", "female"],
        "water": ["yes", "no"],
        "toilet": ["yes", "no"],
        "power": ["yes", "no"],
        "occupation": ["occupation %d" % k for k in range(30)],
        "dwelling": ["house", "flat", "hut", "tent", "shack", "compound", "villa", "other"],
        "visit": ["2023-%02d-%02d" % (1 + k // 28, 1 + k % 28) for k in range(336)],
        "enumerator": ["E%04d" % k for k in range(1000)],
    }
    for name, choices in words.items():
        frame[name] = np.array(choices)[rng.integers(0, len(choices), CSV_ROWS)]
    frame.to_csv(path, index=False)


def write_stata(path, columns):
    pd.DataFrame(columns).to_stata(path, write_index=False)


def main(directory):
    os.makedirs(directory, exist_ok=True)
    data = records()
    write_stata(os.path.join(directory, "records.dta"), data)
    clusters = np.unique(data["CLUSTER"])
    write_stata(os.path.join(directory, "records_clusters.dta"), {"CLUSTER": clusters})
    write_stata(os.path.join(directory, "tab.dta"), tab())
    write_stata(os.path.join(directory, "design.dta"), design())
    write_stata(os.path.join(directory, "design_clusters.dta"),
                {"CLUSTER": np.arange(1, DESIGN_CLUSTERS + 1, dtype=np.float64)})
    numeric_csv(os.path.join(directory, "numeric.csv"))
    mixed_csv(os.path.join(directory, "mixed.csv"))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
