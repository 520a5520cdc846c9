"""Emulated stations for the fleet playbooks' test and benchmark: generated
fixtures, one tarvo-emulator per station, and their inventory."""

import json
import os
import re
import select
import signal
import socket
import struct
import subprocess
import sys
import time


# The tests' own three: a failure ends the test with its message.
def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def expect(condition, message):
    if not condition:
        fail(message)


def run(argv, **kw):
    return subprocess.run(argv, capture_output=True, text=True, **kw)


def channel_mask(channels):
    """A ZigBee gateway's channels as the controller holds them."""
    return sum(1 << c for c in channels)


def station_fixture(index, pumps=4, hoses=2, attendants=3, clients=5):
    """A station of its own: its number is in its names, its grade count and
    prices follow it, every attendant has a password, tanks and hoses have
    measures (which no file carries), port 1 is a ZigBee gateway, and one
    client comes after a gap in the numbering that IMPORT's walk never
    crosses."""
    grades = 2 + index % 3
    tag = "S%03d" % index
    f = {"versions": {"dll": "4.2.1", "server": "4.2.%d" % (index % 10)}}
    f["ports"] = [{"id": p, "number": p, "name": "COM%d %s" % (p, tag), "protocolId": 1,
                   "deviceType": 1, "serialNo": "PC-%s-%d" % (tag, p),
                   "details": ["Pump interface", "Rev. C", "PIF 3.1.0"]} for p in (1, 2)]
    f["ports"][0]["zb2g"] = {"panId": 0x1A00 + index, "channels": channel_mask([11, 15, 20]),
                             "keyA": 0x1234 + index, "keyB": 0x5678}
    f["grades"] = [{"id": g, "number": g, "name": "Grade %d %s" % (g, tag), "shortName": "G%d" % g,
                    "code": str(90 + g),
                    "prices": {"1": round(1.5 + index * 0.001 + g * 0.01, 3),
                               "2": round(1.48 + index * 0.001 + g * 0.01, 3)}}
                   for g in range(1, grades + 1)]
    f["tanks"] = [{"id": g, "number": g, "name": "Tank %d %s" % (g, tag), "grade": g, "type": 1,
                   "capacity": 20000.0 + 1000 * index, "diameter": 2.5,
                   "measures": [1200.0 * g + index, 35.5, 18.25, 0.5, 1450.0 + g, 0.0, 21.5, 3.0],
                   "tankGauge": 1, "probe": g}
                  for g in range(1, grades + 1)]
    f["pumps"] = []
    for p in range(1, pumps + 1):
        f["pumps"].append({
            "id": p, "number": p, "name": "Pump %d %s" % (p, tag), "physicalNumber": p,
            "side": p % 2 + 1, "address": p, "priceLevel1": 1, "priceLevel2": 2,
            "priceDspFormat": 3, "volumeDspFormat": 2, "valueDspFormat": 2, "pumpType": 4,
            "portId": 1 + p % 2, "attendantId": -1, "authMode": 0, "stackMode": 0,
            "prepayAllowed": 1, "preauthAllowed": 0, "slot": -1, "muxSlotZigBeeId": -1,
            "priceControl": 0, "hasPreset": 1,
            "hoses": [{"id": p * 10 + h, "number": h, "tank": (h - 1) % grades + 1,
                       "physicalNumber": h,
                       "measures": [104233.5 + p * 10 + h, 2.5, 88123.25, 3.0], "reader": 0,
                       "price1": 1.589, "price2": 1.569, "enabled": 1}
                      for h in range(1, hoses + 1)]})
    f["attendants"] = [{"id": a, "number": a, "name": "Attendant %d %s" % (a, tag),
                        "shortName": "A%d" % a, "password": "%d%03d" % (a, index),
                        "tag": "T-%s-%d" % (tag, a), "shiftAStart": 360, "shiftAEnd": 840,
                        "shiftBStart": 840, "shiftBEnd": 1320, "enabled": 1}
                       for a in range(1, attendants + 1)]
    f["cardClients"] = [{"id": c, "number": c, "name": "Client %d %s" % (c, tag),
                         "tag": "C-%s-%d" % (tag, c), "enabled": 1}
                        for c in list(range(1, clients + 1)) + [clients + 10]]
    return f


