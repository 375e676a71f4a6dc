#!/usr/bin/env python3
"""Runs one scenario: tessaron-host on a script in a fresh folder, the transcript compared
with the expected one. See CMakeLists.txt beside this file.

Usage: run_scenario.py HOST SCRIPT EXPECTED WORK [--server PROOFD SAMPLES] [-- HOST-ARGS...]

With --server, a tessaron-proofd runs on a free loopback port for the scenario, serving the
sample project list and users; "$SERVER" in the script stands for its URL, the URL reads as
"$SERVER" in the transcript, and the transcript ends with the names of the files uploaded.
"""
import os
import shutil
import subprocess
import sys


def start_server(proofd, samples, work):
    uploads = os.path.join(work, "uploads")
    os.makedirs(uploads)
    server = subprocess.Popen(
        [proofd, "--port", "0", "--projects", os.path.join(samples, "projects.xml"),
         "--users", os.path.join(samples, "users.json"), "--uploads", uploads,
         "--log", os.path.join(work, "requests.log")],
        stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline().strip()
    if not line.startswith("listening "):
        server.kill()
        sys.exit(f"tessaron-proofd did not start: {line!r}")
    return server, "http://" + line.split(" ", 1)[1]


def main():
    args = sys.argv[1:]
    host_args = []
    if "--" in args:
        host_args = args[args.index("--") + 1:]
        args = args[:args.index("--")]
    host, script, expected, work = (os.path.abspath(a) for a in args[:4])
    server = None
    url = None
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    run_script = script
    try:
        if len(args) > 4 and args[4] == "--server":
            server, url = start_server(os.path.abspath(args[5]), os.path.abspath(args[6]), work)
            with open(script, encoding="utf-8") as f:
                text = f.read().replace("$SERVER", url)
            run_script = os.path.join(work, "script.txt")
            with open(run_script, "w", encoding="utf-8") as f:
                f.write(text)
        run = subprocess.run([host, "--home", os.path.join(work, "home"), "--echo", *host_args, run_script],
                             cwd=work, capture_output=True, text=True, timeout=120)
    finally:
        if server:
            server.terminate()
            server.wait(timeout=10)
    out = run.stdout
    err = run.stderr[:-1] if run.stderr.endswith("\n") else run.stderr
    if err:
        out += "! " + err.replace("\n", "\n! ") + "\n"
    out += f"exit {run.returncode}\n"
    if server:
        out += "uploads: " + " ".join(sorted(os.listdir(os.path.join(work, "uploads")))) + "\n"
    out = out.replace(work, "$WORK").replace(run_script, "$SCRIPT").replace(script, "$SCRIPT")
    if url:
        out = out.replace(url, "$SERVER")
    with open(expected, encoding="utf-8") as f:
        wanted = f.read()
    if out != wanted:
        with open(os.path.join(work, "transcript"), "w", encoding="utf-8") as f:
            f.write(out)
        sys.exit(f"transcript differs from {expected}; got (also in {work}/transcript):\n{out}")


if __name__ == "__main__":
    main()
