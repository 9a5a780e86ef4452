#!/usr/bin/env python3
"""The Windows program, unzipped from its package, run under Wine beside the
Linux build on the same inputs; what each writes is compared.

Usage: wine_tests.py CASE LINUX_BINARY SOURCE_DIR WORK_DIR

Exits 77 (skipped) only when Wine cannot start a program here.
"""
import os
import re
import shutil
import signal
import sys
import tempfile
import time
from pathlib import Path

from wine_support import (WINE, answers, both, emptied_temp_folder, fail, long_batch, masked, prepare, report_rows, run,
                          same, solu_of, statuses, start_batch, start_wine, unix_worker_pids, unzip_program, wait_for_worker,
                          wait_until, windows_text, wine_env, workers_of)


def case_shell(work, linux, exe, source):
    """A shell conversation: help, a time limit typed with a decimal comma, a
    batch on the examples, a translation, a bad command, exit."""
    inputs = prepare("shell", work, [(source / "examples" / "lp", "lp"), (source / "examples" / "mathprog", "mathprog")])
    (inputs / "saida").mkdir()
    typed = "help\ntime_limit\n2,5\nopt\nlp\nsaida\nmod_lp\nmathprog\nabout\nnada\nexit\n"
    (lf, lcode, lout, lerr), (wf, wcode, wout, werr) = both("shell", work, linux, exe, [], typed)
    if lcode != 0 or wcode != 0:
        fail(f"exit statuses {lcode} (Linux) and {wcode} (Windows): {werr.decode('cp1252', 'replace')}")
    if b"\r\n" not in wout or wout.replace(b"\r\n", b"").count(b"\n") != 0:
        fail("the Windows console text does not end every line with \\r\\n")
    same("the shell's console text", masked(lout.decode("utf-8")), masked(windows_text(wout)))
    same("the shell's error text", lerr.decode("utf-8"), windows_text(werr))
    same("sol_stat.csv", report_rows((lf / "saida" / "sol_stat.csv").read_text()),
         report_rows((wf / "saida" / "sol_stat.csv").read_bytes().decode("cp1252")))
    # Without -j, as many workers as the cores this process may use (and models).
    same("the workers started", re.findall(r"# processos: \d+", (lf / "saida" / "parametros.set").read_text()),
         re.findall(r"# processos: \d+", (wf / "saida" / "parametros.set").read_bytes().decode("cp1252")))


def case_opt(work, linux, exe, source):
    """opt -j 2 --solu on the LP models with known optima: every answer
    confirmed, every Z as the Linux build's, the report in Windows' line ends."""
    models = source / "tests" / "models" / "lp"
    inputs = prepare("opt", work, [(models, "lp")])
    (inputs / "lp" / "optimal.txt").unlink()
    (inputs / "conhecidos.solu").write_text(solu_of(models))
    args = ["-j", "2", "--solu", "conhecidos.solu", "opt", "lp", "saida"]
    (lf, lcode, _, lerr), (wf, wcode, wout, werr) = both("opt", work, linux, exe, args)
    if lcode != 0 or wcode != 0:
        fail(f"exit statuses {lcode} (Linux) and {wcode} (Windows): {werr.decode('cp1252', 'replace')}")
    windows_report = (wf / "saida" / "sol_stat.csv").read_bytes()
    if windows_report.count(b"\r\n") != windows_report.count(b"\n"):
        fail("the Windows sol_stat.csv does not end its lines with \\r\\n")
    rows = report_rows(windows_report.decode("cp1252"))
    same("sol_stat.csv", report_rows((lf / "saida" / "sol_stat.csv").read_text()), rows)
    complete = answers(report_rows((wf / "saida" / "sol_stat_completo.csv").read_bytes().decode("cp1252")))
    same("sol_stat_completo.csv", answers(report_rows((lf / "saida" / "sol_stat_completo.csv").read_text())), complete)
    header = complete[0].split(";")
    confirmed = [r.split(";")[header.index("CONFERE")] for r in complete[1:]]
    if len(confirmed) != 15 or any(c != "OK" for c in confirmed):
        fail(f"not every answer confirmed: {confirmed}")
    for sol in sorted((lf / "saida").glob("*.sol")):
        same(sol.name, sol.read_text(), (wf / "saida" / sol.name).read_bytes().decode("cp1252").replace("\r\n", "\n"))


