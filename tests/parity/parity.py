#!/usr/bin/env python3
"""One build of velmor against the native one: the same exit status, standard output, error
output and files written, byte for byte, for every run of

  score --raw, cabrillo, body and check  on every bundled log: examples/, every log under
                                         tests/data/ (tests/data/velmor/broken/ holds one
                                         fault per file) and the seed corpora of the ADIF
                                         and Cabrillo readers' fuzz targets;
  crosscheck                             on the example contest (examples/crosscheck) and on
                                         the generated contests in CONTESTS (write_contests).

Each run has a folder of its own holding copies of its inputs, named alike for both builds,
and the program is given relative paths written with '/', so no path separator differs.
velmor.exe writes its messages (standard error) in text mode, so there a CR LF is read as LF
and a '\\' in them as '/' (in the native messages too, which show a control byte of a log
as \\xNN); its standard output and files are compared unchanged.

Usage: parity.py --source DIR --contests DIR --work DIR --reference PROGRAM
                 --leg NAME LAUNCHER PROGRAM
  LAUNCHER "-" runs PROGRAM itself; scripts/run-i386.sh runs a 32-bit Linux build;
  scripts/wine-run.sh a Windows one (all its runs in cmd.exe batches, as starting Wine for
  each run would take most of the time). A Windows program that this machine cannot run is
  skipped: wine-run.sh's line says why, and the exit status is 77.
"""
import argparse
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

CALL = "RZ3VLM"
LOG_SUFFIXES = {".adi", ".adif", ".cbr", ".log"}
# Every word given to velmor and every input's name: nothing a shell or cmd.exe reads as syntax.
SAFE_WORD = re.compile(r"^[A-Za-z0-9_.:/-]+$")
EXAMPLE_PERIOD = ["2026-05-16T12:00", "2026-05-16T16:00"]
RUN_TIMEOUT = 300  # seconds for one run: only ends a run that hangs


class Case:
    def __init__(self, ident, label, args, inputs):
        self.ident = ident    # folder name
        self.label = label    # what the report calls it
        self.args = args      # velmor's arguments
        self.inputs = inputs  # (source file, path in the run's folder)
        for word in args + [dest for _, dest in inputs]:
            if not SAFE_WORD.match(word):
                raise SystemExit(f"parity: {word!r} ({label}) needs quoting; name the input plainly")


def log_inputs(src):
    found = []
    for folder in ("examples", "tests/data"):
        for path in sorted((src / folder).rglob("*")):
            if path.is_file() and path.suffix.lower() in LOG_SUFFIXES:
                found.append((path, path.name))
    # velmor reads .adi and .adif files as ADIF, any other as Cabrillo.
    for corpus, suffix in (("adif_reader", ".adi"), ("cabrillo_reader", ".cbr")):
        for path in sorted((src / "tests/fuzz/corpus" / corpus).iterdir()):
            if path.is_file():
                name = path.name if path.suffix.lower() in LOG_SUFFIXES else path.name + suffix
                found.append((path, name))
    return found


def make_cases(src, contests):
    cases = []
    for number, (path, name) in enumerate(log_inputs(src)):
        log = "log/" + name
        shown = str(path.relative_to(src))
        for args in (["score", "--raw", log], ["cabrillo", log, "--call", CALL], ["body", log, "--call", CALL],
                     ["check", log]):
            cases.append(Case(f"{number:03d}-{args[0]}", f"{args[0]} {shown}", args, [(path, log)]))

    def crosscheck(ident, label, folder, period):
        inputs = [(p, "logs/" + p.name) for p in sorted(folder.iterdir()) if p.is_file()]
        cases.append(Case(ident, label, ["crosscheck", "logs", "-o", "out", "--period"] + period, inputs))

    crosscheck("crosscheck-example", "crosscheck examples/crosscheck", src / "examples/crosscheck", EXAMPLE_PERIOD)
    generated = sorted(p for p in contests.iterdir() if (p / "period").is_file())
    if len(generated) < 2:
        raise SystemExit(f"parity: no generated contests in {contests} (the write_contests fixture)")
    for contest in generated:
        period = (contest / "period").read_text().split()
        crosscheck("crosscheck-" + contest.name, "crosscheck " + contest.name, contest / "logs", period)
    return cases


def prepare(root, case):
    folder = root / case.ident
    for source, dest in case.inputs:
        (folder / dest).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, folder / dest)
    return folder


