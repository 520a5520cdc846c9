"""Drift: how a station's controller differs from its approved file.

TarvoCheck DIFF /JSON of the approved file (A) against the controller's
fresh export (B) says what differs, volatile keys aside; PLAN /JSON of the
approved file against the controller says which of those an IMPORT
restores. Only what the approved file holds is compared: a key it lacks is
not, nor a table of which it holds no record. Each difference is one item
of one kind:

  restores       IMPORT of the approved file puts it back
  controllerOnly a record of a table the file covers that only the
                 controller holds (IMPORT deletes no record)
  cannotRestore  what IMPORT never writes: keys it does not read (firmware,
                 gateway settings), records it never reaches or leaves out
Besides the kinds: leftOut (matched by tarvo_drift_ignore) and
lostCharacters (the approved file holds '?' where the controller holds a
character one byte per character cannot hold: the file lost it).

An item: section, key (the file's name), field (the library's), approved,
controller (values; None for a secret or a missing side), secret, reason.
"""

import fnmatch
import json
import re

_KINDS = ("restores", "controllerOnly", "cannotRestore")
_MARK = b"\xef\xbb\xbf"
_RESTORE_HINT = {"restores": "IMPORT restores",
                 "controllerOnly": "in the controller, not in the file: IMPORT deletes no record,"
                                   " remove by hand",
                 "cannotRestore": "IMPORT cannot restore"}


def _document(result):
    try:
        doc = json.loads((result or {}).get("stdout") or "")
    except ValueError:
        return None
    return doc if isinstance(doc, dict) and doc.get("schema") == 1 else None


