#!/usr/bin/python
"""One run of the fleet's playbooks at a time, whoever starts it."""

DOCUMENTATION = r"""
module: tarvo_lock
short_description: Take the fleet's lock for the ansible-playbook run that calls it
description:
  - The lock is a file naming the ansible-playbook process that holds it (its
    process id and start time), the playbook, the user and the time. It is
    held while that process lives: a lock whose process is gone is stale and
    taken over, so that a run that was killed never blocks the next one.
  - A lock held by a live run is waited for up to I(wait) seconds; then the
    module fails with a line naming the running play.
  - Runs on the control node (delegate_to localhost), once a run.
options:
  path:
    description: The lock file (its folder is created, mode 0700).
    type: path
    required: true
  play:
    description: What the run is, as the refusal names it to a second run.
    type: str
    required: true
  wait:
    description: Seconds to wait for a run that holds the lock.
    type: int
    default: 3600
"""

import json
import os
import pwd
import time

from ansible.module_utils.basic import AnsibleModule


def _stat(pid):
    """(parent pid, start time in clock ticks, command line) of a process, or None."""
    try:
        with open("/proc/%d/stat" % pid, "rb") as f:
            stat = f.read().decode("utf-8", "replace")
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            cmdline = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
    except OSError:
        return None
    fields = stat[stat.rindex(")") + 2:].split()
    return int(fields[1]), fields[19], cmdline


def playbook_process():
    """The ansible-playbook process this module runs under: (pid, start).
    Its workers are forks of it with the same command line, and end with
    their task: the lock belongs to the outermost one."""
    found = None
    pid = os.getppid()
    while pid > 1:
        stat = _stat(pid)
        if stat is None:
            break
        if "ansible-playbook" in stat[2]:
            found = (pid, stat[1])
        pid = stat[0]
    return found or (os.getppid(), (_stat(os.getppid()) or (0, "", ""))[1])


def _user():
    try:
        return pwd.getpwuid(os.getuid()).pw_name
    except KeyError:
        return str(os.getuid())


def alive(holder):
    stat = _stat(int(holder.get("pid") or 0))
    return stat is not None and stat[1] == holder.get("start")


def read(path):
    try:
        with open(path, encoding="utf-8") as f:
            holder = json.load(f)
        return holder if isinstance(holder, dict) else {}
    except FileNotFoundError:
        return None
    except (OSError, ValueError):
        return {}  # half written or damaged: held by no live process


def try_take(path, mine):
    """True when the lock is now this run's. A stale lock is renamed aside
    first, so that of two runs taking it over only one removes it."""
    holder = read(path)
    if holder is not None:
        if holder.get("pid") == mine["pid"] and holder.get("start") == mine["start"]:
            return True
        if alive(holder):
            return False
        aside = "%s.stale.%d" % (path, os.getpid())
        try:
            os.rename(path, aside)
            os.unlink(aside)
        except FileNotFoundError:
            pass
    try:
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    except FileExistsError:
        return False
    with os.fdopen(fd, "w", encoding="utf-8") as out:
        json.dump(mine, out)
    return True


def refusal(holder, waited):
    return ("Another run holds the lock: %s, started %s by %s (process %s); waited %d s"
            % (holder.get("play") or "a run", holder.get("time") or "at an unknown time",
               holder.get("user") or "someone", holder.get("pid"), waited))


def main():
    module = AnsibleModule(argument_spec={"path": {"type": "path", "required": True},
                                          "play": {"type": "str", "required": True},
                                          "wait": {"type": "int", "default": 3600}},
                           supports_check_mode=True)
    path, wait = module.params["path"], max(0, module.params["wait"])
    pid, start = playbook_process()
    mine = {"pid": pid, "start": start, "play": module.params["play"],
            "user": _user(),
            "time": time.strftime("%Y-%m-%d %H:%M:%S %z")}
    try:
        os.makedirs(os.path.dirname(path) or ".", mode=0o700, exist_ok=True)
        began = time.monotonic()
        while not try_take(path, mine):
            waited = time.monotonic() - began
            if waited >= wait:
                module.fail_json(msg=refusal(read(path) or {}, waited), holder=read(path))
            time.sleep(min(2.0, wait - waited))
    except OSError as e:
        module.fail_json(msg="The lock %s: %s" % (path, e))
    module.exit_json(changed=False, pid=pid, waited=int(time.monotonic() - began))


if __name__ == "__main__":
    main()
