"""Racing idle cores (--corrida) on a set of MIP models whose times vary
with SCIP's seed: the per-seed times, each model alone on two workers
against multiprocessing.Pool(2), the whole set as one batch, and a
simulation of the set on more cores. Ratios from runs side by side.

    python3 race.py --binary B --models DIR --out DIR [--phase NAME]

Phases (each keeps its raw results in race-raw.json, so a later phase can
run alone): seeds, alone, batch, simulate."""
import argparse
import json
import math
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SEEDS = [0, 1, 2, 3]
LIMIT = 600  # seconds per model; the set's models end far inside it
SOLU = HERE / "models" / "mip" / "miplib.solu"  # the set's known optima: every answer is checked (CONFERE)


def read_rows(out):
    """The complete report's rows by model: TEMPO, STATUS, Z, SEMENTE."""
    lines = (out / "sol_stat_completo.csv").read_text().splitlines()
    header = lines[0].split(";")
    rows = {}
    for line in lines[1:]:
        fields = dict(zip(header, line.split(";")))
        rows[fields["NOME"]] = {"tempo": float(fields["TEMPO"].replace(",", ".")), "status": fields["STATUS"],
                                "z": fields["Z"], "semente": fields.get("SEMENTE", ""), "confere": fields["CONFERE"]}
    return rows


