"""What the Python end-to-end tests share: checks that print the value they got and are counted,
paths as Wine sees them, a harness run tried once more when no display answered, and headless
Chromium with a profile of its own."""
import shutil
import subprocess
import tempfile

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


def run(command, env=None):
    code = subprocess.run(command, env=env).returncode
    if code == 120:  # the harness found no display answering (another harness starting on it): once more
        code = subprocess.run(command, env=env).returncode
    return code


def chromium(*arguments):
    profile = tempfile.mkdtemp(prefix="kit-chromium-")
    try:
        return subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             f"--user-data-dir={profile}", *arguments],
            capture_output=True, text=True, timeout=120)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
