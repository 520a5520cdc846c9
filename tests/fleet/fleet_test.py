#!/usr/bin/env python3
"""The fleet playbooks against 11 emulated stations: backups with history,
a changed price found, a failed station that keeps its backup, approvals
committed, drift from the approved files by kind (a partial file, keys left
out by the settings, a name beyond Latin-1), private files whatever the
umask, no password shown; changes IMPORT does not read kept, drift clean
after approval, status and reports, the recap, notices by command and mail,
restore, an unreachable runner, the time limit and refused station names; a
second run refused by the lock while the first ends whole, check runs that
change nothing, and the wrapper's exit codes 0, 3 and 4.

    fleet_test.py SOURCE_DIR BIN_DIR
"""

import email
import email.policy
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fleet_support  # noqa: E402
from fleet_support import expect, run  # noqa: E402

SKIP = 77  # ctest's SKIP_RETURN_CODE
# Each station has a part of its own below; the last two share a runner.
STATIONS = ["station-%02d" % i for i in range(1, 12)]
N = len(STATIONS)
# The stations an unreachable runner serves: --limit station-1*.
RUNNER_STATIONS = [s for s in STATIONS if s.startswith("station-1")]
CHANGED, STOPPED = "station-07", "station-03"
FIRMWARE, CHANNELS, GAP_CLIENT, SLOW = "station-01", "station-02", "station-05", "station-04"
# An attendant added; an approved file that holds only part of the station;
# a pump name beyond one byte per character; an approved file put aside
# for a restore.
ADDED, PARTIAL, LODZ, NO_APPROVED = "station-06", "station-08", "station-09", "station-10"
PUMP_NAME = "Bomba 2 \u0141\u00f3d\u017a"
NEW_PASSWORD = "864213"
STAMP = r"\d{8}T\d{6}[+-]\d{4}"


class Fleet(fleet_support.Playbooks):
    forks = 10
    timeout = 400
    # umask 000: the history must come out private all the same.
    umask = 0

    def __init__(self, source, bins, work):
        super().__init__(source, work)
        self.bins = bins
        self.check = os.environ.get("TARVO_CHECK", os.path.join(bins, "TarvoCheck"))

    def last_commit(self):
        """(message, set of paths) of the history's last commit."""
        message = self.git("log", "-1", "--format=%B")
        paths = set(self.git("show", "--name-only", "--format=", "HEAD").split())
        return message, paths

    def report(self, paths):
        names = [p for p in paths if p.startswith("reports/") and p.endswith(".txt")]
        expect(len(names) == 1, "one report per run, got %s" % names)
        expect(re.fullmatch(r"reports/%s\.txt" % STAMP, names[0]), "report's name " + names[0])
        expect(names[0][:-4] + ".json" in paths, "the report's JSON beside it: %s" % paths)
        with open(os.path.join(self.history, names[0]), encoding="utf-8", errors="replace") as f:
            return f.read()

    def report_json(self, paths):
        name = [p for p in paths if p.startswith("reports/") and p.endswith(".json")][0]
        with open(os.path.join(self.history, name), encoding="utf-8") as f:
            return json.load(f)

    def status(self, station):
        with open(os.path.join(self.history, "status", station + ".json"), encoding="utf-8") as f:
            return json.load(f)

    def newest_drift(self):
        """(text, JSON) of the latest drift report."""
        drift_dir = os.path.join(self.history, "drift")
        name = sorted(n for n in os.listdir(drift_dir) if n.endswith(".txt"))[-1]
        with open(os.path.join(drift_dir, name), encoding="utf-8", errors="replace") as f:
            text = f.read()
        with open(os.path.join(drift_dir, name[:-4] + ".json"), encoding="utf-8") as f:
            return text, json.load(f)

    def backup(self, station):
        with open(os.path.join(self.history, "backups", station + ".ini"), "rb") as f:
            return f.read()


def changed_blocks(report):
    return re.findall(r"^== (\S+):", report, re.M)


def recap(output):
    """{station: failed count} of the PLAY RECAP."""
    return {m.group(1): int(m.group(2))
            for m in re.finditer(r"^(\S+)\s+: ok=\d+.*?failed=(\d+)", output, re.M)}