def case_time_limit(work, linux, exe, source):
    """A model stopped by its time limit is reported as such, beside one solved."""
    inputs = prepare("limit", work, [(source / "examples" / "lp", "lp")])
    shutil.copy(source / "tests" / "models" / "timelimit" / "markshare5.lp", inputs / "lp" / "markshare5.lp")
    code, out, err = run([WINE, str(exe), "-t", "2", "-j", "2", "opt", "lp", "saida"], inputs, env=wine_env(work))
    if code != 0:
        fail(f"exit status {code}: {err.decode('cp1252', 'replace')}")
    rows = statuses(inputs / "saida" / "sol_stat.csv")
    if rows.get("markshare5.lp") != "PROCESSO INTERROMPIDO - LIMITE DE TEMPO":
        fail(f"markshare5.lp is not reported as stopped by its time limit: {rows}")
    if rows.get("mochila.lp") != "SOL OTIMA":
        fail(f"mochila.lp is not solved beside it: {rows}")


def case_mod_lp(work, linux, exe, source):
    """mod_lp on GLPK's MathProg examples: LP files as the Linux build's but for line ends."""
    prepare("mod_lp", work, [(source / "tests" / "models" / "mathprog", "mathprog")])
    (lf, lcode, lout, _), (wf, wcode, wout, werr) = both("mod_lp", work, linux, exe, ["-j", "2", "mod_lp", "mathprog"])
    if lcode != wcode:
        fail(f"exit statuses {lcode} (Linux) and {wcode} (Windows): {werr.decode('cp1252', 'replace')}")
    linux_lps = sorted(p.name for p in (lf / "mathprog").glob("*.lp"))
    windows_lps = sorted(p.name for p in (wf / "mathprog").glob("*.lp"))
    same("the LP files written", "\n".join(linux_lps), "\n".join(windows_lps))
    if len(linux_lps) < 10:
        fail(f"only {len(linux_lps)} LP files written")
    for name in linux_lps:
        windows_lp = (wf / "mathprog" / name).read_bytes().replace(b"\r\n", b"\n")
        same(name, (lf / "mathprog" / name).read_bytes().decode("latin-1"), windows_lp.decode("latin-1"))
    same("mod_lp's console text", lout.decode("utf-8"), windows_text(wout))
    # From a working folder on another file system, the folder named in full:
    # each LP file is still written through a temporary file beside it.
    elsewhere = Path(tempfile.mkdtemp(dir="/dev/shm" if os.path.isdir("/dev/shm") else None))
    for lp in (wf / "mathprog").glob("*.lp"):
        lp.unlink()
    code, _, err = run([WINE, str(exe), "mod_lp", "Z:" + str(wf / "mathprog").replace("/", "\\")], elsewhere,
                       env=wine_env(work))
    left = list(elsewhere.glob(".loteotimizador-*"))  # a model may write files of its own there
    shutil.rmtree(elsewhere, ignore_errors=True)
    if code != lcode or left:
        fail(f"mod_lp from elsewhere: status {code}, temporary files left in the working folder: {left}")
    rewritten = sorted(p.name for p in (wf / "mathprog").glob("*.lp"))
    same(f"the LP files written from elsewhere (status {code}, {windows_text(err)})", windows_lps, rewritten)


