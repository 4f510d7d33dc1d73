#!/usr/bin/env python3
"""The hostile contest: one folder of logs holding every trick an entrant could play on the
committee's machine, cross-checked by one build of velmor, then every output examined.

Usage: hostile_contest.py WORK_DIR PLATFORM COMMAND...
  PLATFORM  linux or windows (velmor.exe under Wine: COMMAND is the Wine wrapper and the
            program; a 32-bit one that cannot run here is reported as skipped)

The folder (named in Cyrillic, as is the output folder) holds: calls that are Windows device
names (COM1, aux, NUL, CON, PRN, LPT1) and a log file named like a device (aux.cbr); a call of
248 characters; spreadsheet formulas as a call, a worked call, a claimed score and a
category; one entrant writing its call in two letter cases (and blanks) in two files; a log
with a UTF-8 byte-order mark; a UTF-16 log; a forged log of a real entrant with QSOs in 2062
and a name that sorts last; a call with a terminal escape, a 70,000-byte line and a 200-byte
frequency; a FIFO, a dangling link and a folder named x.cbr; logs whose file names are not
in the code page (Cyrillic, Greek).

Checked: the exit status; that nothing outside the output folder changed; that the output
folder holds exactly the five outputs and one report per entrant, each under a plain name
the results page links; every CSV row has its columns, no cell starts a formula, the
formulas arrive with their leading '; skipped.csv names every file passed over, and for the
forgery the file that won and why; the case twins are one entrant whose QSOs pair; the
escape reaches no output raw; an over-long field is quoted at most 80 bytes long.

Where Windows differs: aux.cbr is the device AUX there ("a device, not a regular file"); a
dangling link is not listed by Wine at all, so it is not reported.
"""
import csv
import io
import os
import shutil
import subprocess
import sys

FOLDER = "логи"
OUT = "результаты"
PERIOD = ["--period", "2026-05-16T12:00", "2026-05-16T16:00"]
ESC_CALL = "R1\x1b[2JX"
LONG_CALL = "W" * 248
OVER_LONG = "14025 CW 2026-05-16 1500 R1X 599 001 " + "Y" * 70000 + " 599 002"


def log(call, qsos, extra=""):
    text = "START-OF-LOG: 3.0\r\nCONTEST: Velmor\r\nCALLSIGN: %s\r\n%s" % (call, extra)
    for q in qsos:
        text += "QSO: %s\r\n" % q
    return (text + "END-OF-LOG:\r\n").encode("utf-8")


def qso(own, worked, hhmm, date="2026-05-16", freq="14025"):
    return "%s CW %s %s %-13s 599 001    %-13s 599 001" % (freq, date, hhmm, own, worked)


# name -> (bytes, QSO lines); the QSO lines of each counted log get one verdict each.
def fixture():
    logs = {
        "ua1aaa.cbr": [qso("UA1AAA", "UA2BBB", "1200"), qso("UA1AAA", "ua3ccc", "1210"),
                       qso("UA1AAA", "COM1", "1220"), qso("UA1AAA", "+1+1", "1230")],
        "журнал.cbr": [qso("UA2BBB", "UA1AAA", "1200"), qso("UA2BBB", "UA5EEE", "1300")],
        "Ωmega.cbr": [qso("UA5EEE", "UA2BBB", "1301")],
        "ua3ccc-old.cbr": [qso("UA3CCC", "UA1AAA", "1205")],
        "ua3ccc-new.cbr": [qso("ua3ccc", "ua1aaa", "1210")],
        "ua1aaa~forged.cbr": [qso("UA1AAA", "UA2BBB", "1200", date="2062-05-16")],
        "long.cbr": [qso("W", "UA1AAA", "1240")],
        "formula.cbr": [qso("X", "UA1AAA", "1250")],
        "bom.cbr": [qso("UA4DDD", "R9XYZ", "1400")],
        "esc.cbr": [OVER_LONG,
                    "1" * 200 + " CW 2026-05-16 1500 R1X 599 001 R9XYZ 599 002",
                    qso("R1X", "R9ABC", "1510")],
        "aux.cbr": [qso("UA9AUX", "R9XYZ", "1410")],
    }
    calls = {"ua1aaa.cbr": "UA1AAA", "журнал.cbr": "UA2BBB", "Ωmega.cbr": "UA5EEE",
             "ua3ccc-old.cbr": "UA3CCC", "ua3ccc-new.cbr": " ua3ccc ", "ua1aaa~forged.cbr": "UA1AAA",
             "long.cbr": LONG_CALL, "formula.cbr": "=2+5", "bom.cbr": "UA4DDD", "esc.cbr": ESC_CALL,
             "aux.cbr": "UA9AUX"}
    files = {}
    for name, lines in logs.items():
        extra = ""
        if name == "formula.cbr":
            extra = "CATEGORY: -SO\r\nCLAIMED-SCORE: @SUM(1+1)\r\n"
        data = log(calls[name], lines, extra)
        if name == "bom.cbr":
            data = b"\xef\xbb\xbf" + data
        files[name] = (data, len(lines))
    for device in ["COM1", "aux", "NUL", "CON", "PRN", "LPT1"]:
        files["dev-%s.cbr" % device.lower()] = (log(device, [qso(device, "UA1AAA", "1220")]), 1)
    files["utf16.cbr"] = (log("UA9ZZZ", [qso("UA9ZZZ", "UA1AAA", "1200")]).decode().encode("utf-16"), 1)
    return files