def files_of(folder):
    return {str(p.relative_to(folder)): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


def run_direct(root, command, cases, jobs):
    """Runs each case as its own process; returns {ident: (status, stdout, stderr, files)}."""
    def one(case):
        folder = prepare(root, case)
        try:
            r = subprocess.run(command + case.args, cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=RUN_TIMEOUT)
            outcome = (r.returncode, r.stdout, r.stderr)
        except subprocess.TimeoutExpired:
            outcome = ("no end within the time limit", b"", b"")
        return case.ident, outcome + (files_of(folder),)

    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        return dict(pool.map(one, cases))


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def run_wine(root, wine_run, program, cases, jobs):
    """Runs every case of a Windows build in cmd.exe batches under Wine (one Wine start per
    batch, not per run); returns what run_direct returns."""
    results = root / "results"
    results.mkdir(parents=True)
    batches = [[] for _ in range(jobs)]
    for i, case in enumerate(cases):
        batches[i % jobs].append(case)
    names = []
    for b, batch in enumerate(batches):
        lines = ["@echo off"]
        for case in batch:
            folder = prepare(root, case)
            out = windows_path(results / case.ident)
            lines.append(f'cd /d "{windows_path(folder)}"')
            run = f'"{windows_path(program)}" {" ".join(case.args)} > "{out}.out" 2> "{out}.err"'
            lines.append(run)
            # 9009: cmd.exe could not start the program at all (seen under Wine on a loaded
            # machine), so the run never began and changed nothing: it is made once more.
            # velmor's own statuses are 0 to 3.
            lines.append(f'if %ERRORLEVEL% EQU 9009 {run}')
            lines.append(f'echo status %ERRORLEVEL% > "{out}.status"')
        name = f"batch-{b}.cmd"
        try:
            (root / name).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))
        except UnicodeEncodeError:
            raise SystemExit(f"parity: the folder {root} has a name cmd.exe may not read; use an ASCII path")
        names.append(name)

    env = dict(os.environ, VELMOR_WINE_TIMEOUT=str(RUN_TIMEOUT * 3))
    procs = [subprocess.Popen(["bash", str(wine_run), "cmd", "/c", name], cwd=root, env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
             for name in names]
    for name, proc in zip(names, procs):
        said, _ = proc.communicate()
        if proc.returncode != 0:
            print(f"parity: {name} ended with status {proc.returncode}:\n{said.decode('utf-8', 'replace')}")

    outcomes = {}
    for case in cases:
        base = results / case.ident
        status_file = base.with_suffix(".status")
        match = re.search(r"status (-?\d+)", status_file.read_text()) if status_file.exists() else None
        status = int(match.group(1)) if match else "no exit status (the batch did not get this far)"
        stdout = base.with_suffix(".out").read_bytes() if base.with_suffix(".out").exists() else b""
        stderr = base.with_suffix(".err").read_bytes() if base.with_suffix(".err").exists() else b""
        outcomes[case.ident] = (status, stdout, stderr, files_of(root / case.ident))
    return outcomes


def first_difference(a, b):
    la, lb = a.split(b"\n"), b.split(b"\n")
    for i in range(max(len(la), len(lb))):
        x = la[i] if i < len(la) else b"(none)"
        y = lb[i] if i < len(lb) else b"(none)"
        if x != y:
            return f"line {i + 1}:\n      native: {x[:200]!r}\n      this:   {y[:200]!r}"
    return "(same lines)"


def compare(case, reference, leg, windows):
    status, out, err, files = leg
    reference_err = reference[2]
    if windows:
        err = err.replace(b"\r\n", b"\n").replace(b"\\", b"/")
        reference_err = reference_err.replace(b"\\", b"/")
    problems = []
    if status != reference[0]:
        problems.append(f"exit status {status}, native {reference[0]}")
    if out != reference[1]:
        problems.append("standard output differs at " + first_difference(reference[1], out))
    if err != reference_err:
        problems.append("error output differs at " + first_difference(reference_err, err))
    for name in sorted(set(reference[3]) | set(files)):
        if name not in files:
            problems.append(f"{name}: not written (the native velmor writes it)")
        elif name not in reference[3]:
            problems.append(f"{name}: written (the native velmor writes no such file)")
        elif files[name] != reference[3][name]:
            problems.append(f"{name}: differs at " + first_difference(reference[3][name], files[name]))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", type=Path, required=True)
    parser.add_argument("--contests", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--reference", type=Path, required=True)
    parser.add_argument("--leg", nargs=3, metavar=("NAME", "LAUNCHER", "PROGRAM"), required=True)
    args = parser.parse_args()
    # The runs start in folders of their own: every path absolute.
    name, launcher, program = args.leg[0], args.leg[1], Path(args.leg[2]).resolve()
    if launcher != "-":
        launcher = str(Path(launcher).resolve())
    args.reference = args.reference.resolve()
    windows = launcher != "-" and Path(launcher).name == "wine-run.sh"

    if windows:
        check = subprocess.run(["bash", launcher, "--can-run", str(program)], stdout=subprocess.PIPE, text=True)
        if check.returncode == 77:
            print(check.stdout.strip())
            return 77
    for what, path in (("the native velmor", args.reference), (f"the {name} velmor", program)):
        if not path.is_file():
            print(f"parity: {what} is missing: {path} (scripts/build.sh builds every tree)")
            return 1

    cases = make_cases(args.source.resolve(), args.contests.resolve())
    work = args.work.resolve()
    shutil.rmtree(work, ignore_errors=True)
    jobs = max(2, os.cpu_count() or 2)
    reference = run_direct(work / "native", [str(args.reference)], cases, jobs)
    if windows:
        outcomes = run_wine(work / name, Path(launcher), program, cases, jobs)
    else:
        command = [str(program)] if launcher == "-" else [launcher, str(program)]
        outcomes = run_direct(work / name, command, cases, jobs)

    failed = 0
    for case in cases:
        problems = compare(case, reference[case.ident], outcomes[case.ident], windows)
        if problems:
            failed += 1
            print(f"DIFFERS: velmor {case.label} (folder {work / name / case.ident}):")
            for p in problems:
                print("    " + p)
    if failed:
        print(f"parity {name}: {failed} of {len(cases)} runs differ from the native velmor's")
        return 1
    print(f"parity {name}: every run gives the native velmor's exit status, output and files "
          f"({len(cases)} runs)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
