#!/usr/bin/env python3
"""Every JSON document of TarvoCheck's tests against the published schema.

validate_json.py SCHEMA TARVOCHECK CASES JSON_DIR

Runs TarvoCheck with /JSON over every CASES/*.ini (CHECK, and DIFF of each
case with the next) and over usage errors, keeps each output in JSON_DIR
beside the documents the other tests kept there (TARVO_JSON_DIR), and
validates every file in JSON_DIR: one document, valid against SCHEMA, its
exit code the process's where this script ran it. The finding codes that
the checks' sources give, the schema's enum and README.md's table must be
one list.
"""
import glob
import json
import os
import re
import subprocess
import sys

import jsonschema

CODE = re.compile(r"^[a-z0-9]+(-[a-z0-9]+)*$")


def first_argument(text, start):
    """The text of a call's first argument, the call's "(" at start - 1."""
    depth, i, quoted = 0, start, False
    while i < len(text):
        c = text[i]
        if quoted:
            if c == "\\":
                i += 1
            elif c == '"':
                quoted = False
        elif c == '"':
            quoted = True
        elif c == "'":
            i = text.index("'", i + 1 + (text[i + 1] == "\\"))
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                return text[start:i]
            depth -= 1
        elif c == "," and depth == 0:
            return text[start:i]
        i += 1
    return text[start:]


def source_codes(rules):
    """Every finding code the checks give: the string literals of the code
    argument of each Warn, Note and Add call in the rules' sources."""
    codes = set()
    call = re.compile(r"\b(?:Warn|Note|Add)\(\s*(?:ctx,\s*t,\s*|Finding::Level::k\w+,\s*)?")
    texts = []
    for path in glob.glob(os.path.join(rules, "*.cc")) + glob.glob(os.path.join(rules, "*.h")):
        with open(path, encoding="utf-8") as f:
            texts.append(f.read())
    # A code may be named by a constant (kSpreadsheetSave).
    named = dict(re.findall(r'constexpr char (k\w+)\[\] = "([a-z0-9-]+)";', "\n".join(texts)))
    for text in texts:
        for m in call.finditer(text):
            argument = first_argument(text, m.end())
            codes.update(c for c in re.findall(r'"([^"]*)"', argument) if CODE.match(c))
            codes.update(named[k] for k in re.findall(r"\bk\w+", argument) if k in named)
    return codes


def readme_codes(readme):
    """The codes of README.md's table of finding codes."""
    with open(readme, encoding="utf-8") as f:
        lines = f.read().split("\n")
    start = lines.index("| finding code | what it says |")
    codes = set()
    for line in lines[start + 2:]:
        if not line.startswith("|"):
            break
        codes.add(line.split("`")[1])
    return codes


def compare_codes(schema, source_dir):
    """The finding codes of the checks, of the schema and of README.md are
    one list: a code added to the checks and forgotten elsewhere fails."""
    enum = set(schema["$defs"]["findingCode"]["enum"])
    failures = 0
    for name, codes in [("check/rules", source_codes(os.path.join(source_dir, "check", "rules"))),
                        ("README.md", readme_codes(os.path.join(source_dir, "README.md")))]:
        if codes != enum:
            failures += 1
            print("finding codes: %s has %s, the schema's enum has %s" %
                  (name, sorted(codes - enum), sorted(enum - codes)))
    return failures


def run(program, args, json_dir, name):
    r = subprocess.run([program] + args, stdout=subprocess.PIPE, timeout=120)
    path = os.path.join(json_dir, "validate-%s.json" % name)
    with open(path, "wb") as f:
        f.write(r.stdout)
    # The process's exit code: -1 is 255 on POSIX.
    return path, r.returncode - 256 if r.returncode == 255 else r.returncode


def main():
    schema_path, program, cases, json_dir = sys.argv[1:5]
    os.makedirs(json_dir, exist_ok=True)
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)

    ran = {}
    inis = sorted(glob.glob(os.path.join(cases, "*.ini")))
    for i, ini in enumerate(inis):
        base = os.path.splitext(os.path.basename(ini))[0]
        path, code = run(program, ["CHECK", ini, "/JSON"], json_dir, "check-" + base)
        ran[path] = code
        other = inis[(i + 1) % len(inis)]
        path, code = run(program, ["DIFF", ini, other, "/JSON"], json_dir, "diff-" + base)
        ran[path] = code
    for name, args in [("no-command", ["a.ini", "/JSON"]), ("no-file", ["/json", "CHECK"]),
                       ("diff-one", ["DIFF", "a.ini", "/JSON"]),
                       ("missing", ["CHECK", os.path.join(cases, "none.ini"), "/JSON"]),
                       ("library", ["LIBRARY", "/JSON"])]:
        path, code = run(program, args, json_dir, "usage-" + name)
        ran[path] = code

    failures = compare_codes(schema, os.path.dirname(os.path.dirname(os.path.abspath(schema_path))))
    files = sorted(glob.glob(os.path.join(json_dir, "*.json")))
    for path in files:
        try:
            with open(path, "rb") as f:
                doc = json.loads(f.read().decode("utf-8"))
            error = jsonschema.exceptions.best_match(validator.iter_errors(doc))
            if error is not None:
                raise ValueError("%s: %s" % ("/".join(str(p) for p in error.absolute_path),
                                             error.message[:300]))
            if path in ran and doc["exitCode"] != ran[path]:
                raise ValueError("exitCode %r, the process exited %r" % (doc["exitCode"], ran[path]))
        except ValueError as e:
            failures += 1
            print("%s: %s" % (path, e))
    print("%d JSON documents, %d invalid" % (len(files), failures))
    return 1 if failures or not files else 0


if __name__ == "__main__":
    sys.exit(main())
