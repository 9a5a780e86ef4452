"""Solves LP files with SCIP through pyscipopt, one model per task of
multiprocessing.Pool(cores), and prints one JSON line per model."""
import json
import multiprocessing
import sys
import time

import pyscipopt


def solve(job):
    path, time_limit = job
    start = time.perf_counter()
    model = pyscipopt.Model()
    model.hideOutput()
    model.readProblem(path)
    model.setParam("limits/time", time_limit)
    model.optimize()
    status = model.getStatus()
    objective = model.getObjVal() if model.getNSols() > 0 else None
    return {"path": path, "seconds": time.perf_counter() - start, "status": status, "objective": objective}


if __name__ == "__main__":
    time_limit = float(sys.argv[1])
    with multiprocessing.Pool(multiprocessing.cpu_count()) as pool:
        for result in pool.imap(solve, [(p, time_limit) for p in sys.argv[2:]]):
            print(json.dumps(result), flush=True)
