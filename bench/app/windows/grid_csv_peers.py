#!/usr/bin/python3
"""Opening a 4096 x 17 grid sheet's CSV file: the grid's figure beside Python's csv module
and pandas (when installed), reading the same file in the same run.

Usage: bench/app/windows/grid_csv_peers.py [build/bin/app_windows_GridFilesBench] [runs]

The benchmark writes the sheet's file (HARLUNE_BENCH_GRID_CSV) and times opening it into a
new sheet; the peers then read that file into numbers: csv.reader with float() for every
field that is not quoted, and pandas.read_csv. Each figure is the median of the runs; the
ratios are taken run by run, so a machine loaded by other work disturbs them less.

It runs on the system's Python, where scripts/setup-deps installs pandas (python3-pandas): a
python3 found first on PATH (pyenv, a virtual environment) often lacks it.
"""
import csv
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time


def grid_open_ms(binary, path):
    env = dict(os.environ, HARLUNE_BENCH_GRID_CSV=path)
    out = subprocess.run(
        [binary, "--benchmark_filter=BM_OpenSheetIntoNew", "--benchmark_format=json"],
        env=env, check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    return runs[0]["real_time"]  # milliseconds


def csv_module_ms(path, rounds=5):
    best = None
    for _ in range(rounds):
        start = time.perf_counter()
        with open(path, newline="") as f:
            rows = []
            for record in csv.reader(f, quoting=csv.QUOTE_NONNUMERIC):
                rows.append(record)
        ms = (time.perf_counter() - start) * 1000.0
        best = ms if best is None else min(best, ms)
    return best


def pandas_ms(pandas, path, rounds=5):
    best = None
    for _ in range(rounds):
        start = time.perf_counter()
        pandas.read_csv(path, index_col=0)
        ms = (time.perf_counter() - start) * 1000.0
        best = ms if best is None else min(best, ms)
    return best


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else "build/bin/app_windows_GridFilesBench"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    try:
        import pandas
    except ImportError:
        pandas = None
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "sheet.csv")
        ours, python_csv, with_pandas = [], [], []
        for _ in range(runs):
            ours.append(grid_open_ms(binary, path))
            python_csv.append(csv_module_ms(path))
            if pandas:
                with_pandas.append(pandas_ms(pandas, path))
    print(f"Python: {sys.executable} {sys.version.split()[0]}"
          + (f", pandas {pandas.__version__}" if pandas else ""))
    print(f"grid open (median of {runs}): {statistics.median(ours):.1f} ms")
    print(f"Python csv module: {statistics.median(python_csv):.1f} ms, "
          f"{statistics.median(p / o for p, o in zip(python_csv, ours)):.2f} times ours")
    if pandas:
        print(f"pandas.read_csv: {statistics.median(with_pandas):.1f} ms, "
              f"{statistics.median(p / o for p, o in zip(with_pandas, ours)):.2f} times ours")
    else:
        print(f"pandas.read_csv: pandas is not installed for {sys.executable} "
              "(scripts/setup-deps installs python3-pandas)")


if __name__ == "__main__":
    main()
