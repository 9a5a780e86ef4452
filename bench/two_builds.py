"""Cost per model of two builds of the program on one batch of tiny models
(3 variables, solved by SCIP in microseconds), run alternately in the same
session so that both meet the same machine: `opt -j 2` on N models, R runs
each. Prints each run's milliseconds per model and the ratio of the medians
(new over old).

    python3 bench/two_builds.py OLD_BINARY NEW_BINARY [--models 1000] [--runs 3]
"""
import argparse
import statistics
import tempfile
from pathlib import Path

from scale import TINY, run_batch


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--models", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        models = Path(work) / "m"
        models.mkdir()
        for i in range(args.models):
            (models / f"t{i:06d}.lp").write_text(TINY)
        per_model = {"old": [], "new": []}
        for run in range(args.runs):
            for side in ("old", "new") if run % 2 == 0 else ("new", "old"):
                out = Path(work) / f"{side}{run}"
                wall, _, _ = run_batch(getattr(args, side), models, out)
                per_model[side].append(1000.0 * wall / args.models)
                print(f"run {run} {side}: {per_model[side][-1]:.3f} ms per model", flush=True)
    old, new = statistics.median(per_model["old"]), statistics.median(per_model["new"])
    print(f"median ms per model: old {old:.3f}, new {new:.3f}; new/old {new / old:.3f}")


if __name__ == "__main__":
    main()