class Emulators:
    """One tarvo-emulator per station, each seeded with its own fixture, on
    ports of its own choosing. Stops every one it started on close()."""

    def __init__(self, emulator, work):
        self.emulator = emulator
        self.work = work
        self.procs = {}
        self.servers = {}

    def start(self, stations):
        """stations: {name: fixture}. Returns {name: "127.0.0.1:PORT"}."""
        outs = {}
        for name, fixture in stations.items():
            seed = os.path.join(self.work, name + ".json")
            with open(seed, "w", encoding="utf-8") as out:
                json.dump(fixture, out)
            proc = subprocess.Popen(
                [self.emulator, "--db", os.path.join(self.work, name + ".db"), "--seed", seed,
                 "--port", "0"],
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            self.procs[name] = proc
            outs[proc.stdout.fileno()] = name
        deadline = time.monotonic() + 30
        lines = {fd: "" for fd in outs}
        while len(self.servers) < len(stations):
            left = deadline - time.monotonic()
            waiting = [fd for fd, name in outs.items() if name not in self.servers]
            ready, _, _ = select.select(waiting, [], [], max(left, 0))
            if not ready:
                raise RuntimeError("emulators did not start: %s" % ", ".join(
                    outs[fd] for fd in waiting))
            for fd in ready:
                chunk = os.read(fd, 4096).decode()
                if not chunk:
                    raise RuntimeError("emulator of %s ended" % outs[fd])
                lines[fd] += chunk
                m = re.search(r"accepting connections on (\S+):(\d+)", lines[fd])
                if m:
                    self.servers[outs[fd]] = "127.0.0.1:%s" % m.group(2)
        return dict(self.servers)

    def stop(self, name):
        proc = self.procs.pop(name)
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        proc.stdout.close()

    def close(self):
        for name in list(self.procs):
            self.stop(name)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def emulator_call(server, call, args=()):
    """One call on an emulator's wire (a length, then the JSON of the
    request; the reply alike); returns the reply's "out"."""
    host, port = server.rsplit(":", 1)
    with socket.create_connection((host, int(port)), timeout=30) as s:
        body = json.dumps({"call": call, "args": list(args)}).encode()
        s.sendall(struct.pack(">I", len(body)) + body)
        data = b""
        while len(data) < 4 or len(data) < 4 + struct.unpack(">I", data[:4])[0]:
            chunk = s.recv(65536)
            if not chunk:
                raise RuntimeError("%s closed the connection" % server)
            data += chunk
    reply = json.loads(data[4:].decode())
    if reply.get("code"):
        raise RuntimeError("%s %s: %s" % (server, call, reply.get("message")))
    return reply.get("out") or {}


def change_station(server, change):
    """Changes an emulated station as a technician at the station would:
    change(state) edits its whole state (a fixture), which then replaces it."""
    state = emulator_call(server, "$state")["state"]
    change(state)
    emulator_call(server, "$load", [state])


def write_inventory(path, servers, variables):
    """Stations grouped in two regions under "stations" (JSON is YAML)."""
    regions = {"north": {}, "south": {}}
    for i, name in enumerate(sorted(servers)):
        regions["north" if i % 2 == 0 else "south"][name] = {"tarvo_server": servers[name]}
    inventory = {"stations": {"children": {r: {"hosts": h} for r, h in regions.items()},
                              "vars": variables}}
    with open(path, "w", encoding="utf-8") as out:
        json.dump(inventory, out, indent=1)


def ansible_env(fleet):
    """The environment ansible-playbook runs with: the fleet's settings, no
    colours, no name server lookups by the stand-in library."""
    env = dict(os.environ)
    env.update({"ANSIBLE_CONFIG": os.path.join(fleet, "ansible.cfg"), "ANSIBLE_NOCOLOR": "1",
                "ANSIBLE_FORCE_COLOR": "0", "TARVO_CLIENT_OFFLINE": "1"})
    return env


class Playbooks:
    """The fleet's playbooks run against the inventory in work, and the git
    history they keep there. A test's own class sets forks and timeout (in
    seconds), and umask where the playbooks are to run under one."""

    umask = None

    def __init__(self, source, work, **env):
        self.fleet = os.path.join(source, "fleet")
        self.work = work
        self.history = os.path.join(work, "history")
        self.approved = os.path.join(work, "approved")
        self.inventory = os.path.join(work, "inventory.yml")
        self.env = dict(ansible_env(self.fleet), **env)

    def play(self, playbook, *args, inventory=None, wrapper=None, background=False):
        """ansible-playbook, or with wrapper ("manual" or "scheduled")
        fleet/tarvo-fleet; background: the started process, not its end."""
        start = time.monotonic()
        umask = self.umask
        preexec = None if umask is None else (lambda: os.umask(umask))
        options = ["-i", inventory or self.inventory, "-f", str(self.forks), *args]
        argv = ["ansible-playbook", *options, playbook] if wrapper is None else [
            sys.executable, os.path.join(self.fleet, "tarvo-fleet"),
            *(["--scheduled"] if wrapper == "scheduled" else []), playbook, *options]
        if background:
            return subprocess.Popen(argv, cwd=self.fleet, env=self.env, preexec_fn=preexec,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        r = run(argv, cwd=self.fleet, env=self.env, preexec_fn=preexec, timeout=self.timeout)
        print("--- %s %s %s: exit %d, %.1f s" % (wrapper or "", playbook, " ".join(args),
                                               r.returncode, time.monotonic() - start))
        return r

    def git(self, *args):
        r = run(["git", "-C", self.history, *args])
        expect(r.returncode == 0, "git %s: %s" % (" ".join(args), r.stderr))
        return r.stdout
