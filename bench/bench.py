"""Benchmark: LoteOtimizador's `opt` against the same SCIP library driven from
Python, glpsol and cbc on the same LP files; its own cost per model; memory of
a long batch; `mod_lp` against `glpsol --check --wlp`. Prints tables and
writes them, with a chart, to the output folder. See bench/run.sh."""
import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path


from runners import (known_results, agrees, run_wait, measure_peak, run_ours, run_pyscipopt, run_pyscipopt_pool, simulate_handout, shell_peak_kib, tiny_overhead, run_glpsol, run_cbc, median_runs)


# ---- mod_lp -----------------------------------------------------------------

def bench_mod_lp(binary, mathprog, repeats):
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        for model in sorted(mathprog.glob("*.mod")):
            ours, theirs = [], []
            data = model.with_suffix(".dat")
            for _ in range(repeats):
                folder = Path(tmp) / model.stem
                shutil.rmtree(folder, ignore_errors=True)
                folder.mkdir()
                shutil.copy(model, folder)
                if data.exists():
                    shutil.copy(data, folder)
                wall, _ = run_wait([binary], f"mod_lp\n{folder}\nexit\n", cwd=folder)
                ours.append(wall)
                command = ["glpsol", "--math", model.name, "--check", "--wlp", str(folder / "glpsol.lp")]
                if data.exists():
                    command += ["-d", data.name]
                wall, _ = run_wait(command, cwd=folder)
                theirs.append(wall)
            rows.append((model.name, statistics.median(ours), statistics.median(theirs)))
        # The whole folder in one run of the program.
        folder = Path(tmp) / "all"
        shutil.copytree(mathprog, folder)
        batch, _ = run_wait([binary], f"mod_lp\n.\nexit\n", cwd=folder)
    return rows, batch


# ---- memory -------------------------------------------------------------------

def bench_memory(binary, models, counts):
    picks = [models / n for n in ("Side.lp", "egout.lp", "flugpl.lp", "gt2.lp", "1-FullIns_3.lp")]
    peaks = {}
    with tempfile.TemporaryDirectory() as tmp:
        for count in counts:
            folder = Path(tmp) / f"m{count}"
            folder.mkdir()
            for i in range(count):
                src = picks[i % len(picks)]
                shutil.copy(src, folder / f"{i:05d}_{src.name}")
            out = Path(tmp) / f"out{count}"
            out.mkdir()
            start = time.perf_counter()
            peaks[count] = (measure_peak([binary], f"opt\n{folder}\n{out}\nexit\n"), time.perf_counter() - start)
    return peaks


