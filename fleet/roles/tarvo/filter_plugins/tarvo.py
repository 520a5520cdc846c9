"""What the fleet reads from TarvoCheck's JSON and exit codes, and what it
makes of each station's run (its outcome; tarvo_reports.py makes the
reports of the outcomes), the station names it refuses and the run's stamp.
TarvoCheck's JSON (schema 1) and exit codes are read here and
nowhere else in the role:

  exit codes  0 nothing to report, 1 something to report, 2 errors,
              255 (-1) TarvoCheck could not run; the checked import reads
              them its own way: 0 imported and verified, or nothing to
              change; 1 imported, not verified; 2 ran and wrote nothing
              (refused, or nothing to change while lines of the file are
              not read as written or the controller holds records the
              file lacks: the last line says which); 3 stopped part-way
  DIFF        a difference: .diff.counts differ + onlyInA + onlyInB + fileDiffer
  PLAN        a change: .plan.counts changed + new + notRestored (CHECK's
              warnings alone are none); drift is tarvo_drift.py's
"""

import datetime
import json
import re

# Windows cannot hold a file of these names, whatever their extension.
_RESERVED = re.compile(r"^(con|prn|aux|nul|com[0-9¹²³]|lpt[0-9¹²³]|conin\$|conout\$)(\.|$)",
                       re.IGNORECASE)
_NAME = re.compile(r"[A-Za-z0-9][A-Za-z0-9._-]*")
# A station's name names its files and is the subject of commit lines and
# notices: longer ones are refused, not cut.
NAME_LIMIT = 64


def bad_station_names(names):
    """The names that cannot name a station's files: anything but letters,
    digits, '.', '_' and '-' (a trailing newline too), a leading '.', '_' or
    '-', a trailing '.', more than NAME_LIMIT characters, and the names
    Windows reserves."""
    return [n for n in names
            if not isinstance(n, str) or not _NAME.fullmatch(n) or n.endswith(".")
            or len(n) > NAME_LIMIT or _RESERVED.match(n)]


def shown_names(names):
    """Refused names as the refusal's one line shows them: quoted, a long
    one by its start and its length."""
    shown = []
    for n in names:
        n = str(n)
        if len(n) <= NAME_LIMIT:
            shown.append(json.dumps(n, ensure_ascii=False))
        else:
            shown.append("%s... (%d characters)" % (json.dumps(n[:24], ensure_ascii=False), len(n)))
    return ", ".join(shown)


def run_name(_):
    """The run's stamp, ISO 8601's basic form with the UTC offset and no
    ':' in it (20261207T020000+0000), and its time as people read it, of
    the present moment in the control node's time zone."""
    moment = datetime.datetime.now().astimezone()
    return {"stamp": moment.strftime("%Y%m%dT%H%M%S%z"),
            "time": moment.strftime("%Y-%m-%d %H:%M:%S %z")}


def _last_line(result, fallback=""):
    lines = [l for l in (result.get("stdout_lines") or []) if l.strip()]
    if lines:
        return lines[-1].strip()
    lines = [l for l in (result.get("stderr_lines") or []) if l.strip()]
    if lines:
        return lines[-1].strip()
    return str(result.get("msg") or fallback)


def _document(result):
    """TarvoCheck's JSON document of a run, or None when it has none."""
    try:
        doc = json.loads(result.get("stdout") or "")
    except ValueError:
        return None
    return doc if isinstance(doc, dict) and doc.get("schema") == 1 else None


def _rc(result):
    rc = result.get("rc")
    return -1 if rc is None else rc


def program_failure(result, program, limit):
    """Why a run of a program failed, or '' when it ran to its end. Exit
    codes 124 and 137 are the time limit's (timeout(1) and its kill)."""
    if result.get("unreachable"):
        return "Runner unreachable: %s" % (result.get("msg") or "").strip()
    if _rc(result) in (124, 137):
        return "%s stopped after %s s (tarvo_timeout): it had not ended" % (program, limit)
    return ""


