#!/usr/bin/env python3
"""The include order of the programs' own folders, which the compiler does not
see: every #include "..." of a .h or .cc in app check client console export
import platform profile goes to its own folder or to one below it in the order
below, and no files include one another round (a cycle). Prints one line per
fault and exits 1; exits 0 when there is none. Run by scripts/style.sh.

A unit is a .h with the .cc of the same name beside it: a cycle is a ring of
units, each including the next (check/a/X.cc including check/b/Y.h, whose
Y.cc includes check/a/X.h, is one)."""

import os
import re
import subprocess
import sys

# The order of the folders, lowest first: each with the folders directly
# below it that it may include (and so, through them, everything below those).
# ARCHITECTURE.md describes it ("Folders, and what each may include" and
# "Inside TarvoCheck"); a change here is a change there.
FOLDERS = [
    ("platform", []),
    ("profile", ["platform"]),
    ("client", ["profile"]),
    ("console", ["platform"]),
    ("export", ["client", "console"]),  # export and import: siblings, neither includes the other
    ("import", ["client", "console"]),
    ("app", ["export", "import"]),  # app and check: siblings
    ("check", ["export", "import"]),
]

# TarvoCheck's rooms (the sub-folders of check/), after all of the folders
# above, lowest first, in the same form. Every file of check/ is in one.
CHECK_ROOMS = [
    ("text", []),
    ("records", ["text"]),
    ("rules", ["records"]),
    ("plan", ["rules"]),  # plan and diff: siblings
    ("diff", ["rules"]),
    ("report", ["plan", "diff"]),
    ("guarded", ["report"]),
    ("cli", ["guarded"]),
]

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def below(order):
    """Each name's set of names it may include besides itself, the order
    checked to go one way."""
    allowed = {}
    for name, lower in order:
        reach = set()
        for other in lower:
            if other not in allowed:
                sys.exit(f"includes.py: {name} is put above {other}, which comes later in the order")
            reach |= {other} | allowed[other]
        allowed[name] = reach
    return allowed


FOLDER_BELOW = below(FOLDERS)
ROOM_BELOW = below(CHECK_ROOMS)


POSITION = {name: i for i, (name, _) in enumerate(FOLDERS)}
POSITION.update({f"check/{name}": i for i, (name, _) in enumerate(CHECK_ROOMS)})


def listed(names):
    """Folders ("client/") or rooms ("check/text/"), highest first."""
    return ", ".join(sorted(names, key=lambda n: -POSITION[n.rstrip("/")]))


def place(path):
    """(folder, room) of a product path; room is None outside check/, and
    "" for a file of check/ in no room."""
    parts = path.split("/")
    if parts[0] != "check":
        return parts[0], None
    return "check", parts[1] if len(parts) > 2 and parts[1] in ROOM_BELOW else ""


def order_fault(path, target):
    """Why `path` may not include `target` (both product paths), or None."""
    folder, room = place(path)
    tfolder, troom = place(target)
    if tfolder != folder:
        if tfolder in FOLDER_BELOW[folder]:
            return None
        return f"{folder}/ includes only {listed(f + '/' for f in FOLDER_BELOW[folder] | {folder})}"
    if room is None or room == "" or troom == "":
        return None  # outside check/, or told as a file in no room
    if troom == room or troom in ROOM_BELOW[room]:
        return None
    rooms = listed(f"check/{r}/" for r in ROOM_BELOW[room] | {room})
    return f"check/{room}/ includes only {rooms} of check/"


def product_files(root):
    folders = [name for name, _ in FOLDERS]
    out = subprocess.run(
        ["git", "ls-files", "--cached", "--others", "--exclude-standard", "--"] + folders,
        cwd=root, check=True, capture_output=True, text=True).stdout.split()
    return sorted(p for p in out if p.endswith((".h", ".cc")) and os.path.exists(os.path.join(root, p)))


def unit(path):
    return os.path.splitext(path)[0]


def cycles(edges):
    """The strongly connected components of more than one unit (Tarjan)."""
    index, low, stack, on, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def shortest_ring(start, members, edges):
    """The shortest ring of units from start back to it, inside members."""
    previous, frontier = {start: None}, [start]
    while frontier:
        following = []
        for v in frontier:
            for w in sorted(edges.get(v, ())):
                if w not in members:
                    continue
                if w == start:
                    ring = [v]
                    while previous[ring[-1]] is not None:
                        ring.append(previous[ring[-1]])
                    return list(reversed(ring))
                if w not in previous:
                    previous[w] = v
                    following.append(w)
        frontier = following
    return [start]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    files = product_files(root)
    folders = {name for name, _ in FOLDERS}
    faults = []
    edges = {}  # unit -> units it includes
    via = {}  # (unit, unit) -> (file, include) that makes the edge
    for path in files:
        if place(path)[1] == "":
            rooms = listed(f"check/{r}/" for r in ROOM_BELOW)
            faults.append(f"{path}: not in one of check/'s rooms ({rooms})")
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = match.group(1)
                where = f'{path}:{number}: #include "{target}"'
                if target.split("/")[0] not in folders:
                    faults.append(f"{where}: outside the programs' folders")
                    continue
                if not os.path.isfile(os.path.join(root, target)):
                    faults.append(f"{where}: no such file")
                    continue
                why = order_fault(path, target)
                if why is not None:
                    faults.append(f"{where} goes against the include order: {why}")
                if unit(target) != unit(path):
                    edges.setdefault(unit(path), set()).add(unit(target))
                    via.setdefault((unit(path), unit(target)), (path, target))
    for component in cycles(edges):
        ring = shortest_ring(component[0], set(component), edges)
        steps = [via[(a, ring[(i + 1) % len(ring)])] for i, a in enumerate(ring)]
        said = "; ".join(f'{p} includes "{t}"' for p, t in steps)
        faults.append(f"include cycle among {len(component)} units ({', '.join(component)}): {said}")
    for fault in faults:
        print(f"includes: {fault}", file=sys.stderr)
    if faults:
        return 1
    print(f"includes: {len(files)} files include in the order of ARCHITECTURE.md, with no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
