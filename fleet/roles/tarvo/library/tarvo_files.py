#!/usr/bin/python
"""Writes a run's files into the history in one call."""

DOCUMENTATION = r"""
module: tarvo_files
short_description: Write several text files under one folder, private to their owner
description:
  - Each file is written whole (a temporary file renamed over it), mode 0600;
    the folders it needs are created with mode 0700.
options:
  root:
    description: The folder the files' paths are relative to.
    type: path
    required: true
  files:
    description: Relative path (no C(..), not absolute) to the file's text (written as UTF-8).
    type: dict
    required: true
"""

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule


def write(root, relative, text):
    parts = relative.replace("\\", "/").split("/")
    if os.path.isabs(relative) or ".." in parts or "" in parts:
        raise ValueError("not a path inside the folder: %r" % relative)
    path = os.path.join(root, *parts)
    folder = os.path.dirname(path)
    os.makedirs(folder, mode=0o700, exist_ok=True)
    fd, temp = tempfile.mkstemp(dir=folder, prefix=".tarvo-")
    try:
        with os.fdopen(fd, "w", encoding="utf-8") as out:
            out.write(text)
        os.chmod(temp, 0o600)
        os.replace(temp, path)
    except BaseException:
        os.unlink(temp)
        raise


def main():
    module = AnsibleModule(argument_spec={"root": {"type": "path", "required": True},
                                          "files": {"type": "dict", "required": True}},
                           supports_check_mode=False)
    root, files = module.params["root"], module.params["files"]
    try:
        for relative in sorted(files):
            write(root, relative, str(files[relative]))
    except (OSError, ValueError) as e:
        module.fail_json(msg="Writing %s: %s" % (root, e))
    module.exit_json(changed=True, written=sorted(files))


if __name__ == "__main__":
    main()
