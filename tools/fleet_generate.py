#!/usr/bin/env python3
"""A fleet of survey reports for kit_fleet's tests and benchmark, derived from real reports.

    fleet_generate.py OUT N [--seed S]

Writes N machines' report folders below OUT (OUT/site_NN/kit_survey_<machine>_<date>_<time>/) and
OUT/planted.json, what was planted in them. The seeds (tests/fleet/seed/) are reports that
kit_survey wrote under Wine: "works" (everything works), "bare" (nothing registered), "hang" and
"faults" (their rows only). Every machine starts from "works"; its verifiers' logs get the
machine's Windows folders, its build's system files and the application's files where an installed
machine has them; the rows and log lines of the other seeds are copied as they are. The fleet:

- distinct machine names, a few twins of one name on another Windows build;
- a spread of Windows builds, 32- and 64-bit;
- most machines working, some of them with one application file at an unusual version;
- a few per cent broken in one shared way: probe_mscomct2 broken and MSCOMCT2.OCX at an older
  version and size than on the working machines;
- some broken in other ways (a row of "bare", the logs as "bare" has them where it tells), some
  crashed (a row of "faults"), some hung (the rows of "hang");
- some surveyed twice, the earlier report first (working where the later is broken, or the other
  way round);
- a few reports of an earlier kit (four CSV columns, no machine.txt, the facts in the folder's name
  and the page's heading) and a few damaged ones (cut short, empty, garbled, no report.csv).

The same OUT, N and seed give the same bytes. Python 3 standard library only.
"""
import argparse
import csv
import datetime
import html
import io
import json
import os
import random
import zlib

SEEDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "tests", "fleet", "seed")
LOGS = ("DLLver.log", "Halvard_DLLver.log")
CSV_HEADER_OLD = "program,component,verdict,message"

# (the Windows as the survey names it, build, architecture as machine.txt gives it, weight)
WINDOWS = [
    ("64-bit Windows 10.0 build 19045", "19045", "x64", 40),
    ("64-bit Windows 10.0 build 22631", "22631", "x64", 20),
    ("64-bit Windows 10.0 build 19044", "19044", "x64", 8),
    ("32-bit Windows 10.0 build 19045", "19045", "x86", 5),
    ("64-bit Windows 6.1 build 7601 Service Pack 1", "7601", "x64", 12),
    ("32-bit Windows 6.1 build 7601 Service Pack 1", "7601", "x86", 8),
    ("32-bit Windows 5.1 build 2600 Service Pack 3", "2600", "x86", 4),
    ("64-bit Windows 6.3 build 9600", "9600", "x64", 3),
]

# Files of Windows itself: their version and size follow the build.
SYSTEM_FILES = {"advpack.dll", "asycfilt.dll", "comcat.dll", "oleaut32.dll", "olepro32.dll", "stdole2.tlb", "msvcrt.dll",
                "advapi32.dll", "gdi32.dll", "wsock32.dll", "comdlg32.dll", "comctl32.dll", "wininet.dll"}
