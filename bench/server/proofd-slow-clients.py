#!/usr/bin/env python3
"""Scripted timings of tessaron-proofd under slow clients: SLOW connections that send a
request head a byte at a time (a slowloris), BODIES uploads with valid credentials whose
body comes a byte every 3 s, IDLE kept-alive connections that made one request and wait,
SILENT connections that send nothing at all, optionally a header flood of FLOOD MiB made of
small header lines, and meanwhile REQUESTS project-list downloads by other clients, one after
another. Prints the share of those answered within 1 s, their latencies, how the slow uploads
were answered and the server's peak memory.

Usage: proofd-slow-clients.py [--bin build/default/bin] [--slow 100] [--bodies 0] [--idle 0]
                              [--silent 0] [--nofile 0] [--requests 200] [--seconds 0]
                              [--flood 400] [-- extra tessaron-proofd arguments]
The requests go on for at least SECONDS. With NOFILE, the server may hold that many
descriptors at most.
"""
import argparse
import os
import resource
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default=os.path.join(ROOT, "build", "default", "bin"))
    parser.add_argument("--slow", type=int, default=100)
    parser.add_argument("--bodies", type=int, default=0, help="uploads whose body trickles")
    parser.add_argument("--idle", type=int, default=0, help="kept-alive connections left idle")
    parser.add_argument("--silent", type=int, default=0, help="connections that send nothing")
    parser.add_argument("--nofile", type=int, default=0, help="the server's descriptor limit")
    parser.add_argument("--requests", type=int, default=200)
    parser.add_argument("--seconds", type=float, default=0)
    parser.add_argument("--flood", type=int, default=0, help="MiB of header lines on one connection")
    parser.add_argument("extra", nargs="*")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="proofd-slow-")
    # This side holds every connection open at once.
    _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))

    def limit_descriptors():
        if args.nofile:
            resource.setrlimit(resource.RLIMIT_NOFILE, (args.nofile, args.nofile))

    server = subprocess.Popen(
        [os.path.join(args.bin, "tessaron-proofd"), "--projects", os.path.join(ROOT, "samples", "projects.xml"),
         "--users", os.path.join(ROOT, "samples", "users.json"), "--uploads", os.path.join(work, "uploads")]
        + args.extra, stdout=subprocess.PIPE, text=True, preexec_fn=limit_descriptors)
    port = int(server.stdout.readline().strip().rsplit(":", 1)[1])
    stop = threading.Event()

    def slowloris():
        conns = []
        for _ in range(args.slow):
            s = socket.create_connection(("127.0.0.1", port))
            s.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n")
            conns.append(s)
        while not stop.is_set():
            for s in conns:
                try:
                    s.send(b"X")
                except OSError:
                    pass
            stop.wait(0.5)
        for s in conns:
            s.close()

    answers = {}

    def trickling_bodies():
        conns = []
        for _ in range(args.bodies):
            s = socket.create_connection(("127.0.0.1", port))
            s.sendall(b"POST /indd_filetransfer.asp?username=demo&password=demo HTTP/1.1\r\nHost: x\r\n"
                      b"Content-Type: multipart/form-data; boundary=B\r\nContent-Length: 1000000\r\n\r\n"
                      b"--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"slow.pdf\"\r\n\r\n")
            s.setblocking(False)
            conns.append(s)
        while conns and not stop.is_set():
            for s in list(conns):
                try:
                    reply = s.recv(64)
                    status = reply.split(b" ")[1].decode() if reply.startswith(b"HTTP/") else "closed"
                    answers[status] = answers.get(status, 0) + 1
                    conns.remove(s)
                    s.close()
                except BlockingIOError:
                    try:
                        s.send(b"x")
                    except OSError:
                        pass
                except OSError:
                    answers["reset"] = answers.get("reset", 0) + 1
                    conns.remove(s)
            stop.wait(3)
        for s in conns:
            s.close()

    # Each makes one request and leaves its answer unread: answered, it idles.
    idle = []
    for _ in range(args.idle):
        s = socket.create_connection(("127.0.0.1", port))
        s.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n\r\n")
        idle.append(s)

    silent = [socket.create_connection(("127.0.0.1", port)) for _ in range(args.silent)]

    flooded = [0]

    def flood():
        s = socket.create_connection(("127.0.0.1", port))
        chunk = b"X-Flood: aaaaaaaaaaaaaaaa\r\n" * 2400
        try:
            s.sendall(b"GET / HTTP/1.1\r\n")
            while flooded[0] < args.flood << 20 and not stop.is_set():
                s.sendall(chunk)
                flooded[0] += len(chunk)
        except OSError:
            pass
        s.close()

    threads = [threading.Thread(target=slowloris), threading.Thread(target=trickling_bodies)]
    if args.flood:
        threads.append(threading.Thread(target=flood))
    for t in threads:
        t.start()
    time.sleep(1)
    url = f"http://127.0.0.1:{port}/indd_xml.asp?username=demo&password=demo"
    latencies = []
    until = time.monotonic() + args.seconds
    while len(latencies) < args.requests or time.monotonic() < until:
        start = time.monotonic()
        try:
            urllib.request.urlopen(url, timeout=30).read()
            latencies.append(time.monotonic() - start)
        except OSError:
            latencies.append(float("inf"))
    stop.set()
    for t in threads:
        t.join()
    for s in idle + silent:
        s.close()
    with open(f"/proc/{server.pid}/status") as status:
        peak = next(line.split(":", 1)[1].strip() for line in status if line.startswith("VmHWM"))
    server.terminate()
    server.wait()
    latencies.sort()
    within = sum(1 for l in latencies if l < 1.0)
    print(f"slow heads: {args.slow}, trickling uploads: {args.bodies}, idle kept-alive: {args.idle}, "
          f"silent: {args.silent}, descriptor limit: {args.nofile or 'none'}, "
          f"header flood sent: {flooded[0] >> 20} MiB")
    if args.bodies:
        print("trickling uploads answered: " + ", ".join(f"{n} {status}" for status, n in sorted(answers.items()))
              + f", {args.bodies - sum(answers.values())} still open")
    print(f"other requests answered within 1 s: {within}/{len(latencies)} ({100.0 * within / len(latencies):.1f} %)")
    print(f"latency: median {latencies[len(latencies) // 2] * 1000:.1f} ms, "
          f"p99 {latencies[int(len(latencies) * 0.99) - 1] * 1000:.1f} ms, max {latencies[-1] * 1000:.1f} ms")
    print(f"server peak memory: {peak}")


if __name__ == "__main__":
    sys.exit(main())