def approved_keys(path):
    """{section: set of keys} of an INI file, names in lower case (IMPORT
    ignores their case); None when the file cannot be read."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return None
    text = data[len(_MARK):].decode("utf-8") if data.startswith(_MARK) else data.decode("latin-1")
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        m = re.fullmatch(r"\[([^\]]+)\]", line)
        if m:
            current = sections.setdefault(m.group(1).strip().lower(), set())
        elif current is not None and "=" in line and not line.startswith(";"):
            current.add(line.split("=", 1)[0].strip().lower())
    return sections


def _table(section):
    return re.sub(r"\d+$", "", section or "").lower()


def _item(section, key, field, approved, controller, secret, reason):
    return {"section": section, "key": key, "field": field or key,
            "approved": None if secret else approved,
            "controller": None if secret else controller, "secret": bool(secret),
            "reason": reason}


def _restored_by_plan(plan):
    """(section, key) pairs PLAN changes and sections it adds, lower case."""
    pairs, new = set(), set()
    for r in ((plan or {}).get("plan") or {}).get("records") or []:
        section = (r.get("section") or "").lower()
        if r.get("status") == "new":
            new.add(section)
        for c in r.get("changes") or [] if r.get("status") == "changed" else []:
            pairs.add((section, (c.get("key") or c.get("field") or "").lower()))
    return pairs, new


def _not_restored(plan):
    return {(r.get("section") or "").lower(): r.get("reason")
            for r in ((plan or {}).get("plan") or {}).get("notRestored") or []}


def _record_items(diff, keys, pairs, new, unrestored):
    out = []
    tables = {_table(s) for s in keys}
    for r in (diff.get("diff") or {}).get("records") or []:
        section, status = r.get("section") or "", r.get("status")
        low = section.lower()
        if status == "onlyInB":
            if _table(section) in tables:
                out.append(("controllerOnly", _item(section, None, None, None, None, False,
                                                    "only in the controller")))
            continue
        if status == "onlyInA":
            kind = "restores" if low in new else "cannotRestore"
            out.append((kind, _item(section, None, None, None, None, False,
                                    "missing from the controller" if low in new else
                                    unrestored.get(low) or "IMPORT does not write it")))
            continue
        for c in r.get("changes") or []:
            key = c.get("key") or c.get("field") or ""
            if key.lower() not in keys.get(low, ()):
                continue  # not in the approved file: not compared
            kind = "restores" if (low, key.lower()) in pairs else "cannotRestore"
            out.append((kind, _item(section, c.get("key"), c.get("field"), c.get("before"),
                                    c.get("after"), c.get("secret"),
                                    "" if kind == "restores" else
                                    unrestored.get(low) or "IMPORT does not write it")))
    return out


def _file_items(diff, keys):
    out = []
    tables = {_table(s) for s in keys}
    for f in (diff.get("diff") or {}).get("fileDifferences") or []:
        section, key = f.get("section") or "", f.get("key")
        low = section.lower()
        if key is None:
            if f.get("a") is None and low not in keys and _table(section) in tables:
                out.append(("controllerOnly", _item(section, None, None, None, None, False,
                                                    f.get("reason"))))
            elif f.get("b") is None and low in keys:
                out.append(("cannotRestore", _item(section, None, None, None, None, False,
                                                   f.get("reason"))))
        elif key.lower() in keys.get(low, ()):
            out.append(("cannotRestore", _item(section, key, key, f.get("a"), f.get("b"),
                                               f.get("secret"), f.get("reason"))))
    return out


def lost_characters(approved, controller):
    """Whether the approved value is the controller's with '?' for the
    characters one byte per character cannot hold."""
    if not isinstance(approved, str) or not isinstance(controller, str) or "?" not in approved:
        return False
    if len(approved) != len(controller) or approved == controller:
        return False
    return all(a == c or (a == "?" and ord(c) > 0xFF) for a, c in zip(approved, controller))


def _ignored(item, ignore):
    section, key = (item["section"] or "").lower(), (item["key"] or item["field"] or "").lower()
    return any(fnmatch.fnmatchcase(section, str(rule.get("section", "*")).lower())
               and fnmatch.fnmatchcase(key, str(rule.get("key", "*")).lower())
               for rule in ignore or [] if isinstance(rule, dict))


def drift_kinds(diff, plan, approved_path, ignore=None):
    """The differences of a station from its approved file, by kind (see
    the module's text). diff, plan: the results of TarvoCheck DIFF /JSON
    (approved file, export) and PLAN /JSON (approved file, controller)."""
    keys = approved_keys(approved_path) or {}
    diff_doc, plan_doc = _document(diff) or {}, _document(plan) or {}
    pairs, new = _restored_by_plan(plan_doc)
    unrestored = _not_restored(plan_doc)
    return _sorted_kinds(_record_items(diff_doc, keys, pairs, new, unrestored)
                         + _file_items(diff_doc, keys), ignore)


def _sorted_kinds(found, ignore):
    """(kind, item) pairs sorted into the kinds: an approved value that lost
    characters, one left out by the settings, else its own kind."""
    out = {k: [] for k in _KINDS + ("leftOut", "lostCharacters")}
    for kind, item in found:
        if lost_characters(item["approved"], item["controller"]):
            out["lostCharacters"].append(dict(item, reason=""))
        elif _ignored(item, ignore):
            out["leftOut"].append(dict(item, kind=kind))
        else:
            out[kind].append(item)
    return out


def plan_kinds(plan, ignore=None):
    """The kinds from PLAN alone (a restore's plan, no export to compare):
    what IMPORT changes or adds, records it leaves out, and the records
    only the controller holds."""
    doc = _document(plan) or {}
    unreached = {s.lower() for s in _unreached(plan)}
    found = []
    for r in (doc.get("plan") or {}).get("records") or []:
        section, status = r.get("section") or "", r.get("status")
        if status == "new":
            found.append(("restores", _item(section, None, None, None, None, False,
                                            "missing from the controller")))
        elif status == "controllerOnly" and section.lower() not in unreached:
            found.append(("controllerOnly", _item(section, None, None, None, None, False,
                                                  "only in the controller")))
        for c in r.get("changes") or [] if status == "changed" else []:
            found.append(("restores", _item(section, c.get("key"), c.get("field"),
                                            c.get("after"), c.get("before"), c.get("secret"),
                                            "")))
    for r in (doc.get("plan") or {}).get("notRestored") or []:
        found.append(("cannotRestore", _item(r.get("section"), None, None, None, None, False,
                                             r.get("reason"))))
    return _sorted_kinds(found, ignore)


def _value(v):
    if v is None:
        return "(none)"
    return json.dumps(v, ensure_ascii=False)


def _name(item):
    """The file's key name with the library's beside it where they differ."""
    key, field = item.get("key"), item.get("field")
    if not key:
        return ""
    return key if not field or field == key else "%s (%s)" % (key, field)


def item_line(item):
    """One difference: section and key, the controller's value and the
    approved file's, or why (a record on one side only, a secret)."""
    name = ("%s  %s" % (item["section"], _name(item))).rstrip()
    if not item.get("key"):
        return "%s  %s" % (name, item.get("reason") or "")
    if item.get("secret"):
        return "%s  differs (secret)" % name
    line = "%s  controller %s, approved %s" % (name, _value(item.get("controller")),
                                               _value(item.get("approved")))
    return line + ("  (%s)" % item["reason"] if item.get("reason") else "")


def drift_text(kinds):
    """The report's block of a station: each kind counted and listed."""
    lines = []
    for kind in _KINDS:
        if kinds[kind]:
            lines.append("%d %s:" % (len(kinds[kind]), _RESTORE_HINT[kind]))
            lines.extend("    " + item_line(i) for i in kinds[kind])
    if kinds["leftOut"]:
        lines.append("%d left out by your settings (tarvo_drift_ignore):" % len(kinds["leftOut"]))
        lines.extend("    " + item_line(i) for i in kinds["leftOut"])
    if kinds["lostCharacters"]:
        lines.append("approved file lost characters: re-approve with approve.yml")
        lines.extend("    " + item_line(i) for i in kinds["lostCharacters"])
    return "\n".join(lines)


def _unreached(plan):
    doc = _document(plan) or {}
    return sorted({f.get("section") for f in (doc.get("check") or {}).get("findings") or []
                   if f.get("code") == "unreachable" and not f.get("key") and f.get("section")})


def _check_failure(result, command, limit):
    if result.get("unreachable"):
        return "Runner unreachable: %s" % (result.get("msg") or "").strip()
    rc = -1 if result.get("rc") is None else result.get("rc")
    if rc in (124, 137):
        return "TarvoCheck %s stopped after %s s (tarvo_timeout): it had not ended" % (command,
                                                                                      limit)
    doc = _document(result)
    if rc not in (0, 1, 2) or doc is None:
        lines = [l for l in (result.get("stdout_lines") or result.get("stderr_lines") or [])
                 if l.strip()]
        error = (doc or {}).get("error") or (lines[-1].strip() if lines else "") or result.get(
            "msg") or "no report"
        return "TarvoCheck %s: %s" % (command, error)
    return ""


def _export_failure(export, limit):
    if export.get("unreachable"):
        return "Runner unreachable: %s" % (export.get("msg") or "").strip()
    if export.get("rc") in (124, 137):
        return "TarvoExtract stopped after %s s (tarvo_timeout): it had not ended" % limit
    lines = [l for l in export.get("stdout_lines") or export.get("stderr_lines") or []
             if l.strip()]
    return "TarvoExtract EXPORT: " + (lines[-1].strip() if lines else
                                      str(export.get("msg") or "it failed"))


def drift_outcome(station, plan, limit, diff=None, approved=None, ignore=None, export=None):
    """status: same, drifted or failed; line: why it failed, or that the
    approved file lost characters; kinds: drift_kinds; counts: each kind's
    count; text: the report's block. plan: TarvoCheck PLAN /JSON's result
    (skipped or missing: no approved file); diff: DIFF /JSON's of the
    approved file and the export (None: PLAN's own changes alone, as a
    restore plans); export: the export's result."""
    out = {"station": station, "status": "failed", "line": "", "drift": 0, "text": "",
           "counts": {}, "kinds": {}}
    if export is not None and (export.get("rc") != 0 or export.get("unreachable")):
        out["line"] = _export_failure(export, limit)
        return out
    if not plan or plan.get("skipped"):
        out["line"] = "no approved file"
        return out
    out["line"] = _check_failure(plan, "PLAN", limit) or (
        _check_failure(diff, "DIFF", limit) if diff is not None else "")
    if out["line"]:
        return out
    kinds = (drift_kinds(diff, plan, approved, ignore) if diff is not None
             else plan_kinds(plan, ignore))
    out["kinds"] = kinds
    out["counts"] = {k: len(v) for k, v in kinds.items()}
    out["drift"] = sum(out["counts"][k] for k in _KINDS)
    out["status"] = "drifted" if out["drift"] else "same"
    if kinds["lostCharacters"]:
        out["line"] = "approved file lost characters: re-approve with approve.yml"
    text = drift_text(kinds)
    unreached = _unreached(plan)
    if out["drift"] and unreached:
        text += "\nRecords IMPORT never reaches: " + ", ".join(unreached)
    out["text"] = text
    return out


def is_unmarked(path):
    """Whether a file exists and does not begin with the UTF-8 mark (a file
    of one byte per character, as exports were before the mark)."""
    try:
        with open(path, "rb") as f:
            return f.read(len(_MARK)) != _MARK
    except OSError:
        return False


class FilterModule(object):
    def filters(self):
        return {
            "tarvo_drift_outcome": drift_outcome,
            "tarvo_drift_kinds": drift_kinds,
            "tarvo_plan_kinds": plan_kinds,
            "tarvo_drift_item_line": item_line,
            "tarvo_unmarked": is_unmarked,
        }