# The application's files as an installed machine has them: (in the system folder?, version, size).
APPLICATION = {
    "msvbvm60.dll": (True, "6.0.98.15", 1386496),
    "GRAPH32.OCX": (True, "5.0.0.3", 245760),
    "COMDLG32.OCX": (True, "6.1.97.82", 140096),
    "GRID32.OCX": (True, "6.0.81.69", 59904),
    "SPIN32.OCX": (True, "5.0.0.2", 40960),
    "TABCTL32.OCX": (True, "6.1.97.82", 209192),
    "THREED32.OCX": (True, "5.0.0.0", 69632),
    "MSFLXGRD.OCX": (True, "6.1.98.39", 262328),
    "COMCTL32.OCX": (True, "6.1.98.34", 617816),
    "MSCOMCT2.OCX": (True, "6.1.98.34", 648032),
    "RICHTX32.OCX": (True, "6.1.98.39", 219456),
    "VEL_Intel_Win32.dll": (False, "2.4.0.118", 82058),
    "VELVBUtils.dll": (False, "2.4.0.118", 155648),
    "VELcdg.dll": (False, "2.4.0.118", 53248),
    "VELControlResizer.dll": (False, "2.4.0.118", 45056),
    "VELGraphControl.ocx": (False, "2.4.0.118", 311296),
    "VELRotation.ocx": (False, "2.4.0.118", 61440),
    "VELSelectDir.ocx": (False, "2.4.0.118", 73728),
    "VELVBTreeView.ocx": (False, "2.4.0.118", 122880),
    "VELEditControl.ocx": (False, "2.4.0.118", 90112),
    "VELFileView.ocx": (False, "2.4.0.118", 98304),
    "VELPointTransform.ocx": (False, "2.4.0.118", 57344),
    "VELProjection.ocx": (False, "2.4.0.118", 65536),
    "VELGridViewer32.dll": (False, "2.4.0.118", 204800),
}
# The shared fault: an older MSCOMCT2.OCX (another installer's) and probe_mscomct2 broken with it.
SHARED_PROGRAM = "probe_mscomct2"
SHARED_FILE = "MSCOMCT2.OCX"
SHARED_VERSION, SHARED_SIZE = "6.0.88.4", 599872
# Working machines with one file unlike the fleet's: (file, version, size).
ODD_FILES = [("RICHTX32.OCX", "6.0.88.4", 203984), ("COMDLG32.OCX", "6.0.84.18", 136008), ("VELFileView.ocx", "2.3.0.97", 94208)]

SITES = ["ABERDEEN", "BERGEN", "CALGARY", "DENVER", "ESBJERG", "HOUSTON", "LAGOS", "MACAE", "PERTH", "STAVANGER"]
ROLES = ["WS", "LAB", "FIELD", "OPS", "GEO", "PC"]
USERS = ["anna", "bjorn", "carlos", "dina", "erik", "femi", "grace", "hans", "ines", "jon", "kari", "liam"]


SEEDS_BY_NAME = {}  # the seeds, read once


def stable(*parts):
    """A number from the parts that is the same on every run (Python's hash() is not)."""
    return zlib.crc32("\n".join(str(p) for p in parts).encode())


class Seed:
    def __init__(self, name):
        folder = os.path.join(SEEDS, name)
        self.name = name
        self.csv = self.read(folder, "report.csv")
        self.logs = {log: self.read(folder, log) for log in LOGS}
        lines = self.csv.split("\r\n")
        self.csv_header = lines[0]
        # The rows as the survey wrote them, by program (the first field is a program name: never quoted).
        self.rows = {line.split(",", 1)[0]: line for line in lines[1:] if line}

    @staticmethod
    def read(folder, file):
        path = os.path.join(folder, file)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read().decode("utf-8")


def log_rows(text):
    """The verifier log's lines: the title, the blank line, the header, the rows, the MDAC line."""
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines[:3], lines[3:-1], lines[-1]


def row_name(line):
    if line.startswith("Unable to locate "):
        return line[len("Unable to locate "):].split(",", 1)[0]
    return line.rsplit(",", 4)[0].rsplit("\\", 1)[-1]


def located(folder, name, date, size, version):
    return f"{folder}\\{name},n/a,{date},{size} bytes,{version}"


def short_date(day):
    return f"{day.month}/{day.day}/{day.year}"


class Machine:
    def __init__(self, name, windows, site, rng):
        self.name = name
        self.windows, self.build, self.architecture, _ = windows
        self.site = site
        sixty_four = self.architecture == "x64"
        xp = self.build == "2600"
        self.system = "C:\\WINDOWS\\system32" if xp else "C:\\Windows\\SysWOW64" if sixty_four else "C:\\Windows\\system32"
        program_files = "C:\\Program Files (x86)" if sixty_four else "C:\\Program Files"
        self.application = "D:\\Apps\\VEL" if rng.random() < 0.05 else program_files + "\\VEL"
        # A few machines run a later update of the build than most: their oleaut32 is newer.
        self.patched = rng.random() < 0.08