def case_interrupt(work, linux, exe, source):
    """Ctrl-C (Wine turns SIGINT into the console's Ctrl-C event) stops a
    batch: its finished rows kept, the running models without a row, no
    worker left, status 130; then a program killed outright takes its
    workers with it."""
    batch, report = long_batch("interrupt", work, exe, source)
    batch.send_signal(signal.SIGINT)
    batch.wait(timeout=120)
    out = (report.parent.parent / "console.txt").read_bytes()
    if batch.returncode != 130:
        fail(f"a batch stopped by Ctrl-C ended with status {batch.returncode}, not 130")
    rows = [r.split(";")[0] for r in report_rows(report.read_bytes().decode("cp1252"))[1:]]
    same("the rows kept", "escala.lp inviavel.lp mochila.lp transporte.lp", " ".join(rows))
    if "Lote interrompido: 5 de 6 entradas conclu\u00eddas." not in out.decode("cp1252"):
        fail("the batch does not say it was stopped with 5 of 6 entries done (the .solu file is one)")
    wait_until(lambda: not workers_of(exe), 30, lambda: f"workers left after Ctrl-C: {workers_of(exe)}")
    batch, report = long_batch("killed", work, exe, source)
    batch.kill()
    batch.wait()
    wait_until(lambda: not workers_of(exe), 30, lambda: f"workers outlived the program killed: {workers_of(exe)}")


def case_watchdog(work, linux, exe, source):
    """A worker that stops looking at the clock (stopped outright) is ended
    10 s past its model's limit and the model reported as stopped by it (or,
    stopped while SCIP still read it, as not read); a worker that dies costs
    its model only."""
    inputs = prepare("watchdog", work, [(source / "examples" / "lp", "lp")])
    shutil.copy(source / "tests" / "models" / "timelimit" / "markshare5.lp", inputs / "lp" / "a_parado.lp")
    batch = start_batch(inputs, work, exe, ["-j", "1", "-t", "20", "opt", "lp", "saida"])
    # Taken once SCIP solves it: well within its 20 s.
    stopped = wait_for_worker(batch, exe)
    time.sleep(3)
    os.kill(stopped, signal.SIGSTOP)
    batch.wait(timeout=600)
    console = windows_text((inputs / "console.txt").read_bytes())
    rows = statuses(inputs / "saida" / "sol_stat.csv")
    said = {"PROCESSO INTERROMPIDO - LIMITE DE TEMPO": "passou de 10 s al\u00e9m do tempo m\u00e1ximo e foi",
            "ERRO NA LEITURA DO MODELO": "passou de 10 s al\u00e9m do tempo m\u00e1ximo durante a leitura"}
    if rows.get("a_parado.lp") not in said or said[rows["a_parado.lp"]] not in console:
        fail(f"the stopped worker's model: {rows.get('a_parado.lp')}\n{console}")
    if rows.get("mochila.lp") != "SOL OTIMA":
        fail(f"the batch did not go on without the stopped worker: {rows}")
    # Ended by the system a moment after the program let it go.
    wait_until(lambda: stopped not in unix_worker_pids(exe), 60, lambda: "the stopped worker was never ended")
    inputs = prepare("dies", work, [(source / "examples" / "lp", "lp")])
    shutil.copy(source / "tests" / "models" / "timelimit" / "markshare5.lp", inputs / "lp" / "a_morre.lp")
    batch = start_batch(inputs, work, exe, ["-j", "1", "opt", "lp", "saida"])
    os.kill(wait_for_worker(batch, exe), signal.SIGKILL)
    batch.wait(timeout=600)
    rows = statuses(inputs / "saida" / "sol_stat.csv")
    console = windows_text((inputs / "console.txt").read_bytes())
    if rows.get("a_morre.lp") != "ERRO NA RESOLUCAO DO MODELO" or rows.get("mochila.lp") != "SOL OTIMA" or batch.returncode != 1:
        fail(f"a dead worker cost more (or less) than its model, status {batch.returncode} (not 1): {rows}\n{console}")


