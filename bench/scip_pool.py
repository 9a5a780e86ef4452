"""Solves LP files with SCIP through pyscipopt, one model per task of
multiprocessing.Pool(cores), and prints one JSON line per model."""
import json
import multiprocessing
import sys

from scip_driver import solve


def solve_job(job):
    return solve(*job)


if __name__ == "__main__":
    time_limit = float(sys.argv[1])
    with multiprocessing.Pool(multiprocessing.cpu_count()) as pool:
        for result in pool.imap(solve_job, [(p, time_limit) for p in sys.argv[2:]]):
            print(json.dumps(result), flush=True)
