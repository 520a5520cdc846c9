#!/usr/bin/env python3
"""Every JSON document of TarvoCheck's tests against the published schema.

validate_json.py SCHEMA TARVOCHECK CASES JSON_DIR

Runs TarvoCheck with /JSON over every CASES/*.ini (CHECK, and DIFF of each
case with the next) and over usage errors, keeps each output in JSON_DIR
beside the documents the other tests kept there (TARVO_JSON_DIR), and
validates every file in JSON_DIR: one document, valid against SCHEMA, its
exit code the process's where this script ran it.
"""
import glob
import json
import os
import subprocess
import sys

import jsonschema


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
                       ("missing", ["CHECK", os.path.join(cases, "none.ini"), "/JSON"])]:
        path, code = run(program, args, json_dir, "usage-" + name)
        ran[path] = code

    failures = 0
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
