#!/usr/bin/env python3
"""kit_fleet end to end over reports that kit_survey itself makes under Wine (tools/survey_kit.sh, a
prefix of its own): two working machines, two broken the same way (an older VELcdg.dll beside the
kit, which the VEL_Intel_Win32.dll they carry needs in its later release), one broken otherwise and
surveyed twice, and one report of an earlier kit (a four-column CSV, no machine.txt). fleet.csv and
fleet.html must show the group of two with its cause and the component file that sets it apart,
the counts, what changed on the machine surveyed twice, links that resolve to each report's own
page, and the earlier kit's report read; the page, opened in headless Chromium, must render the
same.

    fleet_e2e.py ROOT BUILD

KIT_FLEET, when set, is a native kit_fleet to merge with (build/linux/bin/kit_fleet) instead of
BUILD/bin/kit_fleet.exe under Wine; KIT_FLEET_REPORTS, when set, reuses the reports of an earlier
run in that folder instead of surveying again (both for working on kit_fleet itself).
"""
import csv
import html.parser
import os
import re
import shutil
import subprocess
import sys
import urllib.parse

ROOT, BUILD = sys.argv[1], sys.argv[2]
HOME = os.path.join(BUILD, "fleet")  # the kit folder and the Wine prefix of these surveys
WORK = os.path.join(HOME, "tests")
FIXTURES = os.path.join(BUILD, "bin", "fleet_fixtures")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from e2e_checks import chromium, check, failures, run, wine_path  # noqa: E402


def survey(name, cdg_release, *setup, into_share=False):
    """One survey of the whole kit, with the fleet's VEL_Intel_Win32.dll and VELcdg.dll of the given
    release beside the programs; the exit code and the report folder. With into_share the survey is
    started as a team starts it on every machine (--reports-in a share): it makes its report's usual
    folder there, which is then moved to where the other runs lie."""
    report = os.path.join(WORK, "runs", name)
    shutil.rmtree(report, ignore_errors=True)
    collected = report + "_share"
    shutil.rmtree(collected, ignore_errors=True)
    where = ["--reports-in", wine_path(collected)] if into_share else ["--report", wine_path(report)]
    command = [os.path.join(ROOT, "tools", "survey_kit.sh"), "--build", BUILD, "--home", HOME,
               "--put", "VEL_Intel_Win32.dll=" + os.path.join(FIXTURES, "VEL_Intel_Win32.dll"),
               "--put", "VELcdg.dll=" + os.path.join(FIXTURES, cdg_release, "VELcdg.dll"), *setup,
               "--", "--no-window", *where]
    code = run(command)
    if into_share:
        made = os.listdir(collected) if os.path.isdir(collected) else []
        check(len(made) == 1 and re.fullmatch(r"kit_survey_[^_\\/]+_\d{4}-\d\d-\d\d_\d{6}", made[0]) is not None,
              f"--reports-in: the survey made one folder of the report's usual name in the share: {made}")
        if made:
            shutil.move(os.path.join(collected, made[0]), report)
    return code, report


def read_machine(report):
    with open(os.path.join(report, "machine.txt"), encoding="utf-8") as f:
        return dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)