def system_file(machine, name, seed_size):
    """The version and size of a Windows file on the machine's build (near its size in the seed)."""
    key = name.lower()
    base = {"2600": "5.1.2600", "7601": "6.1.7601", "9600": "6.3.9600", "19044": "10.0.19041", "19045": "10.0.19041",
            "22631": "10.0.22621"}[machine.build]
    revision = 1000 + stable(key, machine.build) % 9000
    if machine.patched and key == "oleaut32.dll":
        revision += 1
    size = int(seed_size * (0.7 + stable(key, machine.build, "size") % 600 / 1000))
    return f"{base}.{revision}", size


def write_log(seed_text, machine, day, changes):
    """A verifier's log for the machine, line for line as the seed has it: the rows' places,
    versions and sizes the machine's, `changes` (name -> a row's text, or None: not located) last."""
    head, rows, mdac = log_rows(seed_text)
    head = [head[0].rsplit(" on ", 1)[0].rsplit(" ", 1)[0] + f" {short_date(day)} on Unknown"] + head[1:]
    date = short_date(day)
    out = []
    for line in rows:
        name = row_name(line)
        if name in changes:
            change = changes[name]
            out.append(change if change is not None else f"Unable to locate {name},,na,na,")
        elif name.lower() in SYSTEM_FILES:
            seed_size = 67344 if line.startswith("Unable") else int(line.rsplit(",", 4)[3].split()[0])
            version, size = system_file(machine, name, seed_size)
            out.append(located(machine.system, name, date, size, version))
        elif name in APPLICATION:
            in_system, version, size = APPLICATION[name]
            out.append(located(machine.system if in_system else machine.application, name, date, size, version))
        elif not line.startswith("Unable"):
            # Another located file (the C runtimes): the machine's system folder, the seed's size.
            fields = line.rsplit(",", 4)
            out.append(located(machine.system, name, date, fields[3].split()[0], fields[4]))
        else:
            out.append(line)
    return "\r\n".join(head + out + [mdac]) + "\r\n", out


def located_count(rows):
    return sum(1 for row in rows if not row.startswith("Unable")), len(rows)


class Report:
    """One report folder's contents, built up from the seeds."""

    def __init__(self, machine, when):
        self.machine = machine
        self.when = when
        self.rows = dict(SEEDS_BY_NAME["works"].rows)  # program -> the CSV line
        self.changes = {}  # verifier log file name -> its row (None: not located)

    def take(self, seed, program):
        self.rows[program] = SEEDS_BY_NAME[seed].rows[program]

    def files(self, older_kit=False):
        machine, day = self.machine, self.when.date()
        files = {}
        counts = {}
        for log in LOGS:
            text, rows = write_log(SEEDS_BY_NAME["works"].logs[log], machine, day, self.changes)
            files[log] = text
            counts[log] = located_count(rows)
        rows = dict(self.rows)
        for program, log in (("Dravon_DLLVer", "DLLver.log"), ("HalvardDLLVer", "Halvard_DLLver.log")):
            found, total = counts[log]
            rows[program] = f'{program},runtime files,works,"{found} of {total} located, MDAC N/A",'
        if older_kit:
            lines = [CSV_HEADER_OLD] + [four_columns(line) for line in rows.values()]
        else:
            lines = [SEEDS_BY_NAME["works"].csv_header.lstrip("\ufeff")] + list(rows.values())
        files["report.csv"] = "\ufeff" + "\r\n".join(lines) + "\r\n"
        stamp = self.when.strftime("%Y-%m-%dT%H:%M:%S")
        if not older_kit:
            files["machine.txt"] = (f"machine={machine.name}\r\nwindows={machine.windows}\r\nbuild={machine.build}\r\n"
                                    f"architecture={machine.architecture}\r\nsurveyed={stamp}\r\nkit=1.00\r\n")
        files["report.html"] = page(machine, self.when, rows.values())
        return files

    def folder(self):
        return f"kit_survey_{self.machine.name}_{self.when.strftime('%Y-%m-%d_%H%M%S')}"