def csv_rows(path):
    if not os.path.isfile(path):
        return [["(missing)"]]
    with open(path, newline="", encoding="utf-8", errors="surrogateescape") as f:
        return list(csv.reader(f))


def read_text(path):
    if not os.path.isfile(path):
        return "(missing)"
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace")


def snapshot(top, skip):
    seen = {}
    for root, dirs, names in os.walk(top):
        dirs[:] = [d for d in dirs if os.path.join(root, d) != skip]
        for n in names + dirs:
            p = os.path.join(root, n)
            if os.path.islink(p):
                seen[p] = "link:" + os.readlink(p)
            elif os.path.isfile(p) and not stat_is_fifo(p):
                with open(p, "rb") as f:
                    seen[p] = f.read()
            else:
                seen[p] = "other"
    return seen


def stat_is_fifo(p):
    import stat
    return stat.S_ISFIFO(os.lstat(p).st_mode)


def main():
    work, platform, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    windows = platform == "windows"
    if windows:
        can = subprocess.run(["bash", command[1], "--can-run", command[2]], capture_output=True, text=True)
        if can.returncode == 77:
            print(can.stdout.strip())
            return 0
    shutil.rmtree(work, ignore_errors=True)
    folder = os.path.join(work, FOLDER)
    os.makedirs(os.path.join(folder, "x.cbr"))
    files = fixture()
    for name, (data, _) in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    os.mkfifo(os.path.join(folder, "fifo.cbr"))
    os.symlink(os.path.join(work, "nowhere.cbr"), os.path.join(folder, "gone.cbr"))
    with open(os.path.join(work, "victim.txt"), "w") as f:
        f.write("the committee's own file\n")
    out = os.path.join(work, OUT)
    before = snapshot(work, out)

    run = subprocess.run(command + ["crosscheck", FOLDER, "-o", OUT] + PERIOD, cwd=work, capture_output=True,
                         timeout=600)
    err = run.stderr.decode("utf-8", "surrogateescape").replace("\r\n", "\n")
    faults = []

    def expect(ok, what):
        if not ok:
            faults.append(what)

    expect(run.returncode == 1, "exit status %d, expected 1 (files left out)\n%s" % (run.returncode, err))
    expect("\x1b" not in err, "a raw ESC on standard error")
    expect(snapshot(work, out) == before, "something outside %s changed" % OUT)

    # Exactly the outputs, and one report per entrant, nothing else (no temporary file).
    found = sorted(os.path.relpath(os.path.join(r, n), out) for r, _, ns in os.walk(out) for n in ns)
    reports = sorted(n[len("reports/"):] for n in found if n.startswith("reports" + os.sep))
    expect(sorted(set(found) - {"reports/" + r for r in reports}) ==
           ["results.csv", "results.html", "skipped.csv", "verdicts.csv"], "outputs: %s" % found)

    device_file = "aux.cbr"
    skipped_expected = [
        ("fifo.cbr", "is a FIFO, not a regular file"),
        ("ua1aaa~forged.cbr", "superseded by %s/ua1aaa.cbr: it has a valid QSO inside the period (the latest at "
                              "2026-05-16 1230), this file none" % FOLDER),
        ("ua3ccc-old.cbr", "superseded by %s/ua3ccc-new.cbr: its latest valid QSO inside the period is at "
                           "2026-05-16 1210, this file's at 2026-05-16 1205" % FOLDER),
        ("utf16.cbr", "UTF-16 text: save the log as plain text"),
        ("x.cbr", "is a folder, not a file"),
    ]
    if windows:
        skipped_expected.insert(0, (device_file, "is a device, not a regular file"))
    else:
        skipped_expected.insert(1, ("gone.cbr", "is a symbolic link whose target does not exist"))
    skipped = csv_rows(os.path.join(out, "skipped.csv"))
    expect(skipped == [["file", "reason"]] + [[FOLDER + "/" + n, r] for n, r in skipped_expected],
           "skipped.csv: %s" % skipped)
    for n, r in skipped_expected:
        expect("%s/%s: left out: %s\n" % (FOLDER, n, r) in err, "message for %s: %s" % (n, err))

    # results.csv: one row per entrant, every row whole, formulas disarmed.
    results = csv_rows(os.path.join(out, "results.csv"))
    expect(all(len(r) == 16 for r in results), "results.csv rows without their 16 columns")
    calls = sorted(r[0] for r in results[1:])
    entrants = ["'=2+5", "AUX", "COM1", "CON", "LPT1", "NUL", "PRN", "R1\x1b[2JX", "UA1AAA", "UA2BBB", "UA3CCC",
                "UA4DDD", "UA5EEE", LONG_CALL]
    if not windows:
        entrants.append("UA9AUX")
    expect(calls == sorted(entrants), "entrants: %s" % calls)
    row = {r[0]: r for r in results[1:]}
    expect(row.get("'=2+5", [""] * 16)[1:3] == ["'-SO", "'@SUM(1+1)"], "the formula entrant's row: %s" % row.get("'=2+5"))
    for cell in (c for r in results for c in r):
        expect(cell[:1] not in ("=", "+", "-", "@", "\t", "\r"), "a formula cell in results.csv: %r" % cell)

    # verdicts.csv: one row per QSO line of every counted log.
    verdicts = csv_rows(os.path.join(out, "verdicts.csv"))
    expect(all(len(r) == 10 for r in verdicts), "verdicts.csv rows without their 10 columns")
    left_out = {n for n, _ in skipped_expected}
    lines = sum(n for name, (_, n) in files.items() if name not in left_out)
    expect(len(verdicts) - 1 == lines, "%d verdicts for %d QSO lines" % (len(verdicts) - 1, lines))
    for cell in (c for r in verdicts for c in r):
        expect(cell[:1] not in ("=", "+", "-", "@", "\t", "\r"), "a formula cell in verdicts.csv: %r" % cell)
    by_line = {(r[0], r[1]): r for r in verdicts[1:]}
    expect(by_line.get(("UA1AAA", "7"), [""] * 10)[6:9] == ["'+1+1", "001", "UNIQUE"], "the formula call's row")
    # The case twins: one entrant, whose QSO pairs with UA1AAA's on both sides.
    expect(by_line.get(("UA1AAA", "5"), [""] * 10)[6:9] == ["UA3CCC", "001", "OK"], "UA1AAA's QSO with ua3ccc")
    expect(by_line.get(("UA3CCC", "4"), [""] * 10)[8] == "OK", "UA3CCC's QSO with UA1AAA")
    esc = {r[1]: r for r in verdicts[1:] if r[0] == ESC_CALL}
    expect(esc.get("4", [""] * 10)[8:] == ["INVALID", "the line is %d bytes long, over the 65536 bytes a line may "
                                                      "have" % len("QSO: " + OVER_LONG)],
           "the over-long line: %s" % esc.get("4", [""] * 10)[8:])
    expect(esc.get("5", [""] * 10)[8:] == ["INVALID", 'frequency "%s..." (200 bytes) is not a whole number of kHz '
                                                      'or a band designator' % ("1" * 80)],
           "the 200-byte frequency: %s" % esc.get("5", [""] * 10)[8:])
    expect(max(len(r[9]) for r in esc.values()) < 200, "an INVALID detail quotes more than 80 bytes")

    # Reports: plain names of their own, each linked from the page, no raw ESC anywhere.
    page = read_text(os.path.join(out, "results.html"))
    links = sorted(p.split('"')[0] for p in page.split('href="reports/')[1:])
    expect(links == reports, "the page links %s, the folder holds %s" % (links, reports))
    expect(len({r.lower() for r in reports}) == len(reports), "two reports differ by letter case only")
    for r in reports:
        base = r[:-4]
        expect(r.endswith(".txt") and len(r) <= 64 and all(c.isalnum() and c.isascii() or c in "-_" for c in base),
               "report name %r" % r)
        expect(base.split(".")[0].upper() not in ("CON", "PRN", "AUX", "NUL") + tuple(
            "%s%d" % (d, i) for d in ("COM", "LPT") for i in range(1, 10)), "a device name: %r" % r)
        expect("\x1b" not in read_text(os.path.join(out, "reports", r)), "a raw ESC in reports/%s" % r)
    for name in ["COM1_.txt", "AUX_.txt", "NUL_.txt", "CON_.txt", "PRN_.txt", "LPT1_.txt", "_2_5.txt", "R1__2JX.txt"]:
        expect(name in reports, "no report %s" % name)
    longest = [r for r in reports if r.startswith("WWWW")]
    expect(len(longest) == 1 and len(longest[0]) <= 64, "the long call's report: %s" % longest)
    esc_report = read_text(os.path.join(out, "reports", "R1__2JX.txt"))
    expect("cross-check report for R1\\x1B[2JX\n" in esc_report, "the escaped call in its report")
    expect("\x1b" not in page, "a raw ESC in results.html")

    if faults:
        print("hostile contest (%s): %d faults" % (platform, len(faults)))
        for f in faults:
            print(" -", f[:2000])
        return 1
    print("hostile contest (%s): every file where it belongs, every output as it must be" % platform)
    return 0


if __name__ == "__main__":
    sys.exit(main())
