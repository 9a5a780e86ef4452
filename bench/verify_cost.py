"""What checking a solution costs next to solving its model.

For each model of a batch's output folder that has a `.sol` file, times what
the workers' check does after a solve (SCIP reads the model and the `.sol`
again and checks the solution in the original problem, every constraint)
through SCIP's own library (pyscipopt, the same SCIP), and sets it against
the solving time the batch's complete report holds (TEMPO).

    python3 bench/verify_cost.py MODEL_FOLDER OUTPUT_FOLDER [MODEL_FOLDER OUTPUT_FOLDER ...]

Prints one line per model and, per folder pair, the check's total time as a
share of the total solving time and the median of the per-model shares.
"""
import csv
import os
import statistics
import sys
import time

from pyscipopt import Model


def check_seconds(model_path, solution_path):
    start = time.perf_counter()
    model = Model()
    model.hideOutput()
    model.readProblem(model_path)
    solution = model.readSolFile(solution_path)
    model.checkSol(solution, printreason=False, completely=True, original=True)
    return time.perf_counter() - start


def solution_name(name):
    return (name[:-3] if name.endswith(".lp") else name) + ".sol"


def measure(models, output):
    rows = list(csv.reader(open(os.path.join(output, "sol_stat_completo.csv"), encoding="utf-8"), delimiter=";"))
    total_check = total_solve = 0.0
    shares = []
    for row in rows[1:]:
        name, seconds = row[0], float(row[1].replace(",", "."))
        solution = os.path.join(output, solution_name(name))
        if not os.path.exists(solution):
            continue
        checked = min(check_seconds(os.path.join(models, name), solution) for _ in range(3))
        total_check += checked
        total_solve += seconds
        shares.append(checked / max(seconds, 1e-6))
        print(f"{name:24s} solve {seconds:9.3f} s  check {checked:7.4f} s  share {checked / max(seconds, 1e-6):8.4f}")
    print(f"== {output}: {len(shares)} models, check/solve total {total_check / total_solve:.4f}, "
          f"median per model {statistics.median(shares):.4f}")


if __name__ == "__main__":
    arguments = sys.argv[1:]
    for i in range(0, len(arguments) - 1, 2):
        measure(arguments[i], arguments[i + 1])
