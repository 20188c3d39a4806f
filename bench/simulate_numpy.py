"""The census simulation of `tessary simulate`, vectorised with numpy: the baseline of
bench/simulate_vs_numpy.sh.

  simulate_numpy.py write DIR HOUSEHOLDS [csv]  writes households.csv, clusters.csv,
                                           model.json and, without `csv`, the same data
                                           as .npy files
  simulate_numpy.py run DIR HOUSEHOLDS     simulates 100 replications and prints the
                                           seconds it took (data loading excluded)
"""
import json
import math
import sys
import time

import numpy as np

PER_CLUSTER = 20
HOUSEHOLD_VARS = 20
CLUSTER_VARS = 10
ALPHA_VARS = 5
REPS = 100
LINE = 1.0
AREA_DIGITS = 2


def regressor(name):
    return {"name": name, "source": name, "code": 0, "label": name}


def intercept():
    return {"name": "_intercept_", "source": "", "code": 0, "label": "Intercept"}


def write(directory, households, arrays):
    """Writes the CSV files a million rows at a time and, with `arrays`, the .npy files."""
    rng = np.random.default_rng(2024)
    clusters = households // PER_CLUSTER
    cluster = np.repeat(np.arange(1, clusters + 1, dtype=np.int32), PER_CLUSTER)
    size = rng.integers(1, 11, households, dtype=np.int8)
    h = rng.integers(0, 10, (households, HOUSEHOLD_VARS), dtype=np.int8)
    c = np.round(rng.random((clusters, CLUSTER_VARS)), 6)
    with open(directory + "/households.csv", "w") as out:
        out.write("CLUSTER,SIZE," + ",".join("H%d" % (j + 1) for j in range(HOUSEHOLD_VARS)) + "\n")
        for start in range(0, households, 1000000):
            rows = slice(start, min(households, start + 1000000))
            np.savetxt(out, np.column_stack([cluster[rows], size[rows], h[rows]]), fmt="%d",
                       delimiter=",")
    header = "CLUSTER," + ",".join("C%d" % (j + 1) for j in range(CLUSTER_VARS))
    np.savetxt(directory + "/clusters.csv", np.column_stack([np.arange(1, clusters + 1), c]),
               fmt=["%d"] + ["%.6f"] * CLUSTER_VARS, delimiter=",", header=header, comments="")
    names = ["H%d" % (j + 1) for j in range(HOUSEHOLD_VARS)] + \
            ["C%d" % (j + 1) for j in range(CLUSTER_VARS)]
    k = len(names) + 1
    beta = np.concatenate([[-0.5], rng.normal(0, 0.02, k - 1)])
    beta_root = np.diag(np.full(k, 0.002))
    alpha = np.concatenate([[-6.0], rng.normal(0, 0.05, ALPHA_VARS)])
    alpha_root = np.diag(np.full(ALPHA_VARS + 1, 0.01))
    model = {
        "format": "tessary fitted model", "version": 1, "dependent": "LN(WELFARE)",
        "survey": {"households": 10000, "clusters": 500},
        "welfare_model": {"regressors": [intercept()] + [regressor(n) for n in names],
                          "coefficients": beta.tolist(),
                          "covariance_root": beta_root.tolist(), "mse": 0.3},
        "sigEta2": 0.04, "sigEta2Var": 1e-5,
        "alpha_model": {"regressors": [intercept()] + [regressor(n) for n in names[:ALPHA_VARS]],
                        "coefficients": alpha.tolist(), "covariance_root": alpha_root.tolist(),
                        "A": 900.0, "mse": 2.0}}
    with open(directory + "/model.json", "w") as out:
        json.dump(model, out)
    if arrays:
        np.save(directory + "/cluster.npy", cluster)
        np.save(directory + "/size.npy", size.astype(float))
        np.save(directory + "/h.npy", h.astype(float))
        np.save(directory + "/c.npy", c)


def run(directory):
    with open(directory + "/model.json") as f:
        model = json.load(f)
    cluster = np.load(directory + "/cluster.npy") - 1
    w = np.load(directory + "/size.npy")
    h = np.load(directory + "/h.npy")
    c = np.load(directory + "/c.npy")
    n = len(cluster)
    start = time.perf_counter()
    x = np.column_stack([np.ones(n), h, c[cluster]])
    xa = x[:, :ALPHA_VARS + 1]
    wm, am = model["welfare_model"], model["alpha_model"]
    beta, beta_root = np.array(wm["coefficients"]), np.array(wm["covariance_root"])
    alpha, alpha_root = np.array(am["coefficients"]), np.array(am["covariance_root"])
    big_a, alpha_mse = am["A"], am["mse"]
    area = (cluster + 1) // 10 ** AREA_DIGITS
    areas = area.max() + 1
    weight = np.bincount(area, w, areas)
    rng = np.random.default_rng(7)
    figures = np.empty((REPS, 4, areas))
    for r in range(REPS):
        beta_r = beta + beta_root @ rng.standard_normal(len(beta))
        alpha_r = alpha + alpha_root @ rng.standard_normal(len(alpha))
        sig_eta2 = max(0.0, model["sigEta2"] + math.sqrt(model["sigEta2Var"]) * rng.standard_normal())
        eta = math.sqrt(sig_eta2) * rng.standard_normal(cluster[-1] + 1)
        p = 1.0 / (1.0 + np.exp(-(xa @ alpha_r)))
        variance = big_a * p * (1.0 + 0.5 * alpha_mse * (1.0 - p) * (1.0 - 2.0 * p))
        y = np.exp(x @ beta_r + eta[cluster] + np.sqrt(variance) * rng.standard_normal(n))
        gap = np.where(y < LINE, 1.0 - y / LINE, 0.0)
        figures[r, 0] = np.bincount(area, w * y, areas) / weight
        figures[r, 1] = np.bincount(area, w * (y < LINE), areas) / weight
        figures[r, 2] = np.bincount(area, w * gap, areas) / weight
        figures[r, 3] = np.bincount(area, w * gap * gap, areas) / weight
    estimates, errors = figures.mean(axis=0), figures.std(axis=0, ddof=1)
    print("%.3f" % (time.perf_counter() - start))
    return estimates, errors


if __name__ == "__main__":
    command, directory, households = sys.argv[1], sys.argv[2], int(sys.argv[3])
    if command == "write":
        write(directory, households, sys.argv[4:] != ["csv"])
    else:
        run(directory)