def _check_failure(result, doc, command, limit):
    failure = program_failure(result, "TarvoCheck " + command, limit)
    if failure:
        return failure
    if _rc(result) not in (0, 1, 2) or doc is None:
        error = doc.get("error") if doc else None
        return "TarvoCheck %s: %s" % (command, error or _last_line(result, "no report"))
    return ""


def diff_count(doc):
    """The differences DIFF's JSON counts, records and other keys alike."""
    counts = (doc.get("diff") or {}).get("counts") or {}
    return sum(int(counts.get(k) or 0) for k in ("differ", "onlyInA", "onlyInB", "fileDiffer"))


def plan_drift(doc):
    counts = (doc.get("plan") or {}).get("counts") or {}
    return sum(int(counts.get(k) or 0) for k in ("changed", "new", "notRestored"))


def backup_outcome(station, export, diff, limit):
    """status: new, changed, unchanged or failed; line: why it failed.
    export: TarvoExtract EXPORT's result; diff: TarvoCheck DIFF /JSON's
    result of the last good backup against the export (skipped: no last
    good backup)."""
    out = {"station": station, "status": "failed", "line": "", "differences": 0}
    failure = program_failure(export, "TarvoExtract", limit)
    if failure or _rc(export) != 0:
        out["line"] = failure or _last_line(export, "TarvoExtract EXPORT failed")
        return out
    if diff.get("skipped"):
        out["status"] = "new"
        return out
    doc = _document(diff)
    failure = _check_failure(diff, doc, "DIFF", limit)
    if failure:
        out["line"] = failure
        return out
    out["differences"] = diff_count(doc)
    out["status"] = "changed" if out["differences"] else "unchanged"
    return out


def _key(change):
    """The file key of a change, or the library's name where no key has it."""
    return change.get("key") or change.get("field")


_PASSWORD = re.compile(r"^(\s*password\s*=).*$", re.IGNORECASE | re.MULTILINE)


def file_shown(path):
    """A station's file as --diff shows it: read as the programs write it
    (UTF-8 after a byte-order mark, else one byte per character), every
    password's value hidden. A file that cannot be read shows as empty."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return ""
    text = data[3:].decode("utf-8", "replace") if data.startswith(b"\xef\xbb\xbf") \
        else data.decode("latin-1")
    return _PASSWORD.sub(r"\1(secret)", text.replace("\r\n", "\n"))


def _ini_block(section, pairs):
    return "[%s]\n%s" % (section, "".join("%s=%s\n" % kv for kv in pairs))


def plan_diff(plan, server, source):
    """PLAN /JSON's changes as two INI-like texts for Ansible's diff output:
    before is the controller, after is what the import would make of it.
    Passwords show only whether they change."""
    doc = _document(plan) or {}
    before, after = [], []
    for r in (doc.get("plan") or {}).get("records") or []:
        if r.get("status") not in ("changed", "new"):
            continue
        b, a = [], []
        for c in r.get("changes") or []:
            if c.get("secret"):
                b.append((_key(c), "(secret)"))
                a.append((_key(c), "(secret, changed)"))
                continue
            if c.get("before") is not None:
                b.append((_key(c), c.get("before")))
            if c.get("after") is not None:
                a.append((_key(c), c.get("after")))
        if b:
            before.append(_ini_block(r.get("section"), b))
        a_block = _ini_block(r.get("section"), a)
        after.append(a_block if r["status"] == "changed" else "; new record\n" + a_block)
    for r in (doc.get("plan") or {}).get("notRestored") or []:
        after.append("; %s not restored (%s)\n" % (r.get("section"), r.get("reason")))
    return {"before": "\n".join(before), "after": "\n".join(after),
            "before_header": "controller %s" % server,
            "after_header": "controller %s after importing %s" % (server, source),
            "changed": bool(doc) and plan_drift(doc) > 0}


class FilterModule(object):
    def filters(self):
        return {
            "tarvo_bad_station_names": bad_station_names,
            "tarvo_shown_names": shown_names,
            "tarvo_run_name": run_name,
            "tarvo_backup_outcome": backup_outcome,
            "tarvo_plan_diff": plan_diff,
            "tarvo_file_shown": file_shown,
        }