def journal_sets(server):
    calls = fleet_support.emulator_call(server, "$journal")["journal"]
    return [c["call"] for c in calls if c["call"].startswith("Set")]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class MailSink:
    """An SMTP server on loopback (aiosmtpd) that keeps every message in a
    maildir; run with the first Python that has aiosmtpd."""

    def __init__(self, work):
        self.maildir = os.path.join(work, "maildir")
        self.port = free_port()
        python = next((p for p in (sys.executable, "/usr/bin/python3") if p and run(
            [p, "-c", "import aiosmtpd"]).returncode == 0), None)
        expect(python, "aiosmtpd for the mail sink (Debian: python3-aiosmtpd)")
        self.proc = subprocess.Popen(
            [python, "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:%d" % self.port,
             "-c", "aiosmtpd.handlers.Mailbox", self.maildir],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while True:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                break
            except OSError:
                expect(time.monotonic() < deadline and self.proc.poll() is None,
                       "the mail sink did not start")
                time.sleep(0.2)

    def messages(self):
        folder = os.path.join(self.maildir, "new")
        out = []
        for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
            with open(os.path.join(folder, name), "rb") as f:
                out.append(email.message_from_bytes(f.read(), policy=email.policy.default))
        return out

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


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
    fixtures[LODZ]["pumps"][1]["name"] = PUMP_NAME
    servers = emulators.start(fixtures)
    fleet.approved = os.path.join(fleet.history, "approved")  # approve.yml's default
    fleet_support.write_inventory(fleet.inventory, servers, {
        "tarvo_history": fleet.history,
        "tarvo_extract": os.path.join(fleet.bins, "TarvoExtract"),
        "tarvo_check": fleet.check})

    # 1. Every station backed up, one commit, private files.
    r = fleet.play("backup.yml")
    expect(r.returncode == 0, "first backup failed:\n" + r.stdout[-3000:])
    expect(fleet.git("rev-list", "--count", "HEAD").strip() == "1", "one commit")
    message, paths = fleet.last_commit()
    expect({p for p in paths if p.startswith("backups/")} ==
           {"backups/%s.ini" % s for s in STATIONS}, "%d backups in the commit: %s" % (N, paths))
    backups = {s: fleet.backup(s) for s in STATIONS}
    expect(len(set(backups.values())) == N, "%d different backups" % N)
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
    expect(message.startswith("Backup ") and "0 changed, %d new" % N in message.splitlines()[0],
           "new and changed counted apart: " + message)
    report = fleet.report(paths)
    expect(fleet.report_json(paths)["counts"]["new"] == N, "the report's JSON counts %d new" % N)
    expect(fleet.status(STATIONS[0])["lastChange"] and fleet.status(STATIONS[0])["failedNights"]
           == 0, "status: %s" % fleet.status(STATIONS[0]))
    expect("status.txt" in paths and "status/%s.json" % STATIONS[0] in paths,
           "the status in the commit: %s" % paths)
    expect(fleet.backup(LODZ).startswith(b"\xef\xbb\xbf")
           and PUMP_NAME.encode() in fleet.backup(LODZ), "the pump's name whole in the backup")
    approve(fleet)

    # 2. One price and one password changed at one station: that station
    # alone in the commit and the report, the grade and level named, the
    # password's value nowhere.
    change_price_and_password(fleet, servers[CHANGED])
    r = second_run_during_first(fleet, servers)
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

    # 3. Drift from the approved files (the first backups): that station
    # alone. The others are as approved, though every station has tank and
    # hose measures and a client that IMPORT never reaches, and one approved
    # file lacks tables and keys the controller has.
    r = fleet.play("drift.yml")
    expect(r.returncode == 0, "drift failed:\n" + r.stdout[-3000:])
    drift_dir = os.path.join(fleet.history, "drift")
    drifts = sorted(n for n in os.listdir(drift_dir) if n.endswith(".txt"))
    expect(len(drifts) == 1, "one drift report per run: %s" % drifts)
    drift, drift_json = fleet.newest_drift()
    expect(drift_json["counts"]["drifted"] == 1 and drift_json["counts"]["same"] == N - 1,
           "drift after one station's change:\n" + drift)
    expect(re.search(r"^\s+Drift %s of %d stations: 1 drifted, %d as approved, 0 not checked$"
                     % (STAMP, N, N - 1), r.stdout, re.M),
           "the summary ends the play's output:\n" + r.stdout[-2000:])
    expect(changed_blocks(drift) == [CHANGED], "drift report:\n" + drift)
    expect("Grade02" in drift and re.search(r"Price0?1\b", drift), "drift names the grade:\n" + drift)
    expect(NEW_PASSWORD not in drift and NEW_PASSWORD not in r.stdout,
           "no password value in the drift report")
    expect(os.stat(os.path.join(drift_dir, drifts[-1])).st_mode & 0o777 == 0o600,
           "drift report is 0600")
    block = drift.split("== " + CHANGED, 1)[1]
    expect(re.search(r"never reaches.*Client015", block) and "controller only" not in block,
           "a client after the gap is said never reached:\n" + drift)
    expect([s["station"] for s in drift_json["stations"] if s["status"] == "drifted"] == [CHANGED],
           "drift's JSON: %s" % drift_json)
    restore_check(fleet, servers)

    # 4. One controller gone: that station failed, its backup untouched, the
    # play non-zero, the others done.
    before = fleet.backup(STOPPED)
    emulators.stop(STOPPED)
    r = fleet.play("backup.yml", wrapper="scheduled")
    expect(r.returncode == 3 and "exit 3, 1 of %d stations failed (report: " % N in r.stdout,
           "a failed station, the others done: 3\n" + r.stdout[-3000:])
    expect(fleet.backup(STOPPED) == before, "the failed station's backup is untouched")
    expect(fleet.git("rev-list", "--count", "HEAD").strip() == "4", "a commit per run and the approval's")
    message, paths = fleet.last_commit()
    expect(not any(p.startswith("backups/") for p in paths), "no backup changed: %s" % paths)
    expect("Failed: " + STOPPED in message, "commit message: " + message)
    report = fleet.report(paths)
    expect(re.search(r"^0 changed, 0 new, %d unchanged, 1 failed$" % (N - 1), report, re.M),
           "%d backed up, 1 failed:\n" % (N - 1) + report)
    expect(re.search(r"^  %s: Logon failed.*%s" % (STOPPED, re.escape(servers[STOPPED])),
                     report, re.M), "the failure line:\n" + report)
    expect(os.listdir(os.path.join(fleet.history, ".runs")) == [], "no export left over")
    failed = recap(r.stdout)
    expect(failed.get(STOPPED) == 1 and sum(failed.values()) == 1 and len(failed) == N,
           "the recap marks %s failed, and it alone: %s" % (STOPPED, failed))
    expect(fleet.status(STOPPED)["failedNights"] == 1, "status: %s" % fleet.status(STOPPED))

    keep_every_change(fleet, emulators, servers)
    drift_kinds(fleet, servers)
    restore(fleet, servers)
    unreachable_runner(fleet)
    time_limit(fleet, servers)
    refused_names(fleet)


def lock_holder(fleet):
    try:
        with open(fleet.history + ".lock", encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


def second_run_during_first(fleet, servers):
    """A backup started by hand while another runs is refused, through the
    wrapper with 4, naming the running play; the first one, slowed down by a
    station, ends with 0 and its results are whole (the caller checks them).
    Returns the first run's result."""
    def slow(state):
        state["faults"] = [{"call": "GetGradeByOrdinal", "delayMs": 3000}]
    fleet_support.change_station(servers[SLOW], slow)
    before = lock_holder(fleet)
    first = fleet.play("backup.yml", wrapper="manual", background=True)
    deadline = time.monotonic() + 60
    while lock_holder(fleet).get("pid") in (None, before.get("pid")):
        expect(time.monotonic() < deadline and first.poll() is None,
               "the first run took no lock: %s" % (first.poll(),))
        time.sleep(0.2)
    second = fleet.play("backup.yml", "-e", "tarvo_lock_wait=0", wrapper="manual")
    out, err = first.communicate(timeout=fleet.timeout)
    fleet_support.change_station(servers[SLOW], lambda state: state.update(faults=[]))
    expect(first.returncode == 0 and "exit 0, every station done" in out,
           "the first run, through the wrapper:\n" + out[-3000:] + err)
    said = " ".join(second.stdout.split())
    expect(second.returncode == 4 and re.search(
        r"Another run holds the lock: Back up every station''?s configuration, started .* "
        r"waited 0 s", said) and "exit 4, the run did not happen" in said,
        "the second run refused:\n" + second.stdout[-3000:])
    return subprocess.CompletedProcess(first.args, first.returncode, out, err)


def check_runs_change_nothing(fleet):
    """backup.yml --check --diff and drift.yml --check, on a changed
    station, the stopped one and one unchanged: the history's files as they
    were; the backup shows what a run would keep, drift plans every station
    that has an approved file."""
    def files():
        found = {}
        for root, dirs, names in os.walk(fleet.history):
            for name in names:
                with open(os.path.join(root, name), "rb") as f:
                    found[os.path.join(root, name)] = f.read()
        return found
    before = files()
    limit = ",".join(sorted({FIRMWARE, STOPPED, SLOW}))
    r = fleet.play("backup.yml", "--check", "--diff", "--limit", limit)
    expect(r.returncode == 2 and "Check mode: nothing kept" in r.stdout
           and "1 changed, 0 new, 1 unchanged, 1 failed" in r.stdout
           and re.search(r"^\+FirmwareVersion=PIF 3\.2\.0", r.stdout, re.M),
           "backup --check --diff:\n" + r.stdout[-3000:])
    r = fleet.play("drift.yml", "--check", "--limit", limit, wrapper="manual")
    expect(r.returncode == 3 and re.search(r"\d drifted, \d as approved, 1 not checked", r.stdout)
           and "no approved file" not in r.stdout, "drift --check:\n" + r.stdout[-3000:])
    expect(files() == before, "the check runs changed the history's files")


def keep_every_change(fleet, emulators, servers):
    """A firmware upgrade, a gateway's channel and a client after the gap,
    none of which IMPORT reads, each kept and shown on the night it happens;
    the station stopped before fails a second night in a row, which the
    mail and the notice command say at the top."""
    def firmware(state):
        state["ports"][0]["details"][2] = "PIF 3.2.0"

    def channels(state):
        state["ports"][0]["zb2g"]["channels"] = fleet_support.channel_mask([11, 15, 25])

    def gap_client(state):
        client = [c for c in state["cardClients"] if c["number"] == 15][0]
        client.update(name="Frota Norte", enabled=0)

    for station, change in ((FIRMWARE, firmware), (CHANNELS, channels), (GAP_CLIENT, gap_client)):
        fleet_support.change_station(servers[station], change)
    check_runs_change_nothing(fleet)
    sink = MailSink(fleet.work)
    notice = os.path.join(fleet.work, "notice.txt")
    hook = os.path.join(fleet.work, "notice.sh")
    with open(hook, "w") as f:
        f.write('#!/bin/sh\n{ echo "report: $1"; cat; } > "%s"\n' % notice)
    os.chmod(hook, 0o700)
    notify = {"tarvo_notify": {"mail_to": ["fuel-it@localhost"], "mail_host": "127.0.0.1",
                               "mail_port": sink.port, "mail_secure": "never",
                               "command": [hook]}}
    try:
        r = fleet.play("backup.yml", "-e", json.dumps(notify), wrapper="scheduled")
        mails = sink.messages()
    finally:
        sink.close()
    expect(r.returncode == 3, "the stopped station fails the night:\n" + r.stdout[-3000:])
    message, paths = fleet.last_commit()
    kept = {FIRMWARE, CHANNELS, GAP_CLIENT}
    expect({p for p in paths if p.startswith("backups/")} == {"backups/%s.ini" % s for s in kept},
           "the three changes committed: %s" % paths)
    expect("3 changed, 0 new, %d unchanged, 1 failed" % (N - 4) in message.splitlines()[0], message)
    report = fleet.report(paths)
    expect(sorted(changed_blocks(report)) == sorted(kept), "report:\n" + report)
    for station, shown in ((FIRMWARE, r'FirmwareVersion\s+"PIF 3.1.0" -> "PIF 3.2.0"'),
                           (CHANNELS, r'Channels\s+"11,15,20" -> "11,15,25"'),
                           (GAP_CLIENT, r'Client015\s+Name\s+.* -> "Frota Norte"')):
        block = report.split("== " + station, 1)[1].split("\n== ", 1)[0]
        expect(re.search(shown, block) and "IMPORT" in block, "%s shown:\n%s" % (station, block))
    expect(fleet.status(STOPPED)["failedNights"] == 2 and fleet.status(FIRMWARE)["lastChange"]
           == fleet.report_json(paths)["stamp"], "status after a second night")
    with open(os.path.join(fleet.history, "status.txt"), encoding="utf-8") as f:
        table = f.read().splitlines()
    expect(table[1].startswith(STOPPED) and "Logon failed" in table[1], "status.txt:\n%s" % table)
    expect(len(mails) == 1, "one mail: %d" % len(mails))
    body = mails[0].get_body(preferencelist=("plain",)).get_content()
    expect("3 changed" in mails[0]["Subject"] and "fuel-it@localhost" in mails[0]["To"],
           "mail headers: %s" % dict(mails[0]))
    first = [l for l in body.splitlines() if l.startswith("  ")][0]
    expect(STOPPED in first and "failed 2 nights in a row" in first, "mail:\n" + body)
    with open(notice) as f:
        told = f.read()
    expect(told.startswith("report: " + fleet.history + "/reports/") and first in told,
           "the notice command's input:\n" + told)
    summary = r.stdout[r.stdout.rindex("Summary of the run"):]
    expect(all(s in summary for s in kept | {STOPPED}), "the summary:\n" + summary)


def approve(fleet):
    """approve.yml commits every station's latest backup as its approved
    file, in the approver's name; then one file is cut down to a partial
    one (no attendants, no clients, a grade without its short name)."""
    r = fleet.play("approve.yml", "--limit", "stations", "-e", json.dumps({"approver": "Ana Lima"}))
    expect(r.returncode == 0, "approve.yml failed:\n" + r.stdout[-3000:])
    message, paths = fleet.last_commit()
    expect(paths == {"approved/%s.ini" % s for s in STATIONS} and message.startswith("Approve ")
           and "Approved by Ana Lima" in message, "the approval's commit: %s\n%s"
           % (paths, message))
    expect(fleet.git("log", "-1", "--format=%an").strip() == "Ana Lima", "the approver as author")
    path = os.path.join(fleet.approved, PARTIAL + ".ini")
    with open(path, encoding="utf-8-sig", newline="") as f:
        blocks = re.split(r"\r?\n(?=\[)", f.read())
    blocks = [re.sub(r"(?m)^ShortName=.*\r?\n", "", b) if b.startswith("[Grade01]") else b
              for b in blocks if not b.startswith(("[Attendant", "[Client"))]
    with open(path, "w", encoding="utf-8-sig", newline="") as f:
        f.write("\r\n".join(blocks))


def drift_kinds(fleet, servers):
    """One drift run shows each kind: a firmware change, a gateway's
    channels and an after-gap client IMPORT cannot restore, an added
    attendant only in the controller, a grade's name IMPORT restores; the
    price left out by tarvo_drift_ignore (names of another letter case);
    the partial approved file and the name beyond Latin-1 as approved."""
    def attendant(state):
        added = dict(state["attendants"][0], id=4, number=4, name="Attendant 4 new")
        state["attendants"].append(added)

    def grade_name(state):
        state["grades"][0]["name"] = "Gasoleo Simples"

    fleet_support.change_station(servers[ADDED], attendant)
    fleet_support.change_station(servers[CHANGED], grade_name)
    # An approved file from before the exports' mark: '?' for what Latin-1 lacks.
    path = os.path.join(fleet.approved, LODZ + ".ini")
    with open(path, encoding="utf-8-sig", newline="") as f:
        text = f.read()
    with open(path, "w", encoding="latin-1", errors="replace", newline="") as f:
        f.write(text)
    ignore = {"tarvo_drift_ignore": [{"section": "grade*", "key": "PRICE0*"}]}
    r = fleet.play("drift.yml", "-e", json.dumps(ignore))
    expect(r.returncode == 2, "the stopped station is not checked:\n" + r.stdout[-3000:])
    drift, drift_json = fleet.newest_drift()
    stations = {s["station"]: s for s in drift_json["stations"]}
    expect(sorted(changed_blocks(drift)) == sorted([FIRMWARE, CHANNELS, GAP_CLIENT, ADDED,
                                                    CHANGED]), "drifted:\n" + drift)

    def kind(station, name):
        return {(i["section"], i["key"]) for i in stations[station]["kinds"][name]}
    for station, name, item in ((FIRMWARE, "cannotRestore", ("Port01", "FirmwareVersion")),
                                (CHANNELS, "cannotRestore", ("Port01", "Channels")),
                                (GAP_CLIENT, "cannotRestore", ("Client015", "Name")),
                                (ADDED, "controllerOnly", ("Attendant04", None)),
                                (CHANGED, "restores", ("Grade01", "Name")),
                                (CHANGED, "leftOut", ("Grade02", "Price01"))):
        expect(item in kind(station, name), "%s: %s in %s:\n%s" % (station, item, name, drift))
    expect(not any(i["section"] == "Grade02" for i in stations[CHANGED]["kinds"]["restores"]),
           "the price left out:\n" + drift)
    block = drift.split("== " + CHANGED, 1)[1].split("\n== ", 1)[0]
    expect("left out by your settings" in block and "Gasoleo Simples" in block
           and "Name (Name)" not in block, "the name shown, the price left out:\n" + block)
    expect("remove by hand" in drift.split("== " + ADDED, 1)[1], "the attendant:\n" + drift)
    lost = "approved file lost characters: re-approve with approve.yml"
    expect(stations[PARTIAL]["status"] == "same" and stations[LODZ]["status"] == "same"
           and stations[LODZ]["line"] == lost and lost in drift
           and "Bomba 2 ?\u00f3d?" in drift, "partial file, and a file that lost characters, as"
           " approved:\n" + drift)


def restore_check(fleet, servers):
    """restore.yml --check --diff: PLAN's changes in Ansible's diff, no Set
    call; without --limit it is refused."""
    r = fleet.play("restore.yml", "--check")
    expect(r.returncode != 0 and "--limit" in r.stdout,
           "restore without --limit:\n" + r.stdout + r.stderr)
    fleet_support.emulator_call(servers[CHANGED], "$clearJournal")
    r = fleet.play("restore.yml", "--check", "--diff", "--limit", CHANGED)
    expect(r.returncode == 0, "restore --check failed:\n" + r.stdout[-3000:])
    expect(re.search(r"^-Price0?1=2\.345$", r.stdout, re.M)
           and re.search(r"^\+Price0?1=1\.\d+$", r.stdout, re.M),
           "the price in the diff:\n" + r.stdout[-3000:])
    expect(NEW_PASSWORD not in r.stdout, "no password in the diff")
    expect(journal_sets(servers[CHANGED]) == [], "no Set call in check mode")


def restore(fleet, servers):
    """restore.yml puts the approved price back, verified, with what IMPORT
    leaves named and the station not failed, and commits the whole
    before-file; a station without an approved file is named in the
    summary with the reason; -e undo=STAMP puts the price back as it was.
    Skipped where TarvoCheck has no IMPORT yet."""
    probe = run([fleet.check, "IMPORT", os.path.join(fleet.work, "none.ini"), "127.0.0.1:1",
                 "/YES"], env=fleet.env)
    if probe.returncode == 255 and "TarvoCheck CHECK <" in probe.stdout:
        print("SKIPPED the restore: this TarvoCheck has no IMPORT (a usage error)")
        return
    approved = os.path.join(fleet.approved, NO_APPROVED + ".ini")
    os.rename(approved, approved + ".aside")
    try:
        r = fleet.play("restore.yml", "--limit", "%s,%s" % (CHANGED, NO_APPROVED))
    finally:
        os.rename(approved + ".aside", approved)
    expect(recap(r.stdout) == {CHANGED: 0, NO_APPROVED: 1}, "only the station without an approved "
           "file fails:\n" + r.stdout[-3000:])
    summary = r.stdout[r.stdout.rindex("Summary of the restores"):]
    expect(re.search(r"%s: no approved file: %s does not exist" % (NO_APPROVED, re.escape(approved)),
                     summary), "the summary names the station without a file:\n" + summary)
    grade = [g for g in fleet_support.emulator_call(servers[CHANGED], "$state")["state"]["grades"]
             if g["id"] == 2][0]
    expect(grade["prices"]["1"] != 2.345, "the price restored: %s" % grade)
    message, paths = fleet.last_commit()
    folder = [p for p in paths if p.startswith("restores/%s/" % CHANGED)]
    expect({os.path.basename(p) for p in folder} == {"before.ini", "after.ini", "verification.txt"}
           and "1 restored and verified of 2" in message, "the restore's commit: %s\n%s"
           % (paths, message))
    stamp = folder[0].split("/")[2]
    # The client after the numbering gap stays as the controller holds it:
    # named, and the station restored all the same.
    line = re.search(r"^%s from .*$" % CHANGED, message, re.M)
    expect(line and re.search(r": restored, 1 difference remains: Client015 \(IMPORT never reaches it\); "
                              r"to go back, restore.yml --limit %s -e undo=%s imports restores/%s/%s/before.ini\.$"
                              % (CHANGED, re.escape(stamp), CHANGED, re.escape(stamp)), line.group(0)),
           "the line:\n" + message)
    kept = os.path.join(fleet.history, "restores", CHANGED, stamp)
    with open(os.path.join(kept, "before.ini"), encoding="latin-1") as f:
        expect(re.search(r"(?m)^Price0?1=2\.345", f.read()), "the before-file holds the price it replaced")
    with open(os.path.join(kept, "verification.txt"), encoding="latin-1") as f:
        report = f.read()
    expect("restores/%s/%s/before.ini" % (CHANGED, stamp) in report and ".before-" not in report,
           "the report names the kept before-file:\n" + report)

    r = fleet.play("restore.yml", "--limit", CHANGED, "-e", "undo=" + stamp)
    expect(r.returncode == 0, "undo failed:\n" + r.stdout[-3000:])
    grade = [g for g in fleet_support.emulator_call(servers[CHANGED], "$state")["state"]["grades"]
             if g["id"] == 2][0]
    expect(grade["prices"]["1"] == 2.345, "the price as before the restore: %s" % grade)
    message, _ = fleet.last_commit()
    expect("from restores/%s/%s/before.ini (the before-file of restore %s)" % (CHANGED, stamp, stamp)
           in message, "the undo's commit:\n" + message)


def unreachable_runner(fleet):
    """A Windows runner on a loopback port where nothing listens: every
    station failed with the reason, a report and a commit all the same."""
    with open(fleet.inventory, encoding="utf-8") as f:
        inventory = json.load(f)
    inventory["stations"]["vars"].update(tarvo_runner="windows", tarvo_windows_host="runner")
    inventory["windows"] = {"hosts": {"runner": {
        "ansible_host": "127.0.0.1", "ansible_port": free_port(), "ansible_connection": "ssh",
        "ansible_shell_type": "powershell"}}}
    path = os.path.join(fleet.work, "inventory-windows.yml")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(inventory, f)
    commits = int(fleet.git("rev-list", "--count", "HEAD"))
    r = fleet.play("backup.yml", "--limit", "station-1*", inventory=path, wrapper="manual")
    expect(r.returncode == 4 and "exit 4, every station failed" in r.stdout,
           "an unreachable runner fails the play:\n" + r.stdout[-3000:])
    expect(int(fleet.git("rev-list", "--count", "HEAD")) == commits + 1, "a commit")
    message, paths = fleet.last_commit()
    report = fleet.report(paths)
    expect("0 changed, 0 new, 0 unchanged, %d failed" % len(RUNNER_STATIONS) in report
           and len(re.findall(r"^  station-1\d: Runner unreachable: runner: .*", report, re.M))
           == len(RUNNER_STATIONS), "report:\n" + report)
    expect(recap(r.stdout) == {s: 1 for s in RUNNER_STATIONS},
           "the recap: %s" % recap(r.stdout))
    summary = r.stdout[r.stdout.rindex("Summary of the run"):].split("TASK [", 1)[0]
    expect(len(re.findall(r"Runner unreachable", summary)) == 1,
           "one line for the runner's outage:\n" + summary)


def time_limit(fleet, servers):
    """A controller that never lets the export end: the station fails at
    tarvo_timeout and no TarvoExtract of it is left running."""
    def slow(state):
        state["faults"] = [{"call": "GetGradeByOrdinal", "delayMs": 8000}]
    fleet_support.change_station(servers[SLOW], slow)
    r = fleet.play("backup.yml", "--limit", SLOW, "-e", "tarvo_timeout=2")
    expect(r.returncode == 2 and "stopped after 2 s" in r.stdout,
           "the time limit:\n" + r.stdout[-3000:])
    left = [pid for pid in os.listdir("/proc") if pid.isdigit() and
            servers[SLOW].encode() in _cmdline(pid)]
    expect(not left, "processes left for %s: %s" % (SLOW, left))


def _cmdline(pid):
    try:
        with open("/proc/%s/cmdline" % pid, "rb") as f:
            return f.read()
    except OSError:
        return b""


def refused_names(fleet):
    """A name with a trailing newline, names Windows reserves and a name of
    300 letters are refused before anything runs: the wrapper ends with 4."""
    path = os.path.join(fleet.work, "inventory-names.yml")
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"stations": {"hosts": {"ok\n": {}, "con": {}, "Com1.x": {}, "good-1": {},
                                          "a" * 64: {}, "b" * 300: {}}}}, f)
    history = os.path.join(fleet.work, "names-history")
    r = fleet.play("backup.yml", "-e", "tarvo_history=" + history, inventory=path,
                   wrapper="manual")
    said = " ".join(r.stdout.split())
    expect(r.returncode == 4 and '"ok\\n", "con", "Com1.x", "%s"... (300 characters)' % ("b" * 24)
           in said and '"good-1"' not in said and "a" * 64 not in said
           and not os.path.exists(history), "names refused:\n" + r.stdout[-2000:])


