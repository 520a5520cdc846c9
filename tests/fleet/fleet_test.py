#!/usr/bin/env python3
"""The fleet playbooks against 20 emulated stations: backups with history,
a changed price found, a failed station that keeps its backup, drift from
the approved files, private files whatever the umask, no password shown.

    fleet_test.py SOURCE_DIR BIN_DIR
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fleet_support  # noqa: E402

SKIP = 77  # ctest's SKIP_RETURN_CODE
STATIONS = ["station-%02d" % i for i in range(1, 21)]
CHANGED, STOPPED = "station-07", "station-03"
NEW_PASSWORD = "864213"


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def expect(condition, message):
    if not condition:
        fail(message)


def run(argv, **kw):
    return subprocess.run(argv, capture_output=True, text=True, **kw)


class Fleet:
    def __init__(self, source, bins, work):
        self.fleet = os.path.join(source, "fleet")
        self.bins = bins
        self.work = work
        self.history = os.path.join(work, "history")
        self.approved = os.path.join(work, "approved")
        self.inventory = os.path.join(work, "inventory.yml")
        self.env = fleet_support.ansible_env(self.fleet)

    def play(self, playbook):
        start = time.monotonic()
        # umask 000: the history must come out private all the same.
        r = run(["ansible-playbook", "-i", self.inventory, "-f", "10", playbook],
                cwd=self.fleet, env=self.env, preexec_fn=lambda: os.umask(0), timeout=400)
        print("--- %s: exit %d, %.1f s" % (playbook, r.returncode, time.monotonic() - start))
        return r

    def git(self, *args):
        r = run(["git", "-C", self.history, *args])
        expect(r.returncode == 0, "git %s: %s" % (" ".join(args), r.stderr))
        return r.stdout

    def last_commit(self):
        """(message, set of paths) of the history's last commit."""
        message = self.git("log", "-1", "--format=%B")
        paths = set(self.git("show", "--name-only", "--format=", "HEAD").split())
        return message, paths

    def report(self, paths):
        names = [p for p in paths if p.startswith("reports/")]
        expect(len(names) == 1, "one report per run, got %s" % names)
        with open(os.path.join(self.history, names[0]), encoding="utf-8", errors="replace") as f:
            return f.read()

    def backup(self, station):
        with open(os.path.join(self.history, "backups", station + ".ini"), "rb") as f:
            return f.read()


def changed_blocks(report):
    return re.findall(r"^== (\S+):", report, re.M)


def change_price_and_password(fleet, server):
    """IMPORT into one controller its own Grade02 with a new level 1 price and
    its own Attendant01 with a new password, as a person at the station would."""
    text = fleet.backup(CHANGED).decode("latin-1")
    sections = {}
    for block in re.split(r"\n(?=\[)", text):
        m = re.match(r"\[(\w+)\]", block.strip())
        if m:
            sections[m.group(1)] = block.strip()
    grade = re.sub(r"(?m)^Price01=.*$", "Price01=2.345", sections["Grade02"])
    attendant = re.sub(r"(?m)^Password=.*$", "Password=" + NEW_PASSWORD, sections["Attendant01"])
    expect(grade != sections["Grade02"] and attendant != sections["Attendant01"],
           "Grade02 Price01 and Attendant01 Password in the backup")
    path = os.path.join(fleet.work, "change.ini")
    with open(path, "w", encoding="latin-1") as f:
        f.write(grade + "\n\n" + attendant + "\n")
    r = run([os.path.join(fleet.bins, "TarvoExtract"), "IMPORT", path, server], env=fleet.env)
    expect(r.returncode == 0, "IMPORT of the change: " + r.stdout)


