"""Solves LP files one after another with SCIP through pyscipopt, in one
process, and prints one JSON line per model: name, seconds (read and solve,
wall clock), SCIP's solving time, status and objective value."""
import json
import sys
import time

import pyscipopt


def solve(path, time_limit):
    """Reads and solves one LP file; its result as a dict."""
    start = time.perf_counter()
    model = pyscipopt.Model()
    model.hideOutput()
    model.readProblem(path)
    model.setParam("limits/time", time_limit)
    model.optimize()
    status = model.getStatus()
    objective = model.getObjVal() if model.getNSols() > 0 else None
    solving = model.getSolvingTime()
    model.freeProb()
    return {"path": path, "seconds": time.perf_counter() - start, "solving": solving,
            "status": status, "objective": objective}


if __name__ == "__main__":
    limit = float(sys.argv[1])
    for file in sys.argv[2:]:
        print(json.dumps(solve(file, limit)), flush=True)
