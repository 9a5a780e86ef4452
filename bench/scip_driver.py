"""Solves LP files one after another with SCIP through pyscipopt, in one
process, and prints one JSON line per model: name, seconds (read and solve,
wall clock), SCIP's solving time, status and objective value."""
import json
import sys
import time

import pyscipopt

time_limit = float(sys.argv[1])
for path in sys.argv[2:]:
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
    print(json.dumps({"path": path, "seconds": time.perf_counter() - start, "solving": solving,
                      "status": status, "objective": objective}), flush=True)