def test(fleet, emulators):
    fixtures = {name: fleet_support.station_fixture(i + 1) for i, name in enumerate(STATIONS)}
    servers = emulators.start(fixtures)
    fleet_support.write_inventory(fleet.inventory, servers, {
        "tarvo_history": fleet.history, "tarvo_approved": fleet.approved,
        "tarvo_extract": os.path.join(fleet.bins, "TarvoExtract"),
        "tarvo_check": os.environ.get("TARVO_CHECK", os.path.join(fleet.bins, "TarvoCheck"))})

    # 1. Every station backed up, one commit, private files.
    r = fleet.play("backup.yml")
    expect(r.returncode == 0, "first backup failed:\n" + r.stdout[-3000:])
    expect(fleet.git("rev-list", "--count", "HEAD").strip() == "1", "one commit")
    message, paths = fleet.last_commit()
    expect({p for p in paths if p.startswith("backups/")} ==
           {"backups/%s.ini" % s for s in STATIONS}, "20 backups in the commit: %s" % paths)
    backups = {s: fleet.backup(s) for s in STATIONS}
    expect(len(set(backups.values())) == 20, "20 different backups")
    for i, s in enumerate(STATIONS):
        expect(b"Grade 1 S%03d" % (i + 1) in backups[s], s + " holds its own station")
    for root, dirs, files in os.walk(fleet.history):
        for name in dirs + files:
            path = os.path.join(root, name)
            mode = os.stat(path).st_mode & 0o777
            expect(mode & 0o077 == 0, "%s has mode %o" % (path, mode))
            expect(mode == 0o600 or not root.endswith(("backups", "reports")),
                   "%s has mode %o" % (path, mode))
    expect(os.stat(fleet.history).st_mode & 0o777 == 0o700, "history is 0700")
    os.makedirs(fleet.approved, mode=0o700)
    for s in STATIONS:
        shutil.copy(os.path.join(fleet.history, "backups", s + ".ini"), fleet.approved)

    # 2. One price and one password changed at one station: that station
    # alone in the commit and the report, the grade and level named, the
    # password's value nowhere.
    change_price_and_password(fleet, servers[CHANGED])
    r = fleet.play("backup.yml")
    expect(r.returncode == 0, "second backup failed:\n" + r.stdout[-3000:])
    message, paths = fleet.last_commit()
    expect({p for p in paths if p.startswith("backups/")} == {"backups/%s.ini" % CHANGED},
           "only %s committed: %s" % (CHANGED, paths))
    expect(re.findall(r"station-\d+", message) == [CHANGED], "commit message: " + message)
    report = fleet.report(paths)
    expect(changed_blocks(report) == [CHANGED], "report:\n" + report)
    block = report.split("== " + CHANGED, 1)[1]
    expect("Grade02" in block and re.search(r"Price0?1\b.*2\.345", block),
           "grade and level named:\n" + report)
    expect("Password" in block and NEW_PASSWORD not in report and NEW_PASSWORD not in r.stdout,
           "password changed, its value not shown:\n" + report)

    # 3. Drift from the approved files (the first backups): that station alone.
    r = fleet.play("drift.yml")
    expect(r.returncode == 0, "drift failed:\n" + r.stdout[-3000:])
    drift_dir = os.path.join(fleet.history, "drift")
    drifts = os.listdir(drift_dir)
    expect(len(drifts) == 1, "one drift report: %s" % drifts)
    with open(os.path.join(drift_dir, drifts[0]), encoding="utf-8", errors="replace") as f:
        drift = f.read()
    expect(changed_blocks(drift) == [CHANGED], "drift report:\n" + drift)
    expect("Grade02" in drift and re.search(r"Price0?1\b", drift), "drift names the grade:\n" + drift)
    expect(NEW_PASSWORD not in drift and NEW_PASSWORD not in r.stdout,
           "no password value in the drift report")
    expect(os.stat(os.path.join(drift_dir, drifts[0])).st_mode & 0o777 == 0o600,
           "drift report is 0600")

    # 4. One controller gone: that station failed, its backup untouched, the
    # play non-zero, the 19 others done.
    before = fleet.backup(STOPPED)
    emulators.stop(STOPPED)
    r = fleet.play("backup.yml")
    expect(r.returncode != 0, "a failed station fails the play")
    expect(fleet.backup(STOPPED) == before, "the failed station's backup is untouched")
    expect(fleet.git("rev-list", "--count", "HEAD").strip() == "3", "a commit per run")
    message, paths = fleet.last_commit()
    expect(not any(p.startswith("backups/") for p in paths), "no backup changed: %s" % paths)
    expect("Failed: " + STOPPED in message, "commit message: " + message)
    report = fleet.report(paths)
    expect(re.search(r"^0 changed, 0 new, 19 unchanged, 1 failed$", report, re.M),
           "19 backed up, 1 failed:\n" + report)
    expect(re.search(r"^  %s: Logon failed.*%s" % (STOPPED, re.escape(servers[STOPPED])),
                     report, re.M), "the failure line:\n" + report)
    expect(not os.path.exists(os.path.join(fleet.history, ".incoming")), "no export left over")


def check_syntax(source, fleet_dir, env):
    """Both playbooks, and the Windows runner's tasks, which only run on a
    Windows host: ansible-playbook --syntax-check and ansible-lint."""
    windows = os.path.join(source, "tests", "fleet", "windows-syntax.yml")
    env = dict(env, ANSIBLE_ROLES_PATH=os.path.join(fleet_dir, "roles"))
    for playbook in ("backup.yml", "drift.yml", windows):
        r = run(["ansible-playbook", "--syntax-check", "-i", "localhost,", playbook],
                cwd=fleet_dir, env=env)
        expect(r.returncode == 0, "syntax of %s:\n%s%s" % (playbook, r.stdout, r.stderr))
    r = run(["ansible-inventory", "-i", "inventory.example.yml", "--list"], cwd=fleet_dir, env=env)
    expect(r.returncode == 0 and "faro-marina" in r.stdout, "inventory.example.yml:\n" + r.stderr)
    if shutil.which("ansible-lint"):
        r = run(["ansible-lint", "--offline", "--nocolor", ".", windows], cwd=fleet_dir, env=env)
        expect(r.returncode == 0, "ansible-lint:\n%s%s" % (r.stdout, r.stderr))
    else:
        print("ansible-lint not installed: not linted")


def main():
    source, bins = sys.argv[1], sys.argv[2]
    if not shutil.which("ansible-playbook"):
        print("SKIPPED: ansible-playbook is not installed (scripts/deps.sh installs it)")
        return SKIP
    check = os.environ.get("TARVO_CHECK", os.path.join(bins, "TarvoCheck"))
    if not os.access(check, os.X_OK):
        print("SKIPPED: no TarvoCheck at %s" % check)
        return SKIP
    work = tempfile.mkdtemp(prefix="tarvo-fleet-")
    fleet = Fleet(source, bins, work)
    try:
        start = time.monotonic()
        check_syntax(source, fleet.fleet, fleet.env)
        print("--- syntax and lint: %.1f s" % (time.monotonic() - start))
        with fleet_support.Emulators(os.path.join(bins, "tarvo-emulator"), work) as emulators:
            test(fleet, emulators)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("fleet playbooks: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