def check_syntax(source, fleet_dir, env):
    """Both playbooks, and the Windows runner's tasks, which only run on a
    Windows host: ansible-playbook --syntax-check and ansible-lint."""
    windows = os.path.join(source, "tests", "fleet", "windows-syntax.yml")
    env = dict(env, ANSIBLE_ROLES_PATH=os.path.join(fleet_dir, "roles"))
    for playbook in ("backup.yml", "drift.yml", "restore.yml", "approve.yml", windows):
        r = run(["ansible-playbook", "--syntax-check", "-i", "localhost,", playbook],
                cwd=fleet_dir, env=env)
        expect(r.returncode == 0, "syntax of %s:\n%s%s" % (playbook, r.stdout, r.stderr))
    r = run(["ansible-inventory", "-i", "inventory.example.yml", "--list"], cwd=fleet_dir, env=env)
    expect(r.returncode == 0 and "faro-marina" in r.stdout, "inventory.example.yml:\n" + r.stderr)
    if shutil.which("ansible-lint"):
        r = run(["ansible-lint", "--offline", "--nocolor", ".", windows], cwd=fleet_dir, env=env)
        expect(r.returncode == 0, "ansible-lint:\n%s%s" % (r.stdout, r.stderr))
        # With no paths it lints every file of the fleet (the role's tasks too).
        r = run(["ansible-lint", "--offline", "--nocolor"], cwd=fleet_dir, env=env)
        expect(r.returncode == 0, "ansible-lint:\n%s%s" % (r.stdout, r.stderr))
    else:
        print("ansible-lint not installed: not linted")
    units = [os.path.join(fleet_dir, "systemd", n) for n in sorted(os.listdir(
        os.path.join(fleet_dir, "systemd")))]
    if shutil.which("systemd-analyze"):
        r = run(["systemd-analyze", "verify", *units])
        expect(r.returncode == 0 and not r.stderr.strip(), "systemd units:\n" + r.stderr)


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
        print("--- total: %.1f s" % (time.monotonic() - start))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("fleet playbooks: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