def as_machine(run_folder, machine, fleet_folder, older_kit=False):
    """A copy of a survey's report as machine MACHINE's. Every survey in one Wine prefix names the
    prefix's one computer, so each report is given a machine of its own afterwards: the machine=
    line of machine.txt, the folder's name "kit_survey_<machine>_<date>_<time>" (as the survey names
    it) and the page's heading, so that a link from the fleet's page lands on a page of that name.
    With older_kit the report is made as a kit before the cause column and machine.txt wrote it:
    four columns, no byte-order mark (which came later still), the machine and time only in the
    folder's name, the Windows only in the page's heading."""
    facts = read_machine(run_folder)
    date, time = facts["surveyed"].split("T")
    folder = os.path.join(fleet_folder, f"kit_survey_{machine}_{date}_{time.replace(':', '')}")
    shutil.copytree(run_folder, folder)
    page = os.path.join(folder, "report.html")
    with open(page, encoding="utf-8") as f:
        text = f.read()
    surveyed_as = re.search(r"<h1>Kit survey of (.*?) \(", text).group(1)
    with open(page, "w", encoding="utf-8") as f:
        f.write(text.replace(f"Kit survey of {surveyed_as}", f"Kit survey of {machine}"))
    if older_kit:
        os.remove(os.path.join(folder, "machine.txt"))
        with open(os.path.join(folder, "report.csv"), encoding="utf-8-sig", newline="") as f:
            rows = list(csv.reader(f))
        with open(os.path.join(folder, "report.csv"), "w", encoding="utf-8", newline="") as f:
            csv.writer(f, lineterminator="\r\n").writerows(row[:4] for row in rows)
    else:
        with open(os.path.join(folder, "machine.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write("".join(f"{key}={machine if key == 'machine' else value}\n" for key, value in facts.items()))
    return folder


def fleet(out, *paths):
    native = os.environ.get("KIT_FLEET")
    if native:
        return subprocess.run([native, "--out", out, *paths]).returncode
    return run([os.path.join(ROOT, "tools", "wine_harness.sh"), "--build", HOME, "--timeout", "120", "--",
                os.path.join(BUILD, "bin", "kit_fleet.exe"), "--out", wine_path(out), *map(wine_path, paths)])


class Node:
    def __init__(self, tag, attrs):
        self.tag, self.attrs, self.children = tag, dict(attrs), []

    def text(self):
        return "".join(c if isinstance(c, str) else "\n" if c.tag == "br" else c.text() for c in self.children)

    def all(self, tag, **attrs):
        for child in self.children:
            if isinstance(child, Node):
                if child.tag == tag and all(child.attrs.get(k) == v for k, v in attrs.items()):
                    yield child
                yield from child.all(tag, **attrs)

    def first(self, tag, **attrs):
        return next(self.all(tag, **attrs), None)


class Page(html.parser.HTMLParser):
    """The page as a tree of elements; text met where no element of the page's own is open (markup
    broken on the way) is kept apart as stray."""
    EMPTY = ("br", "meta", "hr", "img", "link")

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.root = Node("", {})
        self.open = [self.root]
        self.stray = ""
        self.feed(text)
        self.close()

    def handle_starttag(self, tag, attrs):
        node = Node(tag, attrs)
        self.open[-1].children.append(node)
        if tag not in self.EMPTY:
            self.open.append(node)

    def handle_endtag(self, tag):
        for depth in range(len(self.open) - 1, 0, -1):
            if self.open[depth].tag == tag:
                del self.open[depth:]
                return

    def handle_data(self, data):
        if self.open[-1].tag in ("", "html", "body") and data.strip():
            self.stray += data
        self.open[-1].children.append(data)


def rows_of(page, table_id):
    table = page.root.first("table", id=table_id)
    return [[cell.text() for cell in row.children if isinstance(cell, Node)] for row in table.all("tr")] if table else []


os.makedirs(WORK, exist_ok=True)
reuse = os.environ.get("KIT_FLEET_REPORTS")
runs = os.path.join(reuse or WORK, "runs")
if not reuse:
    # Three surveys: the kit with VELcdg.dll's later release (every program works), with its
    # earlier release (VEL_Intel_Win32.dll cannot load: probe_VELUtils broken), and with the later
    # release but a graph control that crashes at creation (probe_graph32 broken).
    code, _ = survey("working", "later", into_share=True)
    check(code == 0, f"the working kit: every program works (exit code {code})")
    code, _ = survey("earlier_cdg", "earlier")
    check(code == 1, f"with the earlier VELcdg.dll one program is broken (exit code {code})")
    code, _ = survey("crashing_graph", "later", "--control-fail", "GraphLib.Graph:crash")
    check(code == 1, f"with a crashing graph control one program is broken (exit code {code})")
with open(os.path.join(runs, "earlier_cdg", "report.csv"), encoding="utf-8-sig", newline="") as f:
    velutils = [row for row in csv.reader(f) if row[0] == "probe_VELUtils"]
check(len(velutils) == 1 and velutils[0][2] == "broken" and "VELcdg.dll" in velutils[0][4]
      and "vel_cdg_grid" in velutils[0][4],
      f"the survey's diagnosis names the earlier VELcdg.dll as the cause: {velutils}")

# The fleet's share, as the reports come back: the two working machines and the two broken the same
# way are one survey each, copied (they are meant to be identical); the earlier kit's report is the
# working survey's as that kit would have written it; the machine broken otherwise has its earlier
# report too, from before the graph control broke (the working survey).
share = os.path.join(WORK, "share")
shutil.rmtree(share, ignore_errors=True)
os.makedirs(share)
folders = {
    "PC-ACCT-01": as_machine(os.path.join(runs, "working"), "PC-ACCT-01", share),
    "PC-ACCT-02": as_machine(os.path.join(runs, "working"), "PC-ACCT-02", share),
    "PC-LAB-07": as_machine(os.path.join(runs, "earlier_cdg"), "PC-LAB-07", share),
    "PC-LAB-09": as_machine(os.path.join(runs, "earlier_cdg"), "PC-LAB-09", share),
    "PC-OLD-05": as_machine(os.path.join(runs, "working"), "PC-OLD-05", share, older_kit=True),
    "PC-SALES-03": as_machine(os.path.join(runs, "crashing_graph"), "PC-SALES-03", share),
}
os.makedirs(os.path.join(share, "earlier"))
as_machine(os.path.join(runs, "working"), "PC-SALES-03", os.path.join(share, "earlier"))
working_time = read_machine(os.path.join(runs, "working"))["surveyed"]

out = os.path.join(WORK, "fleet")
shutil.rmtree(out, ignore_errors=True)
code = fleet(out, share)
check(code == 0, f"kit_fleet merges the share (exit code {code})")

# fleet.csv: one row per machine and program, each machine by its latest report.
with open(os.path.join(out, "fleet.csv"), encoding="utf-8-sig", newline="") as f:
    table = list(csv.reader(f))
header, rows = table[0] if table else [], table[1:]
with open(os.path.join(runs, "working", "report.csv"), encoding="utf-8-sig", newline="") as f:
    programs = len(list(csv.reader(f))) - 1
by_machine = {}
for row in rows:
    by_machine.setdefault(row[0], []).append(row)
check(header == ["machine", "windows", "program", "verdict", "message", "cause"], f"fleet.csv's header: {header}")
check(sorted(by_machine) == sorted(folders) and all(len(r) == programs for r in by_machine.values()),
      f"fleet.csv has {programs} rows for each of the six machines: "
      f"{ {name: len(r) for name, r in by_machine.items()} }")
failing = sorted((row[0], row[2], row[3]) for row in rows if row[3] != "works")
check(failing == [("PC-LAB-07", "probe_VELUtils", "broken"), ("PC-LAB-09", "probe_VELUtils", "broken"),
                  ("PC-SALES-03", "probe_graph32", "broken")],
      f"fleet.csv: the broken rows are the three machines' latest: {failing}")
windows = read_machine(os.path.join(runs, "working"))["windows"]
old = by_machine.get("PC-OLD-05", [])
check(old and all(row[1] == windows and row[5] == "" for row in old),
      f"the earlier kit's report: its Windows read from the page's heading ({windows!r}), no causes: "
      f"{sorted({(row[1], row[5]) for row in old})}")

# fleet.html as written, then as Chromium parses it.
with open(os.path.join(out, "fleet.html"), encoding="utf-8") as f:
    written = f.read()
check("<script" not in written and "Z:\\" not in written.split("<h2>What the broken machines share")[0],
      "the page holds no script, and no surveyed path in its summary")
dom = chromium("--dump-dom", "file://" + os.path.join(out, "fleet.html")).stdout
for source, text in (("fleet.html", written), ("Chromium's DOM", dom)):
    page = Page(text)
    check(not page.stray.strip(), f"{source}: no text outside the page's elements: {page.stray.strip()[:200]!r}")
    outcome = page.root.first("p", id="outcome")
    outcome = outcome.text() if outcome else ""
    check(outcome.startswith("6 machines, 3 with something broken"),
          f"{source}: the summary counts six machines, three broken: {outcome!r}")
    counts = {row[0]: row[1] for row in rows_of(page, "programs")[1:]}
    everywhere = page.root.first("p", id="working-everywhere")
    everywhere = everywhere.text() if everywhere else ""
    check(list(counts.items()) == [("probe_VELUtils", "broken 2, works 4"), ("probe_graph32", "broken 1, works 5")]
          and everywhere.startswith(f"Work on every machine that ran them ({programs - 2} programs): "),
          f"{source}: per program the machines by verdict, broken first, the others in one line: "
          f"{list(counts.items())[:4]} {everywhere[:80]!r}")
    groups = {}
    for section in page.root.all("section", **{"class": "group"}):
        parts = {p.attrs.get("class"): p.text() for p in section.all("p")}
        parts["apart"] = [li.text() for li in section.all("li")]
        parts["links"] = [a.attrs.get("href", "") for a in section.all("a")]
        groups[section.first("h3").text() if section.first("h3") else ""] = parts
    check(list(groups) == ["probe_VELUtils: 2 machines", "probe_graph32: 1 machine"],
          f"{source}: the broken machines' groups, the larger first: {list(groups)}")
    cdg = groups.get("probe_VELUtils: 2 machines", {})
    check("VELcdg.dll" in cdg.get("cause", "") and "vel_cdg_grid" in cdg.get("cause", "")
          and ":\\" not in cdg.get("cause", "") and cdg.get("machines") == "PC-LAB-07, PC-LAB-09",
          f"{source}: the group of two with its cause, paths reduced to names: {cdg}")
    apart = cdg.get("apart", [])
    check(apart[:1] == ["both broken machines have VELcdg.dll version 1.0.3.2; 4 working ones on the same Windows have 2.1.0.7"]
          and any(a.startswith("both broken machines have VEL_Intel_Win32.dll location (not located); 4 working ones "
                               "on the same Windows have Z:\\") for a in apart),
          f"{source}: the telling difference, VELcdg.dll's release: {apart}")
    graph = groups.get("probe_graph32: 1 machine", {})
    check(graph.get("cause") == "crashed (0xC0000005, access violation) at start" and not graph.get("apart")
          and graph.get("machines") == "PC-SALES-03",
          f"{source}: the machine broken otherwise, by its message, nothing set apart: {graph}")
    spread = {(row[0], row[1]): row for row in rows_of(page, "spread")[1:]}
    check(spread.get(("VELcdg.dll", "version"), [""] * 4)[2:] == ["2.1.0.7: 4\n1.0.3.2: 2", "PC-LAB-07 (1.0.3.2), PC-LAB-09 (1.0.3.2)"]
          and spread.get(("VEL_Intel_Win32.dll", "location"), [""] * 4)[3] == "PC-LAB-07 (not located), PC-LAB-09 (not located)",
          f"{source}: the component files' spread, the two machines unlike the majority: {list(spread.values())}")
    listed = {row[0]: row for row in rows_of(page, "machines")[1:]}
    check(sorted(listed) == ["PC-LAB-07", "PC-LAB-09", "PC-SALES-03"] and
          [listed[m][4] for m in sorted(listed)] == ["probe_VELUtils broken"] * 2 + ["probe_graph32 broken"] and
          listed["PC-SALES-03"][5] == f"since {working_time}:\nprobe_graph32: works \u2192 broken",
          f"{source}: the machine table lists the three, the one surveyed twice with what changed: {list(listed.values())}")
    rest = page.root.first("p", id="unremarkable")
    rest = rest.text() if rest else ""
    check(rest.startswith("3 other machines"), f"{source}: the rest counted: {rest!r}")
    # Every link is relative and lands on its machine's own report page.
    links = [(a.attrs.get("href", ""), a.text()) for a in page.root.all("a")]
    bad = [(href, name) for href, name in links
           if href.startswith(("/", "file:")) or ":" in href.split("/")[0] or name not in folders
           or os.path.normpath(os.path.join(out, urllib.parse.unquote(href))) !=
           os.path.normpath(os.path.join(folders[name], "report.html"))]
    check(links and not bad and all(os.path.isfile(os.path.join(out, urllib.parse.unquote(h))) for h, _ in links),
          f"{source}: {len(links)} links, each relative, each to its machine's own page, which is there: {bad[:3]}")

shot = os.path.join(out, "fleet.png")
chromium("--window-size=1000,2100", "--hide-scrollbars", f"--screenshot={shot}", "file://" + os.path.join(out, "fleet.html"))
check(os.path.exists(shot) and os.path.getsize(shot) > 10000, f"a screenshot of the page: {shot}")

print(f"fleet_e2e: {len(failures)} failures")
sys.exit(1 if failures else 0)
