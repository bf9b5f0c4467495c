#!/usr/bin/env python3
"""kit_survey end to end under Wine, through tools/survey_kit.sh: every program works with the
stand-ins registered; with none registered each host and service probe is broken with its exact
message; a stand-in that hangs gives "hung" and the survey still finishes, its report read meanwhile
saying "in progress", and a program whose scratch folder cannot be made is not run; the comparison
with the earlier report lists exactly the changed rows; a program runs in the survey's job (and,
where the platform shows them, with its quiet error mode and job limits); boxes that come back,
boxes of their own class and other programs' windows are seen; controls that show nothing at their
place make their host broken, and controls that act against their form as those written for a full
form container do leave it working; the report page, opened in headless Chromium, has one summary row per
program and every picture decodes, and its heading names the Windows Wine reports.

    survey_e2e.py ROOT BUILD
"""
import csv
import io
import os
import re
import shutil
import subprocess
import sys
import threading
import time

ROOT, BUILD = sys.argv[1], sys.argv[2]
HERE = os.path.dirname(os.path.abspath(__file__))
WORK = os.path.join(BUILD, "survey", "tests")
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from e2e_checks import chromium, check, failures, run, wine_path  # noqa: E402


def survey(name, *options, setup=(), env=None):
    report = os.path.join(WORK, name)
    shutil.rmtree(report, ignore_errors=True)
    command = [os.path.join(ROOT, "tools", "survey_kit.sh"), "--build", BUILD, *setup, "--",
               "--no-window", "--report", wine_path(report), *options]
    return run(command, env=dict(os.environ, **env) if env else None), report


