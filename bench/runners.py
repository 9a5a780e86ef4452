"""The runs that bench.py measures: LoteOtimizador, SCIP from Python (one
process, and a pool), glpsol and cbc over a folder of models, each with its
answers checked against the known optima; and the helpers they share."""
import json
import re
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent


def known_results(folder):
    known = {}
    for line in (folder / "optimal.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, status, value = line.split()[:3]
        known[name] = (status, None if value == "-" else float(value))
    return known


def agrees(known, status, objective):
    """'ok', 'TL' (stopped by the time limit), 'ERR' (the tool could not read
    the file) or 'WRONG'."""
    expected_status, expected_value = known
    if status == "timelimit":
        return "TL"
    if status == "error":
        return "ERR"
    if status != expected_status:
        return "WRONG"
    if expected_value is None:
        return "ok"
    if objective is None or abs(objective - expected_value) > 1e-6 * max(1.0, abs(expected_value)):
        return "WRONG"
    return "ok"


def run_wait(command, stdin_text=None, cwd=None):
    """Runs a command; gives (wall seconds, its output)."""
    start = time.perf_counter()
    proc = subprocess.run(command, input=stdin_text.encode() if stdin_text is not None else None,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=cwd)
    return time.perf_counter() - start, proc.stdout.decode(errors="replace")


def measure_peak(command, stdin_text):
    """Peak resident memory (KiB) of one command, in a fresh python process so
    that earlier children do not count."""
    code = ("import resource,subprocess,sys;"
            "subprocess.run(sys.argv[1:],input=sys.stdin.buffer.read(),stdout=subprocess.DEVNULL,"
            "stderr=subprocess.DEVNULL);"
            "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    out = subprocess.run([sys.executable, "-c", code] + command, input=stdin_text.encode(),
                         stdout=subprocess.PIPE, check=True).stdout
    return int(out.decode().strip())


# ---- the four solvers -----------------------------------------------------

def run_ours(binary, models, time_limit, jobs=None):
    with tempfile.TemporaryDirectory() as out:
        commands = f"time_limit\n{str(time_limit).replace('.', ',')}\nopt\n{models}\n{out}\nexit\n"
        wall, _ = run_wait([binary] + (["-j", str(jobs)] if jobs else []), commands)
        results = {}
        for line in (Path(out) / "sol_stat.csv").read_text().splitlines()[1:]:
            fields = line.split(";")
            name, seconds, status = fields[0], float(fields[1].replace(",", ".")), fields[2]
            value = float(fields[3].replace(",", ".")) if len(fields) > 4 and fields[3] else None
            status = {"SOL OTIMA": "optimal", "PROBLEMA INFACTIVEL": "infeasible",
                      "PROCESSO INTERROMPIDO - LIMITE DE TEMPO": "timelimit"}.get(status, status)
            results[name] = {"seconds": seconds, "status": status,
                             "objective": value if status != "infeasible" else None}
    return wall, results


def run_pyscipopt(models, time_limit, script="scip_driver.py"):
    """The same SCIP from Python: one process (scip_driver.py), or one model
    per task of multiprocessing.Pool(cores) (scip_pool.py)."""
    files = sorted(str(p) for p in models.glob("*.lp"))
    wall, out = run_wait([sys.executable, str(HERE / script), str(time_limit)] + files)
    results = {}
    for line in out.splitlines():
        if line.startswith("{"):
            r = json.loads(line)
            results[Path(r["path"]).name] = {key: r[key] for key in ("seconds", "solving", "status", "objective")
                                             if key in r}
    return wall, results


def run_pyscipopt_pool(models, time_limit):
    return run_pyscipopt(models, time_limit, "scip_pool.py")


def simulate_handout(times, sizes, workers):
    """Wall time of a batch on `workers` workers that each take the next model
    when free, in folder order and largest file first."""
    def makespan(order):
        free = [0.0] * workers
        for name in order:
            i = free.index(min(free))
            free[i] += times[name]
        return max(free)
    folder = sorted(times)
    largest = sorted(times, key=lambda n: -sizes[n])
    return makespan(folder), makespan(largest)


def shell_peak_kib(binary, stdin_text):
    """Peak resident memory (VmHWM, KiB) of the program's own process, workers
    left out, read from /proc while it runs."""
    proc = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    proc.stdin.write(stdin_text.encode())
    proc.stdin.close()
    peak = 0
    while proc.poll() is None:
        try:
            for line in Path(f"/proc/{proc.pid}/status").read_text().splitlines():
                if line.startswith("VmHWM:"):
                    peak = max(peak, int(line.split()[1]))
        except (FileNotFoundError, ProcessLookupError):
            pass
        time.sleep(0.02)
    return peak


def tiny_overhead(binary, count, jobs):
    """Wall time per model of a batch of `count` tiny models."""
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp) / "m"
        folder.mkdir()
        for i in range(count):
            (folder / f"{i:05d}.lp").write_text("Maximize\n obj: x + y\nSubject To\n c1: x + 2 y <= 4\nEnd\n")
        wall, _ = run_wait([binary, "-j", str(jobs), "opt", str(folder), str(Path(tmp) / "out")])
        return wall / count


def run_glpsol(models, time_limit):
    results = {}
    total = 0.0
    with tempfile.TemporaryDirectory() as tmp:
        for path in sorted(models.glob("*.lp")):
            report = Path(tmp) / "sol.txt"
            wall, out = run_wait(["glpsol", "--lp", str(path), "--tmlim", str(int(time_limit)), "-o", str(report)])
            total += wall
            # For a MIP the LP relaxation's verdict comes first; the last one counts.
            status, value = "unknown", None
            if "processing error" in out:
                status = "error"
            elif "TIME LIMIT EXCEEDED" in out:
                status = "timelimit"
            elif "NO INTEGER FEASIBLE SOLUTION" in out or "NO PRIMAL FEASIBLE SOLUTION" in out:
                status = "infeasible"
            elif "INTEGER OPTIMAL SOLUTION FOUND" in out or (
                    "OPTIMAL LP SOLUTION FOUND" in out and "Integer optimization begins" not in out):
                status = "optimal"
            if status == "optimal":
                match = re.search(r"Objective:\s+(?:\S+ = )?(\S+)", report.read_text())
                value = float(match.group(1)) if match else None
            results[path.name] = {"seconds": wall, "status": status, "objective": value}
    return total, results


def run_cbc(models, time_limit):
    results = {}
    total = 0.0
    for path in sorted(models.glob("*.lp")):
        wall, out = run_wait(["cbc", str(path), "sec", str(time_limit), "solve"])
        total += wall
        status, value = "unknown", None
        if "Result - " not in out:
            status = "error"
        elif "Result - Optimal solution found" in out:
            status = "optimal"
        elif "infeasible" in out.lower() and "Result - " in out and "nfeasible" in out.split("Result - ")[1]:
            status = "infeasible"
        elif "Stopped on time" in out:
            status = "timelimit"
        match = re.search(r"Objective value:\s+(\S+)", out)
        if status == "optimal" and match:
            value = float(match.group(1))
        results[path.name] = {"seconds": wall, "status": status, "objective": value}
    return total, results


def median_runs(runs):
    """Per model: median seconds, and the agreement of the first run (all runs
    are checked: one wrong answer marks the tool wrong)."""
    merged = {}
    for name in runs[0][1]:
        merged[name] = dict(runs[0][1][name])
        merged[name]["seconds"] = statistics.median(r[1][name]["seconds"] for r in runs if name in r[1])
    return statistics.median(r[0] for r in runs), merged