def case_lock(work, linux, exe, source):
    """Two batches into one output folder: the second is refused while the
    first runs, and starts once the first is gone; --retomar then finishes
    what the first left."""
    inputs = prepare("lock", work, [(source / "examples" / "lp", "lp")])
    shutil.copy(source / "tests" / "models" / "timelimit" / "markshare5.lp", inputs / "lp" / "zz_longo.lp")
    first = start_batch(inputs, work, exe, ["-j", "2", "opt", "lp", "saida"])
    wait_for_worker(first, exe)
    code, out, err = run([WINE, str(exe), "opt", "lp", "saida"], inputs, env=wine_env(work))
    if code != 2 or "em uso por outro lote" not in windows_text(err):
        fail(f"a second batch into a held folder: status {code}, {windows_text(err)}")
    first.kill()
    first.wait()
    code, out, err = run([WINE, str(exe), "-t", "1", "--retomar", "opt", "lp", "saida"], inputs, env=wine_env(work))
    rows = report_rows((inputs / "saida" / "sol_stat.csv").read_text())
    if code != 0 or len(rows) != 6:
        fail(f"--retomar after the first batch was killed: status {code}, rows {rows}, {windows_text(err)}")


def case_features(work, linux, exe, source):
    """What a batch can be beside a folder, run on both builds: a list of
    models under two seeds and two variants, a batch split in two parts and
    merged, a racing batch; every report as the Linux build's but for times.
    Then comparar's page, in the program's own character set."""
    inputs = prepare("features", work, [(source / "examples" / "lp", "lp")])
    # Files in memory are temporary files on Windows. Those that killed programs
    # of other cases left go now; the first file made removes an old one.
    temp = emptied_temp_folder(work)
    planted = temp / ".loteotimizador-OUTRA-4-abcdef.tmp"
    planted.write_text("")
    os.utime(planted, (time.time() - 2 * 86400,) * 2)
    # A name with letters of the Windows code page: UTF-8 on Linux, Windows-1252 to the program on Windows.
    shutil.copy(inputs / "lp" / "mochila.lp", inputs / "lp" / "otimiza\u00e7\u00e3o.lp")
    (inputs / "rapida.set").write_text("presolving/maxrounds = 0\n")
    commands = [["--sementes", "0-1", "--variantes", "padrao=,rapida=rapida.set", "opt", "lista.txt", "v"],
                ["--shard", "1/2", "opt", "lp", "p"], ["--shard", "2/2", "opt", "lp", "p"], ["merge", "p"],
                ["-j", "2", "--corrida", "opt", "lp", "c"]]
    sides = []
    for side, program in (("linux", [linux]), ("windows", [WINE, str(exe)])):
        folder = work / "features" / side
        shutil.copytree(inputs, folder)
        # The list names one model by its full path, as each system writes it.
        full = ("Z:" + str(folder).replace("/", "\\") + "\\lp\\escala.lp") if side == "windows" else folder / "lp/escala.lp"
        (folder / "lista.txt").write_text(f"# modelos\n{full}\n\nlp/mochila.lp\r\nlp/transporte.lp\n")
        for args in commands:
            code, _, err = run(program + args, folder, env=wine_env(work) if side == "windows" else None)
            # Nothing said on errors: a racing batch whose private folder could not be made says so there.
            if code != 0 or err:
                fail(f"{side}: {' '.join(args)}: status {code}: {err.decode('cp1252', 'replace')}")
        sides.append(folder)
    # Three reports in each of 4 folders of the list, in the merged folder
    # and in each of its 2 parts, and in the racing batch's folder.
    reports = sorted(p.relative_to(sides[0]) for p in sides[0].glob("**/sol_stat*.csv"))
    same("the reports written", [str(r) for r in reports],
         sorted(str(p.relative_to(sides[1])) for p in sides[1].glob("**/sol_stat*.csv")))
    if len(reports) != 3 * 4 + 3 * 3 + 3:
        fail(f"reports written: {[str(r) for r in reports]}")
    for report in reports:
        if "_arquivos" in report.name:  # file times, to 100 ns on Windows
            continue
        # Which racing copy answers first (its seed) is the machine's timing.
        raced = ("SEMENTE",) if report.parts[0] == "c" else ()
        same(str(report), answers(report_rows((sides[0] / report).read_text()), raced),
             answers(report_rows((sides[1] / report).read_bytes().decode("cp1252")), raced))
    # The racing batch's losing copies were killed: what they left went with them.
    if list(temp.glob(".loteotimizador-*")):
        fail(f"temporary files left behind: {[p.name for p in temp.glob('.loteotimizador-*')]}")
    code, out, err = run([WINE, str(exe), "comparar", "v", "--html", "v.html"], sides[1], env=wine_env(work))
    page = (sides[1] / "v.html").read_bytes() if code == 0 else b""
    for text in (b'<meta charset="windows-1252">', "Comparação".encode("cp1252"), b"padrao", b"rapida"):
        if text not in page:
            fail(f"comparar's page (status {code}) lacks {text!r}: {windows_text(err)}")


