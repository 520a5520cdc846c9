"""What restore.yml makes of TarvoCheck IMPORT /JSON: each station's outcome
in one sentence, the files the import left, and its report with the paths
the history keeps the files under.

The document's top-level "outcome" is read when it is there; without it
the outcome follows from "exitCode" and "steps" (0 verified or nothing to
change, 1 differences, 2 nothing written, 3 stopped part-way).
"""

import json

# Outcomes after which the controller holds what the file says (apart from
# what IMPORT leaves): the station does not fail.
_DONE = ("verified", "nothing-to-change", "controller-only")
# Outcomes after which IMPORT wrote something: the before-file is the way back.
_WROTE = ("verified", "differences", "stopped", "interrupted")


def _document(result):
    try:
        doc = json.loads(result.get("stdout") or "")
    except ValueError:
        return None
    return doc if isinstance(doc, dict) and doc.get("command") == "IMPORT" else None


def _step(doc, name):
    return next((s for s in doc.get("steps") or [] if s.get("step") == name), {})


def _records(doc, status):
    return [r for r in ((doc.get("plan") or {}).get("records") or []) if r.get("status") == status]


def outcome_of(doc):
    """The import's outcome: the document's own, else read from its exit
    code and steps."""
    if doc.get("outcome"):
        return doc["outcome"]
    code = doc.get("exitCode")
    if code == 0:
        return "verified" if _step(doc, "import").get("outcome") == "done" else "nothing-to-change"
    if code == 1:
        return "differences"
    if code == 3:
        return "interrupted" if _step(doc, "import").get("outcome") == "interrupted" else "stopped"
    if code == 2:
        ask = _step(doc, "ask")
        if ask.get("outcome") == "refused":
            return "answered-no" if "answer" in (ask.get("message") or "") else "no-console"
        if _step(doc, "show").get("outcome") == "failed":
            return "lines-not-read"
        if _step(doc, "check").get("outcome") == "refused" or not _records(doc, "controllerOnly"):
            return "refused"
        return "controller-only"
    return "failed"


def remaining(doc):
    """What the controller still holds otherwise than the file once IMPORT
    has done all it can: records in the controller only, records not
    restored, sections IMPORT never reaches. A list of "SECTION (why)"."""
    unreached = []
    for f in (doc.get("check") or {}).get("findings") or []:
        if f.get("code") == "unreachable" and not f.get("key") and f.get("section") not in unreached:
            unreached.append(f.get("section"))
    # A section IMPORT never reaches is named once, as that.
    left = ["%s (in the controller only: IMPORT deletes no record, remove it by hand)"
            % r.get("section") for r in _records(doc, "controllerOnly")
            if r.get("section") not in unreached]
    for r in (doc.get("plan") or {}).get("notRestored") or []:
        left.append("%s (not restored: %s)" % (r.get("section"), r.get("reason")))
    left += ["%s (IMPORT never reaches it)" % section for section in unreached]
    return left


def _differences(doc):
    v = doc.get("verification") or {}
    if v.get("error"):
        return "the verification could not be made: %s" % v["error"].rstrip(".")
    named = []
    for d in v.get("differences") or []:
        fields = ", ".join(c.get("field") or "" for c in d.get("changes") or [])
        named.append("%s %s" % (d.get("section"), fields) if fields else str(d.get("section")))
    named += ["%s (not in the controller)" % m.get("section") for m in v.get("notInController") or []]
    return "the verification found %d difference%s: %s" % (
        len(named), "" if len(named) == 1 else "s", "; ".join(named))


def _stop(doc):
    step = next((s for s in doc.get("steps") or [] if "reason" in s), _step(doc, "import"))
    where = ""
    if step.get("record") or step.get("call"):
        where = " at %s (%s call)" % (step.get("record") or "the first record", step.get("call"))
    reason = step.get("reason") or step.get("message") or "no reason given"
    return "stopped part-way%s: %s; the controller holds part of the file" % (where, reason.rstrip("."))


def _refusal(doc, outcome):
    step = next((s for s in reversed(doc.get("steps") or [])
                 if s.get("outcome") in ("refused", "failed")), {})
    said = (step.get("message") or doc.get("error") or outcome).rstrip(".")
    return "nothing written (%s): %s" % (outcome, said)


def _sentence(doc, outcome):
    if outcome in _DONE:
        left = remaining(doc)
        if left:
            return "restored, %d difference%s: %s" % (
                len(left), " remains" if len(left) == 1 else "s remain", "; ".join(left))
        if outcome == "nothing-to-change":
            return "nothing to change: the controller already held the file"
        return "restored: the verification found the controller as the file"
    if outcome == "differences":
        return "imported, but " + _differences(doc)
    if outcome in ("stopped", "interrupted"):
        return _stop(doc)
    if outcome == "failed":
        return "TarvoCheck IMPORT could not run: %s" % (doc.get("error") or "no reason given").rstrip(".")
    return _refusal(doc, outcome)


def _last_line(result):
    for name in ("stderr_lines", "stdout_lines"):
        lines = [l.strip() for l in result.get(name) or [] if l.strip()]
        if lines:
            return lines[-1]
    return str(result.get("msg") or "no output")


def restore_outcome(station, result, limit, source, folder=""):
    """status: restored (the station does not fail; line says what
    remains), or unverified, refused, stopped, failed; line: one sentence;
    goBack: how to undo it, when the import wrote and its before-file is
    kept (folder: restores/STATION/STAMP, the history's name for it)."""
    out = {"station": station, "source": source, "status": "failed", "goBack": "",
           "folder": "" if result.get("missing") else folder}
    if result.get("missing"):
        out["line"] = result["missing"]
        return out
    if result.get("unreachable"):
        out.update(status="stopped", line="Runner unreachable: %s" % (result.get("msg") or "").strip())
        return out
    if result.get("rc") in (124, 137):
        out.update(status="stopped", line="TarvoCheck IMPORT stopped after %s s (tarvo_timeout): "
                   "the controller may hold part of the file" % limit)
        outcome = "stopped"
    else:
        doc = _document(result)
        if doc is None:
            out["line"] = "TarvoCheck IMPORT could not run: %s" % _last_line(result)
            return out
        outcome = outcome_of(doc)
        out["line"] = _sentence(doc, outcome)
        out["status"] = ("restored" if outcome in _DONE else "unverified" if outcome == "differences"
                         else "stopped" if outcome in ("stopped", "interrupted")
                         else "failed" if outcome == "failed" else "refused")
    if outcome in _WROTE and result.get("before"):
        stamp = folder.rstrip("/").rsplit("/", 1)[-1]
        out["goBack"] = ("to go back, restore.yml --limit %s -e undo=%s imports %s/before.ini"
                         % (station, stamp, folder))
    return out


def import_files(result):
    """The before-file and the after-file the import names in its document
    (paths as its program knows them; empty when it made none)."""
    doc = _document(result) or {}
    return {k: ((doc.get(k) or {}).get("file") or "") for k in ("backup", "after")}


def import_report(result, folder):
    """The import's report for people, with the paths of its files as the
    history keeps them (folder/before.ini, folder/after.ini)."""
    text = (result.get("stderr") or "").replace("\r", "")
    files = import_files(result)
    for key, name in (("backup", "before.ini"), ("after", "after.ini")):
        if files[key]:
            text = text.replace(files[key], "%s/%s" % (folder, name))
    return text + "\n"


class FilterModule(object):
    def filters(self):
        return {
            "tarvo_restore_outcome": restore_outcome,
            "tarvo_import_files": import_files,
            "tarvo_import_report": import_report,
        }
