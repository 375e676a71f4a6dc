#!/usr/bin/env python3
"""CPU time of an idle tessaron-host with the projects panel open.

For each list shape and selection, each build shows the 100,000-project list
from a local tessaron-proofd, selects the group with the most projects (or
the first project in it) and then idles on the real clock; the host process's
CPU time (from /proc/PID/schedstat, in nanoseconds) and its voluntary context
switches (wake-ups) over the idle time are reported, one line per build,
builds interleaved so that all see the same machine. Beside them, "floor" is
a process that only wakes every 10 ms for the same time (wake_floor): what
the host's schedule costs on this machine before any work is done.

    bench/host/idle-cpu.py [--seconds 60] [--selections group,project] [LABEL=BIN_DIR ...]

BIN_DIR holds tessaron-host and Tessaron.so (default: build/default/bin);
tessaron-proofd is taken from the first one, wake_floor from the first that has
it (else from this checkout's build/default/bin).
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

def write_flat(out, groups=20, projects=100000):
    """Top-level groups only, the projects dealt out among them in turn."""
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n<tessaron authenticated="1" type="TESSARON_UPDATE">\n'
              "  <projectgroups>\n")
    for g in range(1, groups + 1):
        out.write('    <projectgroup id="%d" name="Client %d"/>\n' % (g, g))
    out.write("  </projectgroups>\n  <projects>\n")
    for n in range(projects):
        out.write('    <project id="%d" name="Project %d" filename_text="P-%d" statuscodes="1,2,3" '
                  'project_group_id="%d"/>\n' % (100001 + n, 100001 + n, 100001 + n, 1 + n % groups))
    out.write('  </projects>\n  <statuscodes>\n    <statuscode id="1" name="Draft"/>\n'
              '    <statuscode id="2" name="Proof"/>\n    <statuscode id="3" name="Approved"/>\n'
              "  </statuscodes>\n</tessaron>\n")


def write_nested(out):
    subprocess.run([sys.executable, os.path.join(ROOT, "scripts/gen-projects.py"), "--groups", "2000", "--projects",
                    "100000"], stdout=out, check=True)


# The generator's own shape, and 20 top-level groups of 5,000 projects each.
SHAPES = {"nested": write_nested, "flat-20": write_flat}


def biggest_group(path):
    """The names from the top level down to the group that holds the most projects, the
    number of its projects and the name it shows first."""
    root = ET.parse(path).getroot()
    names, parent = {}, {}

    def walk(element, up):
        for child in element:
            if child.tag == "projectgroup":
                names[child.get("id")] = child.get("name")
                parent[child.get("id")] = up
                walk(child, child.get("id"))
            else:
                walk(child, up)

    walk(root, None)
    members = {}
    for project in root.iter("project"):
        members.setdefault(project.get("project_group_id"), []).append(project.get("name"))
    best = max(members, key=lambda group: len(members[group]))
    chain, at = [], best
    while at:
        chain.append(names[at])
        at = parent[at]
    return list(reversed(chain)), len(members[best]), min(members[best])


class Host:
    def __init__(self, bin_dir, home):
        self.stderr = os.path.join(home, "stderr")
        self.proc = subprocess.Popen([os.path.join(bin_dir, "tessaron-host"), "--home", home, "--clock", "real", "-"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=open(os.path.join(home, "stderr"), "w"),
                                     text=True, bufsize=1)

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def wait_for(self, text):
        for line in self.proc.stdout:
            if line.strip() == text:
                return
        raise RuntimeError("the host ended early: " + open(self.stderr).read().strip())

    def sample(self):
        with open("/proc/%d/schedstat" % self.proc.pid) as f:
            cpu = int(f.read().split()[0]) / 1e9  # time on a CPU, all threads
        with open("/proc/%d/status" % self.proc.pid) as f:
            switches = int(re.search(r"^voluntary_ctxt_switches:\s*(\d+)", f.read(), re.M).group(1))
        return time.monotonic(), cpu, switches

    def quit(self):
        self.send("quit")
        self.proc.stdin.close()
        self.proc.wait(timeout=120)


def measure(bin_dir, server, chain, seconds, work):
    home = tempfile.mkdtemp(prefix="home-", dir=work)
    host = Host(bin_dir, home)
    try:
        for line in ["progress off", "prefs open 0x61023", "set-text 0x61026 demo", "set-text 0x61027 demo",
                     "set-text 0x61028 " + server, "dialog ok", "panel show 0x61000"]:
            host.send(line)
        for name in chain[:-1]:
            host.send('tree expand "%s"' % name)
        host.send('tree select "%s"' % chain[-1])
        host.send("echo ready")
        host.wait_for("ready")
        start = host.sample()
        host.send("idle %ds" % seconds)
        host.send("echo done")
        host.wait_for("done")
        end = host.sample()
    finally:
        host.quit()
    wall = end[0] - start[0]
    return 100.0 * (end[1] - start[1]) / wall, (end[2] - start[2]) / wall


def floor(bin_dirs, seconds):
    found = [d for d in bin_dirs if os.path.exists(os.path.join(d, "wake_floor"))]
    program = os.path.join(found[0] if found else os.path.join(ROOT, "build/default/bin"), "wake_floor")
    out = subprocess.run([program, str(seconds)], capture_output=True, text=True, check=True)
    return float(out.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("--shapes", default=",".join(SHAPES), help="comma-separated: " + ", ".join(SHAPES))
    parser.add_argument("--selections", default="group,project", help="comma-separated: group, project")
    parser.add_argument("builds", nargs="*", help="LABEL=BIN_DIR")
    args = parser.parse_args()
    builds = [b.split("=", 1) for b in args.builds] or [["current", os.path.join(ROOT, "build/default/bin")]]

    work = tempfile.mkdtemp(prefix="idle-bench-")
    server = None
    try:
        for shape in args.shapes.split(","):
            listing = os.path.join(work, shape + ".xml")
            with open(listing, "w") as out:
                SHAPES[shape](out)
            chain, projects, first = biggest_group(listing)
            log = open(os.path.join(work, shape + ".server"), "w+")
            server = subprocess.Popen([os.path.join(builds[0][1], "tessaron-proofd"), "--port", "0", "--projects", listing,
                                       "--users", os.path.join(ROOT, "samples/users.json"),
                                       "--uploads", os.path.join(work, "uploads")], stdout=log, stderr=subprocess.STDOUT)
            port = None
            for _ in range(100):
                log.seek(0)
                found = re.search(r"listening 127\.0\.0\.1:(\d+)", log.read())
                if found:
                    port = found.group(1)
                    break
                time.sleep(0.1)
            if not port:
                raise RuntimeError("tessaron-proofd did not start")
            for selection in args.selections.split(","):
                selected = chain + [first] if selection == "project" else chain
                print("%s list (%d bytes), %s \"%s\" selected (of a group of %d projects), %d s idle:"
                      % (shape, os.path.getsize(listing), selection, selected[-1], projects, args.seconds), flush=True)
                for label, bin_dir in builds:
                    cpu, wakeups = measure(bin_dir, "http://127.0.0.1:" + port, selected, args.seconds, work)
                    print("  %-10s %6.2f %% of a core   %6.0f wake-ups/s" % (label, cpu, wakeups), flush=True)
                print("  %-10s %6.2f %% of a core" % ("floor", floor([b for _, b in builds], args.seconds)), flush=True)
            server.terminate()
            server.wait()
            server = None
    finally:
        if server:
            server.terminate()
            server.wait()
        subprocess.run(["rm", "-rf", work])


if __name__ == "__main__":
    main()
