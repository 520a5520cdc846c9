"""The fleet's reports from the stations' outcomes: each station's status
(status/STATION.json, status.txt), the runs' JSON reports, the counts and
the one-screen summaries."""

import glob
import json
import os

_SUMMARY_LINES = 24  # one screen, with the counts and the closing line


def _read_statuses(history):
    statuses = {}
    for path in glob.glob(os.path.join(history, "status", "*.json")):
        try:
            with open(path, encoding="utf-8") as f:
                s = json.load(f)
        except (OSError, ValueError):
            continue
        if isinstance(s, dict) and s.get("station"):
            statuses[s["station"]] = s
    return statuses


def next_statuses(outcomes, broken, history, run_stamp, scheduled=True):
    """Every station's status after this run: the stations of the run
    updated from their outcomes, the others as they were. Returns {station:
    status}; a status holds lastRun, lastStatus, lastSuccess, lastChange,
    failedNights (scheduled runs failed in a row: a run by hand leaves the
    count as it is) and lastFailure {stamp, line}."""
    statuses = _read_statuses(history)
    runs = list(outcomes) + [{"station": b, "status": "failed",
                              "line": "stopped by an error of the play (see its output)"}
                             for b in broken]
    for o in runs:
        s = dict(statuses.get(o["station"]) or {"station": o["station"], "lastSuccess": None,
                                                "lastChange": None, "failedNights": 0,
                                                "lastFailure": None})
        s["lastRun"], s["lastStatus"] = run_stamp, o["status"]
        nights = int(s.get("failedNights") or 0)
        if o["status"] == "failed":
            s["failedNights"] = nights + 1 if scheduled else nights
            s["lastFailure"] = {"stamp": run_stamp, "line": o.get("line") or ""}
        else:
            s["failedNights"] = 0 if scheduled else nights
            s["lastSuccess"] = run_stamp
            if o["status"] in ("new", "changed"):
                s["lastChange"] = run_stamp
        statuses[o["station"]] = s
    return statuses


def status_table(statuses):
    """status.txt: one line per station, the longest failures first."""
    rows = sorted(statuses.values(), key=lambda s: (-int(s.get("failedNights") or 0),
                                                     s["station"]))
    width = max([len("station")] + [len(s["station"]) for s in rows])
    lines = ["%-*s  %-9s  %-24s  %-24s  %6s  %s" % (width, "station", "last run", "last success",
                                                   "last change", "failed", "last failure")]
    for s in rows:
        failure = s.get("lastFailure") or {}
        lines.append("%-*s  %-9s  %-24s  %-24s  %6d  %s" % (
            width, s["station"], s.get("lastStatus") or "-", s.get("lastSuccess") or "-",
            s.get("lastChange") or "-", int(s.get("failedNights") or 0),
            ("%s %s" % (failure.get("stamp"), failure.get("line"))) if failure else ""))
    return "\n".join(lines) + "\n"


def status_files(statuses):
    """status/STATION.json of every station and the status.txt table."""
    files = {"status/%s.json" % k: json.dumps(v, indent=2, sort_keys=True) + "\n"
             for k, v in statuses.items()}
    files["status.txt"] = status_table(statuses)
    return files


def backup_report_json(outcomes, broken, statuses, run_stamp, run_time):
    """reports/STAMP.json: the run's counts and each station's outcome with
    its status."""
    stations = []
    for o in list(outcomes) + [{"station": b, "status": "failed", "line": "stopped by an error"
                                " of the play (see its output)", "differences": 0}
                               for b in broken]:
        s = statuses.get(o["station"]) or {}
        stations.append({"station": o["station"], "status": o["status"],
                         "line": o.get("line") or None,
                         "differences": int(o.get("differences") or 0),
                         "failedNights": int(s.get("failedNights") or 0),
                         "lastSuccess": s.get("lastSuccess"), "lastChange": s.get("lastChange")})
    stations.sort(key=lambda x: x["station"])
    return json.dumps({"schema": 1, "run": "backup", "stamp": run_stamp, "time": run_time,
                       "counts": backup_counts(outcomes, broken), "stations": stations},
                      indent=2, ensure_ascii=False) + "\n"


def drift_report_json(outcomes, broken, run_stamp, run_time):
    """drift/STAMP.json: the run's counts and each station's drift, its
    differences by kind (tarvo_drift.py)."""
    stations = [{"station": o["station"], "status": o["status"], "line": o.get("line") or None,
                 "counts": o.get("counts"), "differences": int(o.get("drift") or 0),
                 "kinds": o.get("kinds") or None} for o in outcomes]
    stations += [{"station": b, "status": "failed", "counts": None, "differences": 0,
                  "kinds": None, "line": "stopped by an error of the play (see its output)"}
                 for b in broken]
    stations.sort(key=lambda x: x["station"])
    return json.dumps({"schema": 1, "run": "drift", "stamp": run_stamp, "time": run_time,
                       "counts": drift_counts(outcomes, broken), "stations": stations},
                      indent=2, ensure_ascii=False) + "\n"