def four_columns(line):
    fields = next(csv.reader([line]))
    out = io.StringIO()
    csv.writer(out, lineterminator="").writerow(fields[:4])
    return out.getvalue()


def page(machine, when, lines):
    """A small page in the survey's form: its heading as the seeds' pages have it, and the summary."""
    heading = SEEDS_BY_NAME["works"].heading
    prefix = heading[:heading.index("Kit survey of ") + len("Kit survey of ")]
    rows = [next(csv.reader([line])) for line in lines]
    broken = sum(1 for row in rows if row[2] in ("broken", "hung", "cannot start"))
    out = [f'<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>Kit survey of {html.escape(machine.name)}</title>'
           f"</head><body>\n{prefix}{html.escape(machine.name)} ({html.escape(machine.windows)}), "
           f"{when.strftime('%Y-%m-%d %H:%M:%S')}</h1>\n<p id=\"outcome\">{len(rows)} programs, {broken} components found broken.</p>\n"
           "<h2>Summary</h2>\n<table id=\"summary\"><tr><th>program</th><th>component</th><th>verdict</th><th>message</th></tr>\n"]
    for row in rows:
        out.append(f'<tr class="{html.escape(row[2])}"><td>{html.escape(row[0])}</td><td>{html.escape(row[1])}</td>'
                   f'<td class="verdict">{html.escape(row[2])}</td><td>{html.escape(row[3])}</td></tr>\n')
    out.append("</table>\n</body></html>\n")
    return "".join(out)


DAMAGES = ["cut short", "empty", "garbled", "no report.csv"]


def damaged(kind, files):
    """A report damaged in one of the ways reports come back damaged."""
    csv_text = files["report.csv"]
    if kind == "cut short":
        lines = csv_text.split("\r\n")
        files["report.csv"] = "\r\n".join(lines[:8]) + f"\r\nin progress: 7 of {len(lines) - 2}\r\n"
    elif kind == "empty":
        files["report.csv"] = ""
    elif kind == "garbled":
        data = bytearray(csv_text.encode("utf-8")[:300])
        for i in range(0, len(data), 7):
            data[i] = 0
        files["report.csv"] = bytes(data)
    elif kind == "no report.csv":
        del files["report.csv"]
    return files


