"""The numpy and pandas side of the peer comparison: one task, timed in a running Python
on data already in memory (the CSV imports read their file), best of three. Prints the
seconds.

  peer_tasks.py TASK DIR    TASK: expression, mean_on_keys, import_numeric,
                            import_mixed, column_write, xtab_one_way, xtab_two_way, sscp
"""
import os
import sys
import time

import numpy as np
import pandas as pd

import peer_data


def best_of_three(work):
    best = None
    for _ in range(3):
        start = time.perf_counter()
        work()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def expression(directory):
    data = peer_data.records()
    x, y = data["X"], data["Y"]
    return lambda: np.log(x) * 2 + np.where(y > 3, 1.0, 0.0)


def mean_on_keys(directory):
    data = peer_data.records()
    frame = pd.DataFrame({"X": data["X"], "B": data["B"]})
    return lambda: frame.groupby("B")["X"].transform("mean")


def import_numeric(directory):
    path = os.path.join(directory, "numeric.csv")
    return lambda: pd.read_csv(path)


def import_mixed(directory):
    path = os.path.join(directory, "mixed.csv")
    return lambda: pd.read_csv(path)


def column_write(directory):
    values = peer_data.written_column()
    path = os.path.join(directory, "column.npy")
    return lambda: np.save(path, values)


def tabulation(keys):
    """Weighted count, mean and standard deviation of X by the keys, over F = 1."""
    frame = pd.DataFrame(peer_data.tab())

    def work():
        kept = frame[frame["F"] == 1]
        wx = kept["W"] * kept["X"]
        parts = pd.DataFrame({"W": kept["W"], "WX": wx, "WXX": wx * kept["X"]})
        for key in keys:
            parts[key] = kept[key]
        sums = parts.groupby(keys).sum()
        counts = parts.groupby(keys).size()
        mean = sums["WX"] / sums["W"]
        std = np.sqrt((sums["WXX"] - sums["W"] * mean * mean) / (sums["W"] - 1))
        return counts, mean, std

    return work


def sscp(directory):
    """X'WX of the design [1, X1..X60, Y]."""
    data = peer_data.design()
    names = peer_data.regressor_names()
    design = np.column_stack([np.ones(peer_data.DESIGN_RECORDS)] + [data[n] for n in names] +
                             [data["Y"]])
    w = data["W"]
    del data
    return lambda: design.T @ (design * w[:, None])


TASKS = {
    "expression": expression,
    "mean_on_keys": mean_on_keys,
    "import_numeric": import_numeric,
    "import_mixed": import_mixed,
    "column_write": column_write,
    "xtab_one_way": lambda directory: tabulation(["ROW"]),
    "xtab_two_way": lambda directory: tabulation(["ROW", "COL"]),
    "sscp": sscp,
}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in TASKS:
        sys.exit(__doc__)
    print("%.4f" % best_of_three(TASKS[sys.argv[1]](sys.argv[2])))
