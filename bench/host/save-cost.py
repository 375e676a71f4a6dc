#!/usr/bin/env python3
"""CPU cost of saves in tessaron-host, one build beside another.

For each build (LABEL=BIN_DIR; default: this checkout's build/default/bin) it
measures, on that build's own files:

  big       a save of a 9,999-page document into its own file
  empty     a save of a one-page document alone in its folder
  crowded   the same save in a folder of 50,000 other files
  line      a console line that changes the workspace (preset-add)

Each figure is the CPU time (user + system, the system's accounting of the
finished process) of a run that opens the document and saves it N times (or
runs N preset-add lines), less that of a run that only opens it (runs no
line), divided by N: the median of the rounds, builds interleaved so that all
see the same machine. Then the ratios: crowded/empty for each build, and each
build's big and line against the first build's. When strace is installed, the
flushes (fsync, fdatasync) and folder reads (getdents64) of one workspace line
are counted too.

    bench/host/save-cost.py [--saves 40] [--rounds 5] [LABEL=BIN_DIR ...]

For example, beside the commit before the stored-file checks:
    bench/host/save-cost.py new=build/default/bin old=/work/wt/old849/build/default/bin
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def run_host(bin_dir, home, script):
    """One tessaron-host run of `script`; stops the benchmark when the run fails."""
    result = subprocess.run([os.path.join(bin_dir, "tessaron-host"), "--home", home, "--no-default-plugin", "-"],
                            input=script.encode(), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode:
        raise SystemExit("%s: exit %d: %s" % (bin_dir, result.returncode, result.stderr.decode(errors="replace")))


def cpu_of(bin_dir, home, script):
    """CPU seconds of one run, as the system accounts for the finished child."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    run_host(bin_dir, home, script)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def per_save(bin_dir, home, path, saves):
    opened = "open %s\n" % path
    return (cpu_of(bin_dir, home, opened + "save\n" * saves) - cpu_of(bin_dir, home, opened)) / saves


def per_line(bin_dir, root, lines):
    home_a, home_b = tempfile.mkdtemp(dir=root), tempfile.mkdtemp(dir=root)
    script = "".join("preset-add P%d\n" % i for i in range(lines))
    cost = (cpu_of(bin_dir, home_a, script) - cpu_of(bin_dir, home_b, "")) / lines
    shutil.rmtree(home_a)
    shutil.rmtree(home_b)
    return cost


def calls_per_line(bin_dir, root, lines=20):
    """Flushes (fsync, fdatasync) and folder reads (getdents64) of `lines` preset-add lines,
    less those of a run of one, per line; None without strace."""
    if not shutil.which("strace"):
        return None

    def count(script):
        home = tempfile.mkdtemp(dir=root)
        trace = os.path.join(home, "trace")
        subprocess.run(["strace", "-f", "-c", "-e", "trace=fsync,fdatasync,getdents64", "-o", trace,
                        os.path.join(bin_dir, "tessaron-host"), "--home", home, "--no-default-plugin", "-"],
                       input=script.encode(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        flushes = reads = 0
        with open(trace) as f:
            for row in f:
                words = row.split()
                if words and words[-1] in ("fsync", "fdatasync"):
                    flushes += int(words[3])
                if words and words[-1] == "getdents64":
                    reads += int(words[3])
        shutil.rmtree(home)
        return flushes, reads

    # The first line also seeds a new workspace: it is left out of the per-line figure.
    warm = "preset-add Warm\n"
    many = count(warm + "".join("preset-add P%d\n" % i for i in range(lines)))
    one = count(warm)
    return (many[0] - one[0]) / lines, (many[1] - one[1]) / lines


def prepare(label, bin_dir, root):
    """The build's files: a 9,999-page document, and a one-page one alone and among 50,000 files."""
    base = os.path.join(root, label)
    home = os.path.join(base, "home")
    for folder in ("big", "empty", "crowded"):
        os.makedirs(os.path.join(base, folder))
    crowded = os.path.join(base, "crowded")
    for n in range(50000):
        open(os.path.join(crowded, "other-%05d.indd" % n), "w").close()
    paths = {name: os.path.join(base, folder, "doc.indd")
             for name, folder in (("big", "big"), ("empty", "empty"), ("crowded", "crowded"))}
    run_host(bin_dir, home, "new 9999\nsave-as %s\nnew 1\nsave-as %s\nnew 1\nsave-as %s\n" %
             (paths["big"], paths["empty"], paths["crowded"]))
    return home, paths


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--saves", type=int, default=40)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("builds", nargs="*")
    args = parser.parse_args()
    builds = [b.split("=", 1) for b in args.builds] or [["this", os.path.join(ROOT, "build/default/bin")]]
    root = tempfile.mkdtemp(prefix="save-cost-")
    try:
        files = {label: prepare(label, os.path.abspath(bin_dir), root) for label, bin_dir in builds}
        figures = {label: {"big": [], "empty": [], "crowded": [], "line": []} for label, _ in builds}
        for _ in range(args.rounds):
            for label, bin_dir in builds:
                home, paths = files[label]
                for kind in ("big", "empty", "crowded"):
                    figures[label][kind].append(per_save(bin_dir, home, paths[kind], args.saves))
                figures[label]["line"].append(per_line(bin_dir, root, args.saves))
        first = builds[0][0]
        median = {label: {kind: statistics.median(values) for kind, values in kinds.items()}
                  for label, kinds in figures.items()}
        print("CPU ms per save (median of %d rounds of %d saves)" % (args.rounds, args.saves))
        print("%-10s %10s %10s %10s %10s %14s %18s" % ("build", "big", "empty", "crowded", "line",
                                                        "crowded/empty", "line: flushes/reads"))
        for label, bin_dir in builds:
            m = median[label]
            calls = calls_per_line(bin_dir, root)
            print("%-10s %10.3f %10.3f %10.3f %10.3f %14.2f %18s" % (
                label, m["big"] * 1e3, m["empty"] * 1e3, m["crowded"] * 1e3, m["line"] * 1e3,
                m["crowded"] / m["empty"] if m["empty"] > 0 else float("nan"),
                "-" if calls is None else "%.1f / %.1f" % calls))
        for label, _ in builds[1:]:
            print("%s against %s: big %.2fx, line %.2fx" % (
                first, label, median[first]["big"] / median[label]["big"], median[first]["line"] / median[label]["line"]))
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