def write(out, site, folder, files):
    path = os.path.join(out, site, folder)
    os.makedirs(path, exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode("utf-8"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out")
    parser.add_argument("n", type=int)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)

    SEEDS_BY_NAME.update({name: Seed(name) for name in ("works", "bare", "hang", "faults")})
    with open(os.path.join(SEEDS, "works", "heading.html"), encoding="utf-8") as f:
        SEEDS_BY_NAME["works"].heading = f.read().strip()
    bare = SEEDS_BY_NAME["bare"]
    # The other ways to break: bare's broken rows but the shared program's, each with what its
    # log tells (VEL_Intel_Win32.dll not found by the loader is not located by the verifier either).
    other_breaks = [p for p, line in bare.rows.items() if ",broken," in line and p != SHARED_PROGRAM]
    fault_breaks = [p for p, line in SEEDS_BY_NAME["faults"].rows.items() if ",works," not in line]

    weights = [w[3] for w in WINDOWS]
    start = datetime.datetime(2026, 12, 1, 8, 0, 0)
    names = set()
    machines = []
    n_twins = max(1, args.n // 150) if args.n >= 20 else 0
    while len(machines) < args.n - n_twins:
        site = rng.choice(SITES)
        name = f"{site[:3]}-{rng.choice(ROLES)}{rng.randrange(1, 10000):04d}"
        if name in names:
            continue
        names.add(name)
        machines.append(Machine(name, rng.choices(WINDOWS, weights)[0], site, rng))
    for twin_of in rng.sample(machines, n_twins):
        others = [w for w in WINDOWS if (w[1], w[2]) != (twin_of.build, twin_of.architecture)]
        machines.append(Machine(twin_of.name, rng.choice(others), twin_of.site, rng))

    # Each machine's fate: one category each, in these shares.
    shares = [("shared", 0.03), ("other", 0.025), ("fault", 0.008), ("hung", 0.006), ("odd", 0.01),
              ("older kit", 0.01), ("damaged", 0.004)]
    planted = {"seed": args.seed, "machines": len(machines), "reports": 0, "twins": n_twins, "broken": 0,
               "shared": 0, "shared program": SHARED_PROGRAM, "shared file": SHARED_FILE, "shared version": SHARED_VERSION,
               "shared size": f"{SHARED_SIZE} bytes", "working version": APPLICATION[SHARED_FILE][1],
               "other": 0, "fault": 0, "hung": 0, "odd": 0, "older kit": 0, "damaged": 0, "twice": 0, "changed": 0}
    order = list(range(len(machines)))
    rng.shuffle(order)
    fate = ["works"] * len(machines)
    at = 0
    for category, share in shares:
        count = max(1, round(share * len(machines))) if len(machines) >= 20 else 0
        for i in order[at:at + count]:
            fate[i] = category
        at += count

    os.makedirs(args.out, exist_ok=True)
    for i, machine in enumerate(machines):
        when = start + datetime.timedelta(minutes=rng.randrange(0, 20 * 24 * 60), seconds=rng.randrange(60))
        report = Report(machine, when)
        category = fate[i]
        if category == "shared":
            report.take("bare", SHARED_PROGRAM)
            report.changes[SHARED_FILE] = located(machine.system, SHARED_FILE, short_date(when.date()), SHARED_SIZE, SHARED_VERSION)
        elif category == "other":
            program = rng.choice(other_breaks)
            report.take("bare", program)
            if program == "probe_VELUtils":
                report.changes["VEL_Intel_Win32.dll"] = None
        elif category == "fault":
            report.take("faults", rng.choice(fault_breaks))
        elif category == "hung":
            for program in SEEDS_BY_NAME["hang"].rows:
                if ",works," not in SEEDS_BY_NAME["hang"].rows[program]:
                    report.take("hang", program)
        elif category == "odd":
            file, version, size = rng.choice(ODD_FILES)
            in_system = APPLICATION[file][0]
            report.changes[file] = located(machine.system if in_system else machine.application, file,
                                           short_date(when.date()), size, version)
        if category in ("shared", "other", "fault", "hung"):
            planted["broken"] += 1
        if category != "works":
            planted[category] += 1

        site = f"site_{SITES.index(machine.site):02d}"
        # Surveyed twice: the earlier report works where this one is broken; a working machine's
        # earlier report was sometimes broken (mended since).
        twice = category in ("shared", "other", "hung") and rng.random() < 0.5 or category == "works" and rng.random() < 0.04
        if twice:
            earlier = Report(machine, when - datetime.timedelta(days=rng.randrange(5, 40), minutes=rng.randrange(600)))
            changed = category != "works"
            if category == "works" and rng.random() < 0.5:
                earlier.take("bare", rng.choice(other_breaks))
                changed = True
            write(args.out, site, earlier.folder(), earlier.files())
            planted["twice"] += 1
            planted["changed"] += changed
            planted["reports"] += 1
        files = report.files(older_kit=category == "older kit")
        if category == "damaged":
            files = damaged(DAMAGES[(planted["damaged"] - 1) % len(DAMAGES)], files)
        write(args.out, site, report.folder(), files)
        planted["reports"] += 1

    with open(os.path.join(args.out, "planted.json"), "w", encoding="utf-8") as f:
        json.dump(planted, f, indent=1, sort_keys=True)
        f.write("\n")


if __name__ == "__main__":
    main()
