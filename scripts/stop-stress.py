#!/usr/bin/env python3
"""Stops vantrel-ctl at random instants against the virtual board and reads
the board's log: whatever the stop (SIGINT, SIGTERM, SIGHUP, SIGQUIT, a closed
standard output, a lost port), the board must end on a whole set, Reg0 last,
and what the program said it sent must be what the board received.

    scripts/stop-stress.py [--trials N] [--seed S] [--build build/default]

Not part of ./test.sh: a few minutes of real time on the wire. Exits 1 on
the first trial that breaks a rule, printing the trial and the board's log.
"""
import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

READY = re.compile(r"Board ready on (\S+)")
RECEIVED = re.compile(r"^\d+\.\d+ s gap .*?: (R[0-9A-F]{8}|W)$")


class Board:
    """vantrel-board --log on a pseudo-terminal, its stdout line-buffered."""

    def __init__(self, tools):
        self.process = subprocess.Popen(
            ["stdbuf", "-oL", os.path.join(tools, "vantrel-board"), "--log"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        first = self.process.stdout.readline()
        match = READY.search(first)
        if not match:
            raise RuntimeError("the board did not start: " + first)
        self.path = match.group(1)

    def lines(self):
        """Ends the board and returns every R and W line it received."""
        self.process.send_signal(signal.SIGTERM)
        out, _ = self.process.communicate(timeout=5)
        return [m.group(1) for m in map(RECEIVED.match, out.splitlines()) if m]

    def kill(self):
        self.process.kill()
        self.process.communicate(timeout=5)


def register(line):
    return int(line[1:], 16) & 7


def whole_steps(received, store):
    """The board's lines cut into sets: each ends with Reg0 (and its W when
    stored). Returns the sets, or None when the last one is cut short."""
    sets, current = [], []
    for i, line in enumerate(received):
        current.append(line)
        ends = line.startswith("R") and register(line) == 0
        if store:
            ends = line == "W" and i > 0 and received[i - 1].startswith("R") and register(received[i - 1]) == 0
        if ends:
            sets.append(current)
            current = []
    return sets if not current else None


def trial(tools, rng, number, hop_file):
    board = Board(tools)
    kind = rng.choice(["set", "store", "sweep", "sweep-changed", "sweep-divider", "hop"])
    stop = rng.choice(["SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT", "stdout", "port"])
    if kind in ("set", "store") and stop == "stdout":
        stop = "SIGINT"  # set and store print once, at the end
    ctl = os.path.join(tools, "vantrel-ctl")
    arguments = {
        "set": ["set", "--fout", "%.4f" % rng.uniform(2200, 4400)],
        "store": ["store", "--fout", "%.4f" % rng.uniform(2200, 4400)],
        "sweep": ["sweep", "2400", "2420", "1"],
        "sweep-changed": ["sweep", "2400", "2401", "0.05", "--changed-only"],
        "sweep-divider": ["sweep", "2200.5", "2199.5", "-0.25", "--ref", "25", "--resolution", "100000",
                          "--auto-divider", "--changed-only", "--loop"],
        "hop": ["hop", hop_file],
    }[kind] + ["--port", board.path, "--json"]
    if kind == "hop":
        with open(hop_file, "w", encoding="ascii") as hops:
            hops.writelines("%.3f\n" % rng.uniform(2200, 4400) for _ in range(8))
    process = subprocess.Popen([ctl] + arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    span = {"set": 0.8, "store": 1.4}.get(kind, 2.5)
    at = rng.uniform(0, span)
    time.sleep(at)
    out = b""
    if stop == "stdout":
        process.stdout.close()
    elif stop == "port":
        board.kill()
    else:
        process.send_signal(getattr(signal, stop))
    started = time.monotonic()
    try:
        if stop == "stdout":
            err = process.stderr.read()
            process.wait(timeout=10)
        else:
            out, err = process.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        return fail(number, kind, stop, at, "did not end within 10 s", b"", b"", [])
    ended = time.monotonic() - started
    status = process.returncode
    received = [] if stop == "port" else board.lines()
    text = err.decode(errors="replace")

    expected_status = {"SIGINT": 130, "SIGTERM": 143, "SIGHUP": 129, "SIGQUIT": 131, "stdout": 1, "port": 1}[stop]
    finished_first = status == 0  # it may have ended before the stop came
    # A signal before the program has set its handlers ends it as the
    # system does, which is sound only while nothing has been sent.
    killed_early = stop.startswith("SIG") and status == -getattr(signal, stop) and not received
    if status != expected_status and not finished_first and not killed_early:
        return fail(number, kind, stop, at, "exit %d, expected %d" % (status, expected_status), out, err, received)
    if stop == "port":
        if not finished_first and "Lost the port" not in text:
            return fail(number, kind, stop, at, "no \"Lost the port\"", out, err, received)
        if not finished_first and ended > 0.5:
            return fail(number, kind, stop, at, "took %.2f s after the port was lost" % ended, out, err, received)
        return "finished" if finished_first else "stopped"

    sets = whole_steps(received, kind == "store")
    if sets is None:
        return fail(number, kind, stop, at, "the board's last set is cut short", out, err, received)
    if kind in ("set", "store") and len(sets) > 1:
        return fail(number, kind, stop, at, "more than one set", out, err, received)
    if kind in ("set", "store", "sweep", "hop") and any(
            len([x for x in s if x.startswith("R")]) != 6 for s in sets):
        return fail(number, kind, stop, at, "a set without six words", out, err, received)

    # What the program says went out, against what the board received.
    if stop != "stdout":
        said = []
        for line in out.decode().splitlines():
            said += json.loads(line).get("sent", [])
        if said != received:
            return fail(number, kind, stop, at, "said it sent %s" % said, out, err, received)
    match = re.search(r"(\d+) step\(s\) sent in all", text)
    if kind not in ("set", "store") and match and int(match.group(1)) != len(sets):
        return fail(number, kind, stop, at, "says %s steps, the board got %d" % (match.group(1), len(sets)),
                    out, err, received)
    return "finished" if finished_first else "stopped"


def fail(number, kind, stop, at, why, out, err, received):
    print("trial %d: %s stopped by %s at %.3f s: %s" % (number, kind, stop, at, why))
    print("stdout:", out.decode(errors="replace"))
    print("stderr:", err.decode(errors="replace"))
    print("board received:", received)
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--trials", type=int, default=60)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--build", default="build/default")
    options = parser.parse_args()
    tools = os.path.join(options.build, "tools")
    rng = random.Random(options.seed)
    outcomes = {"stopped": 0, "finished": 0}
    with tempfile.TemporaryDirectory() as folder:
        for number in range(1, options.trials + 1):
            outcome = trial(tools, rng, number, os.path.join(folder, "hops.txt"))
            if not outcome:
                return 1
            outcomes[outcome] += 1
    print("%d trials: %d stopped mid-run, %d done before the stop came; every board ended on a whole set, "
          "Reg0 last, and every report was true" % (options.trials, outcomes["stopped"], outcomes["finished"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