# ---- output -------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--models", type=Path, required=True)
    parser.add_argument("--mathprog", type=Path, required=True)
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--time-limit", type=float, default=60)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    models = args.models.resolve()
    known = known_results(models)
    names = sorted(known)

    tools = {}
    wrong = {}
    for label, runner in (("LoteOtimizador", lambda: run_ours(args.binary, models, args.time_limit)),
                          ("LoteOtimizador -j 1", lambda: run_ours(args.binary, models, args.time_limit, 1)),
                          ("pyscipopt", lambda: run_pyscipopt(models, args.time_limit)),
                          ("pyscipopt Pool", lambda: run_pyscipopt_pool(models, args.time_limit)),
                          ("glpsol", lambda: run_glpsol(models, args.time_limit)),
                          ("cbc", lambda: run_cbc(models, args.time_limit))):
        runs = []
        for rep in range(args.repeats):
            print(f"[bench] {label} run {rep + 1}/{args.repeats}", file=sys.stderr, flush=True)
            runs.append(runner())
        for _, results in runs:
            for name in names:
                r = results.get(name)
                verdict = agrees(known[name], r["status"], r["objective"]) if r else "ERR"
                if verdict == "WRONG":
                    wrong.setdefault(label, set()).add(name)
        tools[label] = (median_runs(runs), runs)

    # LoteOtimizador's per-model time (one worker): SCIP's solving time from the
    # report plus an equal share of what the batch cost beyond it.
    (ours_wall, ours), ours_runs = tools["LoteOtimizador -j 1"]
    costs = [(wall - sum(r["seconds"] for r in results.values())) / len(results) for wall, results in ours_runs]
    for r in ours.values():
        r["seconds"] += statistics.median(costs)

    lines = []
    lines.append(f"Benchmark of {time.strftime('%Y-%m-%d')} on {platform.node()} "
                 f"({os.cpu_count()} cores, {platform.machine()}), time limit {args.time_limit:g} s, "
                 f"median of {args.repeats} runs.\n")
    labels = list(tools)
    lines.append("| model | " + " | ".join(f"{l} (s)" for l in labels) + " |")
    lines.append("|---|" + "---:|" * len(labels))
    for name in names:
        cells = []
        for label in labels:
            (_, merged), _ = tools[label]
            r = merged.get(name)
            if r is None:
                cells.append("missing")
                continue
            verdict = "WRONG" if name in wrong.get(label, set()) else agrees(known[name], r["status"], r["objective"])
            cells.append(f"{r['seconds']:.3f}" + ("" if verdict == "ok" else f" {verdict}"))
        lines.append(f"| {name} | " + " | ".join(cells) + " |")
    totals = []
    for label in labels:
        (wall, merged), _ = tools[label]
        totals.append(f"{wall:.3f}")
    lines.append("| **total wall time** | " + " | ".join(totals) + " |")
    lines.append("")
    lines.append("LoteOtimizador's column is SCIP's solving time per model from the report plus an equal share of "
                 "the batch's remaining wall time; pyscipopt's is read and "
                 "solve per model inside one process; glpsol's and cbc's are one process per model. "
                 "TL: stopped by the time limit; ERR: the tool could not read the file; "
                 "WRONG: status or objective disagrees with optimal.txt.\n")

    # The program's own cost.
    (py_wall, py), _ = tools["pyscipopt"]
    lines.append(f"LoteOtimizador beyond SCIP's solving time: {1000 * statistics.median(costs):.1f} ms per model "
                 f"(batch wall time minus the report's solving times, {len(ours)} models; target < 20 ms). "
                 f"Batch wall time {ours_wall:.3f} s against {py_wall:.3f} s for the same SCIP driven from Python.\n")

    # Side by side.
    (pool_wall, _), _ = tools["LoteOtimizador"]
    (pypool_wall, _), _ = tools["pyscipopt Pool"]
    lines.append(f"Default workers ({os.cpu_count()} here): {pool_wall:.3f} s, {pool_wall / ours_wall:.3f} x the "
                 f"`-j 1` wall time (target <= 0.57) and {pool_wall / pypool_wall:.3f} x pyscipopt with "
                 f"multiprocessing.Pool (target <= 1).\n")
    sizes = {name: (models / name).stat().st_size for name in ours}
    solving = {name: r["seconds"] for name, r in ours.items()}
    folder_order, largest_first = simulate_handout(solving, sizes, 2)
    lines.append(f"Hand-out order, simulated on 2 workers from the `-j 1` times: folder order "
                 f"{folder_order / sum(solving.values()):.3f} of the sequential sum, largest file first "
                 f"{largest_first / sum(solving.values()):.3f}.\n")
    tiny = [tiny_overhead(args.binary, 1000, jobs) for jobs in (1, os.cpu_count())]
    lines.append(f"1,000 tiny models: {1000 * tiny[0]:.1f} ms per model with one worker, {1000 * tiny[1]:.1f} ms "
                 f"with {os.cpu_count()} (target < 20 ms).\n")
    shell = {}
    with tempfile.TemporaryDirectory() as tmp:
        for count in (10, 1000):
            folder = Path(tmp) / f"m{count}"
            folder.mkdir()
            for i in range(count):
                shutil.copy(models / "Side.lp", folder / f"{i:05d}.lp")
            shell[count] = shell_peak_kib(args.binary, f"opt\n{folder}\n{tmp}\nexit\n")
    lines.append(f"Peak memory of the program's own process (workers left out): {shell[10] / 1024:.1f} MiB for 10 "
                 f"models, {shell[1000] / 1024:.1f} MiB for 1,000.\n")

    # Memory.
    peaks = bench_memory(args.binary, models, (10, 1000))
    small, large = peaks[10][0], peaks[1000][0]
    lines.append(f"Peak resident memory: {small / 1024:.1f} MiB for 10 small models, {large / 1024:.1f} MiB for "
                 f"1,000 ({100 * (large - small) / small:+.1f}%; target within 10%); the 1,000-model batch took "
                 f"{peaks[1000][1]:.1f} s.\n")

    # mod_lp.
    rows, batch = bench_mod_lp(args.binary, args.mathprog.resolve(), args.repeats)
    lines.append("| MathProg model | LoteOtimizador mod_lp (s) | glpsol --check --wlp (s) |")
    lines.append("|---|---:|---:|")
    for name, ours_s, theirs_s in rows:
        lines.append(f"| {name} | {ours_s:.3f} | {theirs_s:.3f} |")
    lines.append(f"| **total** | {sum(r[1] for r in rows):.3f} | {sum(r[2] for r in rows):.3f} |")
    lines.append("")
    lines.append(f"One process per model for both (the program started with a folder holding that model). "
                 f"The whole folder in one `mod_lp` run: {batch:.3f} s.\n")

    text = "\n".join(lines)
    print(text)
    (args.out / "results.md").write_text(text + "\n")

    # Chart of the per-model times of the four solvers.
    data = args.out / "solvers.dat"
    with data.open("w") as f:
        f.write("model " + " ".join('"' + l + '"' for l in labels) + "\n")
        for name in names:
            f.write(name.replace("_", "\\\\_") + " " +
                    " ".join(f"{max(tools[l][0][1][name]['seconds'], 1e-4):.6f}" for l in labels) + "\n")
    script = f"""
set terminal pngcairo size 1200,600
set output '{args.out / "solvers.png"}'
set title 'Time per model (s, log scale), time limit {args.time_limit:g} s'
set style data histograms
set style histogram clustered gap 1
set style fill solid border -1
set logscale y
set yrange [1e-4:*]
set xtics rotate by -45
set key top left
plot '{data}' using 2:xtic(1) title columnheader(2), for [i=3:{len(labels) + 1}] '' using i title columnheader(i)
"""
    if shutil.which("gnuplot"):
        subprocess.run(["gnuplot"], input=script.encode(), check=False)


if __name__ == "__main__":
    main()