def case_scip(work, linux, exe, source):
    """A batch under another SCIP DLL (--scip, and LOTE_SCIP), with the DLLs
    it needs beside it: SCIP 9.2 from the pyscipopt 5.7.1 wheel, named in its
    record, with the answers of the SCIP beside the program."""
    dlls = sorted((source / "build-windows" / "deps" / "pyscipopt-9" / "pyscipopt.libs").glob("libscip*.dll"))
    if not dlls:
        fail("SCIP 9.2 for Windows is not in build-windows/deps: run scripts/windows/build.sh")
    inputs = prepare("scip", work, [(source / "examples" / "lp", "lp")])
    dll = "Z:" + str(dlls[0]).replace("/", "\\")
    runs = {"dez": ([], None), "nove": (["--scip", dll], None), "nove-env": ([], dll)}
    rows = {}
    for folder, (args, variable) in runs.items():
        env = dict(wine_env(work), **({"LOTE_SCIP": variable} if variable else {}))
        code, _, err = run([WINE, str(exe)] + args + ["-j", "2", "opt", "lp", folder], inputs, env=env)
        record = (inputs / folder / "parametros.set").read_bytes().decode("cp1252") if code == 0 else ""
        version = "# SCIP: 10." if folder == "dez" else "# SCIP: 9.2."
        if version not in record or (folder != "dez" and dll not in record):
            fail(f"{folder}: status {code}, record without {version} or {dll}: {windows_text(err)}\n{record}")
        rows[folder] = report_rows((inputs / folder / "sol_stat.csv").read_bytes().decode("cp1252"))
    same("the answers of SCIP 9.2 (--scip)", rows["dez"], rows["nove"])
    # SCIP's DLL without the DLLs it needs: the user is told what to install.
    alone = inputs / "sozinha"
    alone.mkdir()
    shutil.copy(dlls[0], alone / dlls[0].name)
    dll = "Z:" + str(alone / dlls[0].name).replace("/", "\\")
    code, _, err = run([WINE, str(exe), "--scip", dll, "opt", "lp", "sem-dlls"], inputs, env=wine_env(work))
    # The system's reason, then what to install.
    if code != 2 or not re.search(r"\.dll: \w[^\n]* \(falta uma DLL de que ela precisa; [^\n]*Visual C\+\+",
                                  windows_text(err)):
        fail(f"SCIP's DLL alone: status {code}, {windows_text(err)}")
    same("the answers of SCIP 9.2 (LOTE_SCIP)", rows["dez"], rows["nove-env"])


CASES = {case.__name__[len("case_"):]: case for case in (case_shell, case_opt, case_time_limit, case_mod_lp,
         case_interrupt, case_watchdog, case_lock, case_features, case_scip)}


def main():
    case, linux = sys.argv[1], str(Path(sys.argv[2]).resolve())
    source, work = Path(sys.argv[3]).resolve(), Path(sys.argv[4]).resolve()
    work.mkdir(parents=True, exist_ok=True)
    start_wine(work)
    exe = unzip_program(source, work / ("program-" + case))
    CASES[case](work, linux, exe, source)
    print("ok")


if __name__ == "__main__":
    main()