def ours(binary, models, extra):
    """One batch of ours; (wall seconds, rows)."""
    with tempfile.TemporaryDirectory() as tmp:
        out = Path(tmp) / "out"
        start = time.perf_counter()
        proc = subprocess.run([binary, "-t", str(LIMIT), "--formatos", "mps.gz", "--solu", str(SOLU)] + extra +
                              ["opt", str(models), str(out)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        if proc.returncode != 0:
            raise SystemExit(f"opt failed: {proc.stderr.decode()}")
        return wall, read_rows(out)


def pool(models):
    """Pool(2) of pyscipopt over the folder's models; (wall seconds, {name: solving})."""
    files = sorted(str(p) for p in Path(models).glob("*.mps.gz"))
    start = time.perf_counter()
    proc = subprocess.run([sys.executable, str(HERE / "scip_pool.py"), str(LIMIT)] + files,
                          stdout=subprocess.PIPE, check=True)
    wall = time.perf_counter() - start
    results = [json.loads(line) for line in proc.stdout.decode().splitlines()]
    return wall, {Path(r["path"]).name: {"solving": r["solving"], "status": r["status"], "z": r["objective"]}
                  for r in results}


def expected_fastest(times, k):
    """E[min of k seeds drawn without replacement from the measured times]."""
    t = sorted(times)
    n = len(t)
    return sum(math.comb(n - i, k - 1) / math.comb(n, k) * t[i - 1] for i in range(1, n - k + 2))


def phase_seeds(args, raw):
    # Every seed over the whole set, two models at a time, as a Pool(2) batch runs them.
    raw["seeds"] = {}
    for seed in SEEDS:
        _, rows = ours(args.binary, args.models, ["-j", "2", "--semente", str(seed)])
        raw["seeds"][str(seed)] = {name: row["tempo"] for name, row in rows.items()}
        print(f"seed {seed}: " + ", ".join(f"{n} {r['tempo']:.1f}" for n, r in rows.items()), flush=True)


def phase_alone(args, raw):
    # Each model alone: ours racing on -j 2 against Pool(2), interleaved, median of three.
    raw["alone"] = {}
    for model in sorted(Path(args.models).glob("*.mps.gz")):
        with tempfile.TemporaryDirectory() as tmp:
            folder = Path(tmp)
            shutil.copy(model, folder / model.name)
            ours_walls, pool_walls, seeds, statuses = [], [], [], []
            for _ in range(args.repeats):
                wall, rows = ours(args.binary, folder, ["-j", "2", "--corrida"])
                ours_walls.append(wall)
                seeds.append(rows[model.name]["semente"])
                statuses.append(rows[model.name]["status"] + " " + rows[model.name]["confere"])
                wall, _ = pool(folder)
                pool_walls.append(wall)
            raw["alone"][model.name] = {"ours": ours_walls, "pool": pool_walls, "winners": seeds, "statuses": statuses}
            print(f"{model.name}: ours {ours_walls} pool {pool_walls} winners {seeds}", flush=True)


def phase_batch(args, raw):
    # The whole set as one batch: racing, not racing, Pool(2).
    raw["batch"] = {"race": [], "plain": [], "pool": []}
    for _ in range(args.batch_repeats):
        wall, rows = ours(args.binary, args.models, ["-j", "2", "--corrida"])
        raw["batch"]["race"].append({"wall": wall, "sum": sum(r["tempo"] for r in rows.values()),
                                     "statuses": {n: r["status"] for n, r in rows.items()}})
        wall, rows = ours(args.binary, args.models, ["-j", "2"])
        raw["batch"]["plain"].append({"wall": wall, "sum": sum(r["tempo"] for r in rows.values())})
        wall, results = pool(args.models)
        raw["batch"]["pool"].append({"wall": wall, "sum": sum(r["solving"] for r in results.values())})
        print(f"batch: {raw['batch']}", flush=True)


def simulate(times, cores, race):
    """Wall time of the set on `cores` (list scheduling, longest first by
    seed 0's time); with `race`, idle cores run the next seeds of running
    models (at most one copy per measured seed), the fewest copies and the
    longest running first, and a model ends with its first copy."""
    queue = sorted(times, key=lambda name: -times[name][0])
    running = {}  # name -> (first start, [(start, seed)])
    now, free, done = 0.0, cores, 0
    while done < len(times):
        while free and queue:
            name = queue.pop(0)
            running[name] = (now, [(now, 0)])
            free -= 1
        while race and free:
            open_ = [n for n in running if len(running[n][1]) < len(times[n])]
            if not open_:
                break
            name = min(open_, key=lambda n: (len(running[n][1]), running[n][0]))
            running[name][1].append((now, len(running[name][1])))
            free -= 1
        ends = {n: min(s + times[n][k] for s, k in copies) for n, (_, copies) in running.items()}
        name = min(ends, key=ends.get)
        now = ends[name]
        free += len(running.pop(name)[1])
        done += 1
    return now


def phase_simulate(args, raw):
    times = {}
    for name in raw["seeds"]["0"]:
        times[name] = [raw["seeds"][str(s)][name] for s in SEEDS]
    rows = []
    for cores in (8, 32, 128):
        plain = simulate(times, cores, False)
        raced = simulate(times, cores, True)
        bound = max(min(t) for t in times.values())
        rows.append((cores, plain, raced, bound))
    raw["simulation"] = rows
    data = args.out / "race-simulation.dat"
    data.write_text("".join(f"{c} {p:.2f} {r:.2f} {b:.2f}\n" for c, p, r, b in rows))
    if shutil.which("gnuplot"):
        script = (f"set terminal png size 640,400; set output '{args.out / 'race-simulation.png'}';"
                  "set logscale x 2; set xlabel 'cores'; set ylabel 'batch wall time (s)'; set yrange [0:*];"
                  "set grid; set key top right; set xtics (8, 32, 128);"
                  f"plot '{data}' using 1:2 with linespoints title 'one copy per model',"
                  f" '' using 1:3 with linespoints title 'racing (--corrida)',"
                  f" '' using 1:4 with lines dashtype 2 title 'each model at its fastest seed'")
        subprocess.run(["gnuplot", "-e", script], check=True)


def report(raw, out):
    lines = ["# Racing idle cores (--corrida)", "",
             "Written by `bench/race.py` from the runs in `race-raw.json`. Times are SCIP's solving times (TEMPO)",
             "or wall seconds of runs side by side on this machine; only the ratios mean anything elsewhere.", ""]
    if "build" in raw:
        lines += [f"Program: {raw['build']}", ""]
    seeds = raw["seeds"]
    lines += ["## Per-seed times (the whole set, two models at a time)", "",
              "| model | seed 0 | seed 1 | seed 2 | seed 3 | min | max | E[fastest of 2] | E[fastest of 4] |",
              "|---|---|---|---|---|---|---|---|---|"]
    for name in sorted(seeds["0"]):
        t = [seeds[str(s)][name] for s in SEEDS]
        lines.append(f"| {name} | " + " | ".join(f"{x:.1f}" for x in t) +
                     f" | {min(t):.1f} | {max(t):.1f} | {expected_fastest(t, 2):.1f} | {expected_fastest(t, 4):.1f} |")
    if "alone" in raw:
        lines += ["", "## Each model alone on two workers: ours `--corrida -j 2` against `Pool(2)`", "",
                  "Median of the runs' wall times. Predicted: min(T0, T1) / T0 from the per-seed times (seed 0 is",
                  "the first copy's, seed 1 the racer's).", "",
                  "| model | ours (s) | Pool(2) (s) | ratio | predicted | winning seeds | answers |",
                  "|---|---|---|---|---|---|---|"]
        ratios, predicted = [], []
        for name, r in sorted(raw["alone"].items()):
            ratio = statistics.median(r["ours"]) / statistics.median(r["pool"])
            t0, t1 = seeds["0"][name], seeds["1"][name]
            pred = min(t0, t1) / t0
            ratios.append(ratio)
            predicted.append(pred)
            lines.append(f"| {name} | {statistics.median(r['ours']):.1f} | {statistics.median(r['pool']):.1f} | "
                         f"{ratio:.2f} | {pred:.2f} | {' '.join(s or '0' for s in r['winners'])} | "
                         f"{', '.join(sorted(set(r['statuses'])))} |")
        geo = math.exp(statistics.mean(math.log(x) for x in ratios))
        geo_pred = math.exp(statistics.mean(math.log(x) for x in predicted))
        lines += ["", f"Geometric mean of the ratios: **{geo:.2f}** (predicted {geo_pred:.2f}; "
                      f"kept {geo - geo_pred:+.2f} from the prediction)."]
    if "batch" in raw:
        b = raw["batch"]
        med = {k: statistics.median(x["wall"] for x in v) for k, v in b.items()}
        over = {k: statistics.median(x["wall"] - x["sum"] / 2 for x in v) for k, v in b.items()}
        lines += ["", "## The whole set as one batch (two workers, median of the runs)", "",
                  "| run | wall (s) | ratio to Pool(2) | wall − Σ solving time / 2 (s) |", "|---|---|---|---|"]
        for key, label in (("race", "ours --corrida"), ("plain", "ours"), ("pool", "Pool(2)")):
            lines.append(f"| {label} | {med[key]:.1f} | {med[key] / med['pool']:.2f} | {over[key]:.1f} |")
    if "simulation" in raw:
        lines += ["", "## Simulated on more cores (from the per-seed times; at most four copies per model)", "",
                  "| cores | one copy per model (s) | racing (s) | racing / one copy | each model's fastest seed (s) |",
                  "|---|---|---|---|---|"]
        for cores, plain, raced, bound in raw["simulation"]:
            lines.append(f"| {cores} | {plain:.1f} | {raced:.1f} | {raced / plain:.2f} | {bound:.1f} |")
        lines += ["", "The bound is the slowest model at its fastest seed; where that model's first seed is already",
                  "its fastest, racing cannot shorten the batch on any number of cores.", "",
                  "![simulation](race-simulation.png)"]
    (out / "race.md").write_text("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--models", type=Path, required=True)
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--batch-repeats", type=int, default=1)
    parser.add_argument("--phase", choices=["seeds", "alone", "batch", "simulate", "all"], default="all")
    args = parser.parse_args()
    raw_path = args.out / "race-raw.json"
    raw = json.loads(raw_path.read_text()) if raw_path.exists() else {}
    for name, phase in (("seeds", phase_seeds), ("alone", phase_alone), ("batch", phase_batch),
                        ("simulate", phase_simulate)):
        if args.phase in (name, "all"):
            phase(args, raw)
            raw_path.write_text(json.dumps(raw, indent=1))
    report(raw, args.out)


if __name__ == "__main__":
    main()