def kit_survey(script, *arguments):
    """Runs kit_survey through a shell line of its own in the survey's prefix; its exit code and output."""
    command = [os.path.join(ROOT, "tools", "wine_harness.sh"), "--build", os.path.join(BUILD, "survey"),
               "--timeout", "300", "--shell", "--", "bash", "-c", script, "kit_survey",
               os.path.join(BUILD, "survey", "kit", "kit_survey.exe"), *arguments]
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode == 120:  # no display answering, as in run()
        done = subprocess.run(command, capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def rows(report):
    # The survey marks its CSV as UTF-8 (a byte-order mark); a reader takes it with or without one.
    with open(os.path.join(report, "report.csv"), encoding="utf-8-sig", newline="") as f:
        return [line.rstrip("\r\n") for line in f]


def summary_rows(report):
    """The rows without their cause column, which runs with the stand-ins registered leave empty."""
    return [line[:-1] if line.endswith(",") else line for line in rows(report)]


def expect_rows(report, expected_file):
    got = rows(report)
    with open(os.path.join(HERE, expected_file), encoding="utf-8") as f:
        expected = [line.rstrip("\n") for line in f]
    check(len(got) == len(expected), f"{expected_file}: {len(got)} rows, expected {len(expected)}")
    for want, line in zip(expected, got):
        same = re.fullmatch(want[1:], line) if want.startswith("~") else want == line
        check(bool(same), f"{expected_file}: row {line!r}" + ("" if same else f", expected {want!r}"))


def check_page(report, programs):
    page = os.path.join(report, "report.html")
    # A copy of the page with a script that writes each picture's decoded width into the page.
    probe = os.path.join(report, "decoded.html")
    with open(page, encoding="utf-8") as f:
        html = f.read()
    # A window larger than the screen is pictured in screen-sized parts, each shown and painted in
    # turn: every part must show the window (its background as the main colour), none a blank or the
    # desktop. The script writes, per part, the share of the picture's main colour.
    width, height = (int(n) for n in os.environ.get("KIT_SCREEN", "1024x768x24").split("x")[:2])
    script = ("<script>window.addEventListener('load',()=>{const p=document.createElement('p');p.id='decoded';"
              "p.textContent=[...document.images].map(i=>i.complete?i.naturalWidth:0).join(' ');"
              "document.body.appendChild(p);const q=document.createElement('p');q.id='parts';"
              f"const W={width},H={height};q.textContent=[...document.images].filter(i=>i.naturalWidth>W||i.naturalHeight>H)"
              ".flatMap(i=>{const c=document.createElement('canvas');c.width=i.naturalWidth;c.height=i.naturalHeight;"
              "const g=c.getContext('2d');g.drawImage(i,0,0);const d=g.getImageData(0,0,c.width,c.height).data;"
              "const at=(x,y)=>{const o=4*(y*c.width+x);return d[o]<<16|d[o+1]<<8|d[o+2];};const n=new Map();"
              "for(let y=0;y<c.height;y++)for(let x=0;x<c.width;x++){const k=at(x,y);n.set(k,(n.get(k)||0)+1);}"
              "const main=[...n].sort((a,b)=>b[1]-a[1])[0][0];const shares=[];"
              "for(let y0=0;y0<c.height;y0+=H)for(let x0=0;x0<c.width;x0+=W){let m=0,t=0;"
              "for(let y=y0;y<Math.min(y0+H,c.height);y++)for(let x=x0;x<Math.min(x0+W,c.width);x++){t++;m+=at(x,y)==main;}"
              "shares.push((m/t).toFixed(2));}return shares;}).join(' ');document.body.appendChild(q);});</script>")
    with open(probe, "w", encoding="utf-8") as f:
        f.write(html.replace("</body>", script + "</body>"))
    dom = chromium("--virtual-time-budget=5000", "--dump-dom", "file://" + probe).stdout
    summary = dom[dom.find('id="summary"'):]
    summary = summary[:summary.find("</table>")]
    check(summary.count("<tr class=") == programs, f"the summary has {summary.count('<tr class=')} rows for {programs} programs")
    widths = re.search(r'<p id="decoded">([^<]*)</p>', dom)
    widths = widths.group(1).split() if widths else []
    pictures = html.count("data:image/png;base64,")
    check(pictures > programs and len(widths) == pictures and all(int(w) > 0 for w in widths),
          f"every picture decodes in the browser ({len(widths)} of {pictures}: {' '.join(widths[:40])})")
    parts = re.search(r'<p id="parts">([^<]*)</p>', dom)
    parts = parts.group(1).split() if parts else []
    check(all(float(share) >= 0.8 for share in parts),
          f"each screen-sized part of a window larger than the screen shows the window: {' '.join(parts)}")
    shot = os.path.join(BUILD, "survey", "report_page.png")
    chromium("--window-size=1100,1400", "--hide-scrollbars", f"--screenshot={shot}", "file://" + page)
    check(os.path.getsize(shot) > 10000 if os.path.exists(shot) else False, f"a screenshot of the page: {shot}")


def wine_reported_windows():
    """The system the survey's prefix pretends to be, from its registry, in the heading's words."""
    prefix = os.path.join(BUILD, "survey", "wineprefix")
    with open(os.path.join(prefix, "system.reg"), encoding="utf-8", errors="replace") as f:
        text = f.read()
    key = text[text.find("[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion]"):]
    key = key[key.find("\n"):key.find("\n[", 1)]
    values = {name: (string if string or not number else str(int(number, 16)))
              for name, string, number in re.findall(r'^"(\w+)"=(?:"([^"]*)"|dword:([0-9a-f]+))', key, re.M)}
    major, minor = (values["CurrentMajorVersionNumber"], values["CurrentMinorVersionNumber"]) \
        if "CurrentMajorVersionNumber" in values else values["CurrentVersion"].split(".")
    pack = values.get("CSDVersion", "")
    width = "64-bit" if os.path.isdir(os.path.join(prefix, "drive_c", "windows", "syswow64")) else "32-bit"
    return f"{width} Windows {major}.{minor} build {values['CurrentBuildNumber']}" + (f" {pack}" if pack else "")


os.makedirs(WORK, exist_ok=True)

code, works = survey("works")
check(code == 0, f"with the stand-ins registered the survey finds 0 broken (exit code {code})")
expect_rows(works, "expected_works.csv")
with open(os.path.join(works, "report.csv"), "rb") as f:
    check(f.read(3) == b"\xef\xbb\xbf", "the CSV starts with a UTF-8 byte-order mark")
check(all(os.path.exists(os.path.join(works, log)) for log in ("DLLver.log", "Halvard_DLLver.log")),
      "the verifiers' logs are copied beside the report")
check_page(works, 29)
with open(os.path.join(works, "report.html"), encoding="utf-8") as f:
    heading = re.search(r"<h1>([^<]*)</h1>", f.read())
windows = wine_reported_windows()
check(heading is not None and f"({windows})," in heading.group(1),
      f"the heading names the Windows Wine reports, {windows!r}: {heading.group(1) if heading else None!r}")
machine_file = os.path.join(works, "machine.txt")
with open(machine_file, "rb") if os.path.exists(machine_file) else io.BytesIO() as f:
    machine_bytes = f.read()
machine_lines = [line.split("=", 1) for line in machine_bytes.decode("utf-8", "replace").splitlines()]
machine = {key: "" for key in ("machine", "windows", "build", "architecture", "surveyed", "kit")}
machine.update(line for line in machine_lines if len(line) == 2)
check([line[0] for line in machine_lines] == ["machine", "windows", "build", "architecture", "surveyed", "kit"]
      and not machine_bytes.startswith(b"\xef\xbb\xbf") and machine["machine"]
      and machine["windows"] == windows and f" build {machine['build']} " in machine["windows"] + " "
      and machine["architecture"] == "x64" and re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d", machine["surveyed"])
      and machine["kit"] == "1.00",
      f"machine.txt beside the CSV names the machine, its Windows and the kit, key by key: {machine_bytes!r}")
kit = os.path.join(BUILD, "survey", "kit")
left = [f for f in os.listdir(kit) if not f.lower().endswith((".exe", ".dll"))]
temp = os.path.join(BUILD, "survey", "wineprefix", "drive_c", "users", os.environ.get("USER", "root"), "Temp")
scratch = [f for f in os.listdir(temp) if f.startswith("kit_survey_")] if os.path.isdir(temp) else []
check(not left and not scratch, f"the programs wrote only into scratch folders, and those are gone: {left} {scratch}")

code, bare = survey("bare", "--compare", wine_path(os.path.join(works, "report.csv")), setup=("--bare",))
check(code == 25, f"with nothing registered 25 components are broken (exit code {code})")
expect_rows(bare, "expected_bare.csv")
with open(os.path.join(bare, "report.html"), encoding="utf-8") as f:
    html = f.read()
table = html[html.find('<table id="differences">'):]
table = table[:table.find("</table>")]
subjects = re.findall(r"<tr><td>([^<]*)</td>", table)
changed = [line.split(",")[0] for line in rows(bare)[1:] if ",broken," in line]
# Without the native library beside it, Dravon_DLLVer locates one file fewer: its row and its log's row.
expected = sorted(changed + ["Dravon_DLLVer", "DLLver.log: vel_intel_win32.dll"])
check(sorted(subjects) == expected, f"the differences are exactly the changed rows: {sorted(subjects)}")
# Why each is broken: the cause under the broken host, as the browser shows the page.
dom = chromium("--dump-dom", "file://" + os.path.join(bare, "report.html")).stdout
section = dom[dom.find('<section id="probe_graph32">'):]
section = section[:section.find("</section>")]
cause = re.search(r'<li class="cause">([^<]*)</li>', section)
check(cause is not None and cause.group(1) ==
      "GraphLib.Graph {0842D100-1E19-101B-9AAF-1A1626551E7C} is not registered (GRAPH32.OCX)",
      f"the page gives the cause under the broken host: {cause.group(1) if cause else section[:300]!r}")

# The report read while the survey runs (probe_base surveyed, probe_VELvbutils hanging): the CSV's last
# line and the page's heading say "in progress: 1 of 3". Meanwhile the scratch folders' root is taken
# away, so that probe_cmdlg, next, has none: it is not run, and its row says why.
watched = {"report.csv": set(), "report.html": set(), "root taken": False, "machine.txt": False}
surveyed = threading.Event()
PROGRESS = {"report.csv": r"\n(in progress: \d+ of \d+)\r\n$",
            "report.html": r"<h1>[^<]*\((in progress: \d+ of \d+)\)</h1>"}


def listing(folder):
    try:
        return os.listdir(folder)
    except OSError:  # not there (yet, or any more)
        return []


def watch(report):
    while not surveyed.wait(0.2):
        for name, pattern in PROGRESS.items():
            try:
                with open(os.path.join(report, name), encoding="utf-8-sig", newline="") as f:
                    said = re.search(pattern, f.read())
            except OSError:  # not written yet
                continue
            if said:
                watched[name].add(said.group(1))
        watched["machine.txt"] = watched["machine.txt"] or "machine.txt" in listing(report)
        if watched["root taken"] or "in progress: 1 of 3" not in watched["report.html"]:
            continue
        roots = [os.path.join(temp, f) for f in listing(temp) if f.startswith("kit_survey_")]
        if any(f.startswith("probe_VELvbutils_") for root in roots for f in listing(root)):
            for root in roots:
                shutil.rmtree(root, ignore_errors=True)
            watched["root taken"] = True


shutil.rmtree(os.path.join(WORK, "hang"), ignore_errors=True)
watcher = threading.Thread(target=watch, args=(os.path.join(WORK, "hang"),), daemon=True)
watcher.start()
code, hang = survey("hang", "--only", "probe_VELvbutils,probe_base,probe_cmdlg", setup=("--mode", "hang"))
surveyed.set()
watcher.join()
check(code == 2, f"a hanging stand-in and a program not run: two counted (exit code {code})")
check(summary_rows(hang)[1:2] == ['probe_VELvbutils,VELVBUtils.dll,hung,"hung after ""test"", 15 s"'] and
      summary_rows(hang)[3:] == ["probe_base,(the kit itself),works,a plain program of the kit runs"],
      f"the hung program is ended, the step named, and the survey goes on: {summary_rows(hang)[1:]}")
with open(os.path.join(hang, "report.html"), encoding="utf-8") as f:
    page = f.read()
section = page[page.find('<section id="probe_VELvbutils">'):]
section = section[:section.find("</section>")]
check("still open: &quot;Form1&quot;" in section and section.count("data:image/png;base64,") >= 2,
      "before the hung program is ended its open windows are listed and pictured")
check("in progress: 1 of 3" in watched["report.csv"] and "in progress: 1 of 3" in watched["report.html"]
      and watched["machine.txt"],
      f"read while the survey runs, the CSV and the page say it is in progress, machine.txt beside them: {watched}")
with open(os.path.join(hang, "report.html"), encoding="utf-8") as f:
    check("in progress" not in f.read() + "".join(rows(hang)), "the final report says nothing of progress")
not_run = rows(hang)[2] if len(rows(hang)) > 2 else ""
check(watched["root taken"] and re.fullmatch(r'probe_cmdlg,COMDLG32\.OCX,cannot start,"?no scratch folder: .+ \(3\)"?,', not_run),
      f"a program whose scratch folder cannot be made is not run, and its row says why: {not_run!r}")

# Crashes at each step read as crashes (Wine's debugger is off in the harness, as the survey's error
# mode turns the crash window off on Windows), a component's box after Form1 breaks its host, a slow
# close within its bound still works, and a licence refusal is no broken component.
faults = ("GraphLib.Graph:crash;MSFlexGridLib.MSFlexGrid:crashonclose;MSGrid.Grid:latemessage;"
          "VELEditControl.EditControl:slowclose;VELGridViewer32.GridViewer:licensed")
code, crashed = survey("faults", "--only", "probe_graph32,probe_msflxgrd,probe_grid32,probe_VELEditControl,"
                       "probe_VELGridView32,probe_VELvbutils", setup=("--mode", "crash", "--control-fail", faults))
verdicts = {line.split(",")[0]: line.split(",", 2)[2] for line in summary_rows(crashed)[1:]}
expected = {
    "probe_graph32": 'broken,"crashed (0xC0000005, access violation) at start"',
    "probe_VELvbutils": 'broken,"crashed (0xC0000005, access violation) after ""test"""',
    "probe_msflxgrd": 'broken,"crashed (0xC0000005, access violation) while closing (before: Form1 with 1 of 1 control placed)"',
    "probe_grid32": 'broken,"a message after Form1 opened ""Stand-in control"": The stand-in control met an error after it was shown."',
    "probe_VELEditControl": "works,Form1 with 1 of 1 control placed",
}
for program, want in expected.items():
    check(verdicts.get(program) == want, f"{program}: {verdicts.get(program)!r}, expected {want!r}")
check((verdicts.get("probe_VELGridView32") or "").startswith("needs licence key,") and code == 4,
      f"a licence refusal is its own verdict, not counted broken (exit code {code}): {verdicts.get('probe_VELGridView32')}")
with open(os.path.join(crashed, "report.html"), encoding="utf-8") as f:
    check('id="licence"' in f.read(), "the page explains the licence refusal")

# A service probe's component showing a box of its own during the test: broken, with the box's text,
# although the probe then says "Test ok".
code, errorbox = survey("errorbox", "--only", "probe_dao360", setup=("--mode", "errorbox"))
check(code == 1 and summary_rows(errorbox)[1:] == [
    'probe_dao360,DAO 3.60,broken,"a message during the test ""DAO stand-in"": The database engine could not read '
    'its system database.; then: Test ok"'], f"an unexpected box during a test (exit code {code}, rows {summary_rows(errorbox)[1:]})")

# What a surveyed program inherits from the survey, journaled from inside probe_base's place right
# after the broken graph host's diagnosis child has run: the program job, with the limits that end it
# with the survey and on an unhandled exception, and the quiet error mode (no critical-error, fault or
# open-file boxes); and the callback-fault policy as the shell's start left it. Wine 8 starts every
# child with error mode 0 and answers every job limit as 0, so under Wine only the job itself can be
# seen; the line says which platform wrote it.
journal = os.path.join(WORK, "inherited.txt")
if os.path.exists(journal):
    os.remove(journal)
# The survey itself is started inside a job that lets nothing break away from it, as a management
# tool may start it: its programs still run inside a job of the survey's (nested, where the system
# nests jobs; the page's heading says when the system refused).
code, inherited = survey("inherit", "--only", "probe_graph32,probe_base",
                         env={"KIT_INHERIT_JOURNAL": wine_path(journal), "KIT_IN_JOB": "closed"},
                         setup=("--bare", "--stand-for", "probe_base=" + os.path.join(BUILD, "bin", "kit_fx_inherit.exe"),
                                "--program", os.path.join(BUILD, "bin", "dependency_fixtures", "kit_fx_in_job.exe")))
with open(journal, encoding="utf-8") if os.path.exists(journal) else io.StringIO() as f:
    lines = f.read().splitlines()
found = dict(re.findall(r"(\w+)=(\S+)", lines[0])) if len(lines) == 1 else {}
mode, limits = int(found.get("errormode", "0"), 16), int(found.get("limits", "0x0"), 16)
QUIET, KILL_ON_JOB_CLOSE, DIE_ON_UNHANDLED_EXCEPTION = 0x8003, 0x2000, 0x400
check(code == 1 and summary_rows(inherited)[-1:] == ["probe_base,(the kit itself),works,a plain program of the kit runs"],
      f"the journal program runs once as probe_base (exit code {code}, rows {summary_rows(inherited)[1:]}, journal {lines})")
check(found.get("job") == "yes", f"the program runs in the survey's job: {lines}")
if found.get("platform", "").startswith("wine-"):
    print(f"note: under {found['platform']} neither the inherited error mode nor the job's limits can be seen: {lines}")
else:
    check(mode & QUIET == QUIET, f"the program inherits the survey's quiet error mode 0x{QUIET:X}: {lines}")
    want = KILL_ON_JOB_CLOSE | DIE_ON_UNHANDLED_EXCEPTION
    check(limits & want == want, f"the job kills the program with the survey and on an unhandled exception: {lines}")
    check(found.get("callbacks") in ("raised", "not"),
          f"where the system offers the callback-fault policy, the shell's start has faults raised: {lines}")

# A hostile text (markup, quotes, commas, a formula) crosses into the CSV and the page as plain text.
code, hostile = survey("hostile", "--only", "probe_VELvbutils", setup=("--mode", "fail-hostile"))
said = "Test 1 failed: =HYPERLINK(\"http://x/\",\"<b>click</b>\"), 'quoted', & more"
with open(os.path.join(hostile, "report.csv"), encoding="utf-8-sig", newline="") as f:
    parsed = list(csv.reader(f))
with open(os.path.join(hostile, "report.html"), encoding="utf-8") as f:
    page = f.read()
check(code == 1 and parsed[1][3] == said, f"the hostile message reads back exactly from the CSV: {parsed[1:]}")
check("&lt;b&gt;click&lt;/b&gt;" in page and "<b>click</b>" not in page, "the hostile message is escaped in the page")

code, prompt = survey("prompt", "--only", "probe_ado26", setup=("--mode", "prompt"))
check(code == 0 and summary_rows(prompt)[1:] == [
    'probe_ado26,ADO 2.6,works,"ADO works up to the data provider\'s prompt ""stand-in data source"" (cancelled)"'],
      f"the data provider's prompt counts as ADO working and is cancelled (exit code {code}, rows {summary_rows(prompt)[1:]})")

# Dialogs that come late, their control waiting on other threads first (answering what is sent to
# it meanwhile): each is still the answer to its own button.
code, slow = survey("slowdialogs", "--only", "probe_cmdlg", env={"KIT_COMDLG_SLOW": "400"})
check(code == 0 and summary_rows(slow)[1:] == ["probe_cmdlg,COMDLG32.OCX,works,5 of 7 test buttons opened a dialog"],
      f"late dialogs are credited to their buttons (exit code {code}, rows {summary_rows(slow)[1:]})")

# A hostile desktop: a nag box that comes back after every answer, a box of a window class of its
# own, a hidden dialog a control keeps for good, a window of another process that a control waits
# for (as for the system's error reporting), and a component's error box in place of the print
# dialog. Each is seen, answered or its program ended, and the survey ends well within the sum of
# its steps' bounds (12 s to start, 6 s an action, 4 s the close).
faults = ("MSGrid.Grid:nagbox;GraphLib.Graph:ownclassbox;Threed.SSOption:hiddendialog;"
          "MSFlexGridLib.MSFlexGrid:otherprocess")
started = time.monotonic()
code, hostile_desktop = survey("desktop", "--only", "probe_grid32,probe_graph32,probe_threed32,probe_msflxgrd,probe_cmdlg",
                               "--timeout", "12", env={"KIT_COMDLG_NO_DRIVER": "1"},
                               setup=("--control-fail", faults, "--beside", os.path.join(BUILD, "bin", "kit_fx_reporter.exe")))
took = time.monotonic() - started
verdicts = {line.split(",")[0]: line.split(",", 2)[2] for line in summary_rows(hostile_desktop)[1:]}
expected = {
    "probe_grid32": 'broken,"kept showing ""Stand-in control"": This copy of the stand-in control is for evaluation only."',
    "probe_graph32": 'broken,"a message after Form1 opened ""Stand-in control"": The stand-in control could not find its '
                     'licence server."',
    "probe_threed32": "works,Form1 with 4 of 4 controls placed",
    "probe_msflxgrd": 'broken,"a message after Form1 opened ""kit_fx_reporter"": The stand-in control stopped responding '
                      'and is being checked for a solution."',
    "probe_cmdlg": "works,5 of 7 test buttons opened a dialog",
}
for program, want in expected.items():
    check(verdicts.get(program) == want, f"hostile desktop, {program}: {verdicts.get(program)!r}, expected {want!r}")
with open(os.path.join(hostile_desktop, "report.html"), encoding="utf-8") as f:
    page = f.read()
check("a window of another program, kit_fx_reporter.exe" in page and
      "test printer: a message &quot;Common dialog stand-in&quot; instead of the dialog" in page,
      "the page names the other program's window and the component's box in place of the print dialog")
check(code == 3 and took < 5 * 34 + 60, f"the hostile desktop's survey ends within its bounds: {took:.0f} s, exit code {code}")

# Option buttons created and activated without fault that show nothing where the form puts them:
# the host is broken, and the message names them.
code, unseen = survey("unseen", "--only", "probe_threed32", setup=("--control-fail", "Threed.SSOption:showsnothing"))
check(code == 1 and summary_rows(unseen)[1:] == [
    "probe_threed32,THREED32.OCX,broken,\"Form1 with 2 of 4 controls placed; nothing shown at the place of "
    "Option_threed32(1), Option_threed32(0)\""],
      f"controls that show nothing at their place make the host broken (exit code {code}, rows {summary_rows(unseen)[1:]})")

# Controls written for a full form container, each acting against its form the way such controls do
# (walking and moving its siblings, converting coordinates, comparing extenders, events, properties
# before the site, a mnemonic, only the verb Show): their hosts work.
habits = ("Threed.SSCheck:walkcontrols;Threed.SSCheck:mnemonic;Threed.SSOption:samecontainer;Threed.SSFrame:propsfirst;"
          "MSComctlLib.Slider:transform;MSComctlLib.TreeView:event;MSComctlLib.ProgressBar:showonly;"
          "MSComCtl2.UpDown:movesibling;MSComCtl2.MonthView:classinfoonly")
code, habitual = survey("habits", "--only", "probe_threed32,probe_mscomctl,probe_mscomct2",
                        setup=("--control-fail", habits))
check(code == 0 and summary_rows(habitual)[1:] == [
    "probe_threed32,THREED32.OCX,works,Form1 with 4 of 4 controls placed",
    "probe_mscomctl,MSCOMCTL.OCX,works,Form1 with 5 of 5 controls placed",
    "probe_mscomct2,MSCOMCT2.OCX,works,Form1 with 3 of 3 controls placed"],
      f"controls written for a full form container leave their hosts working (exit code {code}, "
      f"rows {summary_rows(habitual)[1:]})")

# Real controls of the platform standing for catalogue classes (TreatAs keys for this run): the
# hosts they serve work.
WEB, PLAYER, SCRIPT = ("{8856F961-340A-11D0-A96B-00C04FD705A2}", "{6BF52A52-394A-11D3-B153-00C04F79FAA6}",
                       "{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}")
REAL = {
    "probe_VELEditControl": [("{0DF2F74E-5EF9-462D-B2AD-75D5A5EE5201}", WEB)],
    "probe_mscomctl": [(c, WEB) for c in ("{66833FE6-8583-11D1-B16A-00C0F0283628}",
                                          "{8E3867A3-8586-11D1-B16A-00C0F0283628}",
                                          "{35053A22-8589-11D1-B16A-00C0F0283628}",
                                          "{C74190B6-8589-11D1-B16A-00C0F0283628}",
                                          "{F08DF954-8592-11D1-B16A-00C0F0283628}")],
    "probe_threed32": [("{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}", WEB)],
    "probe_graph32": [("{0842D100-1E19-101B-9AAF-1A1626551E7C}", PLAYER)],
    "probe_VELControlResizer": [("{54FF8ABC-6A06-46ED-BA34-755864724256}", SCRIPT)],
}
keys = [option for pairs in REAL.values() for c, r in pairs for option in ("--treat-as", f"{c}={r}")]
code, real = survey("real", "--only", ",".join(REAL), setup=keys)
verdicts = [line.split(",")[2] for line in summary_rows(real)[1:]]
check(code == 0 and verdicts == ["works"] * len(REAL),
      f"hosts served by real controls work (exit code {code}, rows {summary_rows(real)[1:]})")

# A Spanish system: message boxes say "Aceptar", dialogs "Cancelar"; answered by their buttons' ids,
# every program reads as in English.
code, spanish = survey("spanish", env={"LANG": "es_ES.UTF-8", "LC_ALL": "es_ES.UTF-8"})
check(code == 0, f"on a Spanish system every program works as well (exit code {code})")
expect_rows(spanish, "expected_works.csv")

# What the survey refuses before any program runs, each with its own exit code and message.
refused = wine_path(os.path.join(WORK, "refused"))
kit_exe = os.path.join(BUILD, "survey", "kit", "kit_survey.exe")
refusals = [
    ("a page given as the earlier CSV", r'"$KIT_WINE" "$1" --no-window --report "$2" --compare "$3"', 104,
     "is not a kit_survey report.csv", (refused, wine_path(os.path.join(works, "report.html")))),
    ("no scratch folder can be made",
     r'"$KIT_WINE" cmd /c "set TEMP=C:\no\such&& set TMP=C:\no\such&& $3 --no-window --only probe_base --report $2"',
     103, "Cannot make a scratch folder", (refused, wine_path(kit_exe))),
]
lonely = os.path.join(WORK, "lonely")
shutil.rmtree(lonely, ignore_errors=True)
os.makedirs(lonely)
shutil.copy(kit_exe, lonely)
refusals.append(("kit_survey copied alone", r'"$KIT_WINE" "$3" --no-window --report "$2"', 100,
                 "No program of the kit lies beside kit_survey",
                 (refused, os.path.join(lonely, "kit_survey.exe"))))
for what, script, want, text, arguments in refusals:
    code, output = kit_survey(script, *arguments)
    check(code == want and text in output, f"{what}: exit code {code} (expected {want}), said {output.strip()[-300:]!r}")

# --explain, through the survey's own child: its exit code tells "something found wrong" from
# "nothing found", and a hostile import table ends within its bound.
fixtures = os.path.join(BUILD, "bin", "dependency_fixtures")
for what, fixture, want, text in [
        ("a library whose assembly serves it", "sxs/kit_fx_uses_sxs_user.dll", 0, "kit_fx_private.dll"),
        ("a hostile import table", "hostile/kit_fx_hostile.dll", 1, "kit_fx_hostile_target.dll is missing")]:
    explained = os.path.join(WORK, "explain")
    shutil.rmtree(explained, ignore_errors=True)
    started = time.monotonic()
    code, output = kit_survey(r'"$KIT_WINE" "$1" --no-window --report "$2" --explain "$3"', wine_path(explained),
                              wine_path(os.path.join(fixtures, fixture)))
    took = time.monotonic() - started
    with open(os.path.join(explained, "explain.txt"), encoding="utf-8") as f:
        said = f.read()
    check(code == want and text in said and "Not seen here" in said and took < 60,
          f"--explain {what}: exit code {code} (expected {want}) in {took:.1f} s, wrote {said[-400:]!r}")

# The progress window's Cancel, clicked once the first program is up (it then hangs): it is ended when
# its bound passes, the rest are skipped, and the report says so.
cancelled = os.path.join(WORK, "cancel")
shutil.rmtree(cancelled, ignore_errors=True)
click = ('"$KIT_WINE" "$1" --report "$2" --only probe_VELvbutils,probe_cmdlg --timeout 20 & survey=$!; '
         'timeout 60 xdotool search --sync --name "^Form1$" >/dev/null; xdotool mousemove 948 689 click 1; wait $survey')
code = run([os.path.join(ROOT, "tools", "wine_harness.sh"), "--build", os.path.join(BUILD, "survey"),
            "--timeout", "120", "--shell", "--", "bash", "-c", click, "click",
            os.path.join(BUILD, "survey", "kit", "kit_survey.exe"), wine_path(cancelled)],
           env=dict(os.environ, KIT_STANDIN_MODE="hang"))
check(code == 101 and summary_rows(cancelled)[1:] == ['probe_VELvbutils,VELVBUtils.dll,hung,"hung after ""test"", 10 s"'],
      f"Cancel in the progress window skips the rest (exit code {code}, rows {summary_rows(cancelled)[1:]})")
with open(os.path.join(cancelled, "report.html"), encoding="utf-8") as f:
    page = f.read()
check("(cancelled after 1 of 2 programs)" in page and "in progress" not in page,
      "the report says it was cancelled, and nothing of progress")

print(f"survey_e2e: {len(failures)} failures")
sys.exit(1 if failures else 0)