def _nights(n):
    return "failed %d night%s in a row" % (n, "" if n == 1 else "s") if n else "failed"


def _one_line_per_outage(failed):
    """[(station, text)] with the stations that failed for one runner that
    could not be reached on one line: an outage is one event, not one per
    station. The runner is named after "Runner unreachable: "; the reason
    shown is the first station's (each attempt words it its own way)."""
    out, outages = [], {}
    for station, text in failed:
        reason = text.split(": ", 1)[-1]
        if reason.startswith("Runner unreachable: "):
            runner = ": ".join(reason.split(": ", 2)[:2])
            if runner not in outages:
                outages[runner] = []
                out.append((outages[runner], reason))
            outages[runner].append(station)
        else:
            out.append((station, text))
    return [(", ".join(s) if isinstance(s, list) else s, t) for s, t in out]


def summary(counts_line, failed, listed, report):
    """The run's summary, one screen: the counts, then the failed stations
    first (how many nights in a row each has failed), then the others of
    listed ([(station, text)]), then where the report is."""
    lines = [counts_line]
    lines += ["  %s  %s" % (station, text) for station, text in failed + listed]
    if len(lines) > _SUMMARY_LINES:
        more = len(lines) - _SUMMARY_LINES + 1
        lines = lines[:_SUMMARY_LINES - 1] + ["  ... and %d more stations" % more]
    lines.append("Report: " + report)
    return "\n".join(lines) + "\n"


def backup_summary(outcomes, broken, statuses, report, run_stamp):
    counts = backup_counts(outcomes, broken)
    failed = [(s, "%s: %s" % (_nights(int(statuses.get(s, {}).get("failedNights") or 0)),
                              (statuses.get(s, {}).get("lastFailure") or {}).get("line", "")))
              for s in sorted([o["station"] for o in outcomes if o["status"] == "failed"]
                              + list(broken))]
    listed = [(o["station"], o["status"]) for o in outcomes if o["status"] in ("changed", "new")]
    return summary("Backup %s of %d stations: %s" % (run_stamp, counts["stations"],
                                                     counts_text(counts)),
                   _one_line_per_outage(failed), listed, report)


def backup_counts(outcomes, broken):
    counts = {k: 0 for k in ("changed", "new", "unchanged", "failed")}
    for o in outcomes:
        counts[o["status"]] += 1
    counts["failed"] += len(broken)
    counts["stations"] = len(outcomes) + len(broken)
    return counts


def counts_text(counts):
    return ("%(changed)d changed, %(new)d new, %(unchanged)d unchanged, %(failed)d failed"
            % counts)


def drift_counts(outcomes, broken):
    counts = {"drifted": 0, "same": 0, "failed": len(broken)}
    for o in outcomes:
        counts[o["status"]] += 1
    counts["stations"] = len(outcomes) + len(broken)
    return counts


def drift_summary(outcomes, broken, report, run_stamp):
    counts = drift_counts(outcomes, broken)
    failed = [(o["station"], "not checked: " + o["line"]) for o in outcomes
              if o["status"] == "failed"]
    failed += [(b, "not checked: stopped by an error of the play") for b in broken]
    failed = _one_line_per_outage(failed)
    listed = []
    for o in outcomes:
        c = o.get("counts") or {}
        if o["status"] == "drifted":
            listed.append((o["station"], "drifted: %d IMPORT restores, %d in the controller only,"
                           " %d IMPORT cannot restore" % (
                               int(c.get("restores") or 0), int(c.get("controllerOnly") or 0),
                               int(c.get("cannotRestore") or 0))))
        if o["status"] != "failed" and c.get("lostCharacters"):
            listed.append((o["station"], o.get("line") or ""))
    line = ("Drift %s of %d stations: %d drifted, %d as approved, %d not checked"
            % (run_stamp, counts["stations"], counts["drifted"], counts["same"],
               counts["failed"]))
    return summary(line, failed, listed, report)


def notify_due(counts, settings):
    """Whether the run is one to tell about: settings.send_on lists
    failure, change and drift."""
    on = settings.get("send_on") or []
    return bool(("failure" in on and counts.get("failed"))
                or ("change" in on and (counts.get("changed") or counts.get("new")))
                or ("drift" in on and counts.get("drifted")))


class FilterModule(object):
    def filters(self):
        return {
            "tarvo_next_statuses": next_statuses,
            "tarvo_status_files": status_files,
            "tarvo_backup_report_json": backup_report_json,
            "tarvo_drift_report_json": drift_report_json,
            "tarvo_status_table": status_table,
            "tarvo_backup_counts": backup_counts,
            "tarvo_backup_summary": backup_summary,
            "tarvo_counts_text": counts_text,
            "tarvo_drift_counts": drift_counts,
            "tarvo_drift_summary": drift_summary,
            "tarvo_notify_due": notify_due,
        }
