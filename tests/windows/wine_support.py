"""What the tests under Wine share: Wine started with a prefix of the
tests' own, the Windows program unzipped from its package, both builds run
on copies of the same inputs, and what they write read back with the
differences of the two systems (Windows-1252 and "\\r\\n" and "\\", against
UTF-8 and "\\n" and "/") undone, and nothing else.
"""
import atexit
import difflib
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import zipfile

SKIP = 77
WINE = "/usr/lib/wine/wine64"


def fail(message):
    print("FALHOU: " + message)
    sys.exit(1)


def wine_env(work):
    env = dict(os.environ)
    env.update(WINEDEBUG="-all", WINEPREFIX=str(work / "wineprefix"), WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    return env


def unzip_program(source, work):
    """The package as a user gets it, unzipped in a folder of its own."""
    package = source / "dist" / "loteotimizador-windows-x64.zip"
    if not package.is_file():
        fail(f"{package} is missing: run scripts/windows/build.sh first")
    where = work
    shutil.rmtree(where, ignore_errors=True)
    with zipfile.ZipFile(package) as z:
        z.extractall(where)
    exe = where / "loteotimizador" / "loteotimizador.exe"
    if not exe.is_file():
        fail("the package has no loteotimizador/loteotimizador.exe")
    return exe


def start_wine(work):
    """Makes the Wine prefix once; skips the test where Wine cannot start."""
    if not os.access(WINE, os.X_OK):
        print(f"SKIP: {WINE} is not installed")
        sys.exit(SKIP)
    try:
        r = subprocess.run([WINE, "cmd", "/c", "exit"], env=wine_env(work), capture_output=True, timeout=300)
    except subprocess.TimeoutExpired:
        print("SKIP: Wine did not start within 300 s")
        sys.exit(SKIP)
    if r.returncode != 0:
        print("SKIP: Wine cannot start a program here: " + r.stderr.decode(errors="replace")[-500:])
        sys.exit(SKIP)


def run(command, cwd, stdin="", env=None, timeout=900):
    r = subprocess.run(command, cwd=cwd, input=stdin.encode("cp1252"), capture_output=True, env=env, timeout=timeout)
    return r.returncode, r.stdout, r.stderr


def windows_text(data):
    """Windows' console bytes as the Linux build would write them."""
    return data.replace(b"\r\n", b"\n").decode("cp1252").replace("\\", "/")


def masked(text):
    return re.sub(r"TEMPO: [^\n]*", "TEMPO: T", text)


def report_rows(text):
    """The rows of a report without their times (TEMPO and, in a complete
    report, the integral and the solution times)."""
    lines = text.replace("\r\n", "\n").split("\n")
    complete = lines[0].endswith(";TEMPO_MELHOR_SOL")
    rows = []
    for line in lines[1:]:
        if not line:
            continue
        fields = line.split(";")
        fields[1] = "T"
        if complete:
            fields[-3:] = ["T" if f else "" for f in fields[-3:]]
        rows.append(";".join(fields))
    return [lines[0]] + rows


def statuses(report):
    """A report's STATUS by model."""
    return {r.split(";")[0]: r.split(";")[2] for r in report_rows(report.read_text())[1:]}


# The complete report's columns of work done (nodes, LP iterations,
# solutions found): SCIP's path to the same answer may change with the load of
# the machine, on either build.
WORK_COLUMNS = {"NOS", "ITERACOES_LP", "SOLUCOES"}


def answers(rows, also=()):
    """Report rows without the complete report's columns of work done (and `also`)."""
    header = rows[0].split(";")
    keep = [i for i, name in enumerate(header) if name not in WORK_COLUMNS and name not in also]
    return [";".join(fields[i] for i in keep if i < len(fields)) for fields in (r.split(";") for r in rows)]


def both(case, work, linux, exe, args, stdin=""):
    """Runs the Linux build and the Windows program on the same arguments, each
    in a copy of the inputs of its own; returns their folders and outputs."""
    results = []
    for side, command in (("linux", [linux]), ("windows", [WINE, str(exe)])):
        folder = work / case / side
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(work / case / "inputs", folder)
        code, out, err = run(command + args, folder, stdin, wine_env(work) if side == "windows" else None)
        results.append((folder, code, out, err))
    return results


def prepare(case, work, copies):
    inputs = work / case / "inputs"
    shutil.rmtree(work / case, ignore_errors=True)
    for source, target in copies:
        shutil.copytree(source, inputs / target) if source.is_dir() else shutil.copy(source, inputs / target)
    return inputs


def emptied_temp_folder(work):
    """Wine's temporary folder, emptied of what the program's runs left there."""
    folders = list((work / "wineprefix" / "drive_c" / "users").glob("*/Temp"))
    if len(folders) != 1:
        fail(f"Wine's temporary folder is not where it was looked for: {folders}")
    for left in folders[0].glob(".loteotimizador-*"):
        shutil.rmtree(left) if left.is_dir() else left.unlink()
    return folders[0]


def solu_of(models):
    """A .solu file made from the models' known results."""
    lines = []
    for line in (models / "optimal.txt").read_text().splitlines():
        parts = line.split()
        if line.startswith("#") or len(parts) < 2:
            continue
        stem = parts[0][: -len(".lp")]
        lines.append(f"=opt=  {stem}  {parts[2]}" if parts[1] == "optimal" else f"=inf=  {stem}")
    return "\n".join(lines) + "\n"


def same(what, linux, windows):
    if linux != windows:
        lines = lambda x: x if isinstance(x, list) else x.splitlines()
        diff = difflib.unified_diff(lines(linux), lines(windows), "Linux", "Windows", lineterm="")
        fail(f"{what} differs:\n" + "\n".join(diff))


def workers_of(exe):
    """The worker processes started from this copy of the program."""
    ps = subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout
    folder = str(exe.parent).replace("/", "\\")
    # Batch workers only: the check of SCIP's settings runs in one of its own ("--trabalhador parametros").
    return [line for line in ps.splitlines() if "--trabalhador opt" in line and folder in line]


def start_batch(inputs, work, exe, args):
    """The Windows program started on `args` in `inputs`, its console text
    in console.txt there (a pipe nobody reads would fill and stop it); it and
    its workers are killed when the test ends, however it ends."""
    atexit.register(lambda: [os.kill(pid, signal.SIGKILL) for pid in unix_worker_pids(exe)])
    with open(inputs / "console.txt", "wb") as console:
        batch = subprocess.Popen([WINE, str(exe)] + args, cwd=inputs, env=wine_env(work), stdin=subprocess.DEVNULL,
                                 stdout=console, stderr=subprocess.STDOUT)
    atexit.register(batch.kill)
    return batch


def unix_worker_pids(exe):
    return [int(line.split()[0]) for line in workers_of(exe)]


def wait_until(done, seconds, failure):
    """Waits for done() to hold; fails with failure() if it does not in time."""
    for _ in range(seconds * 10):
        if done():
            return
        time.sleep(0.1)
    fail(failure())


def wait_for_worker(batch, exe, seconds=300):
    """The worker's process, once it is there a second later still (Wine
    starts a process through a short-lived one of the same name)."""
    for _ in range(int(seconds * 10)):
        pids = unix_worker_pids(exe)
        time.sleep(1) if pids else None
        if pids and pids[0] in unix_worker_pids(exe):
            return pids[0]
        if batch.poll() is not None:
            fail(f"the batch ended early with status {batch.returncode}")
        time.sleep(0.1)
    fail("no worker started")


def long_batch(case, work, exe, source):
    """Starts -j 2 on four quick models and one that runs for hours (handed
    out first, as the largest); returns the process once the quick ones'
    rows are in the report, one worker still busy on the long one."""
    inputs = prepare(case, work, [(source / "examples" / "lp", "lp")])
    shutil.copy(source / "tests" / "models" / "timelimit" / "markshare5.lp", inputs / "lp" / "zz_longo.lp")
    batch = start_batch(inputs, work, exe, ["-j", "2", "opt", "lp", "saida"])
    report = inputs / "saida" / "sol_stat.csv"
    for _ in range(3000):
        if report.is_file() and len(report_rows(report.read_bytes().decode("cp1252"))) == 5:
            if not workers_of(exe):
                fail("no worker is seen running the long model")
            return batch, report
        if batch.poll() is not None:
            fail(f"the batch ended early with status {batch.returncode}")
        time.sleep(0.1)
    fail("the quick models' rows never reached the report")
