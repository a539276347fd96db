#!/usr/bin/env python3
"""Start-up benchmark: the desktop program on the demo's folder (offscreen) until its first painted
page, and `stratavue-cli run` until its first logged record, each started RUNS times; the best and
the median are printed. Both programs report the moment with STRATAVUE_TRACE_STARTUP set; the time
is taken from just before the process is started (by this script) to that moment.

    bench/startup/startup.py [--build-dir build-rel] [--runs 7]

Build first (Release): the targets stratavue, stratavue-cli, stratavue-sim and demo.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from demo_folder import REPO, RunFolder, gui_environment  # noqa: E402

MARK = "stratavue startup: "


def time_to(command, milestone, cwd, env, timeout=30.0):
    """Milliseconds from the start of `command` to its trace line for `milestone`, and the
    program's own figure (from its process start)."""
    env = dict(env)
    env["STRATAVUE_TRACE_STARTUP"] = "1"
    started = time.time() * 1000.0
    proc = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + timeout
    result = None
    try:
        for line in proc.stderr:
            if line.startswith(MARK + milestone + " "):
                own, at = line[len(MARK) + len(milestone) + 1:].split(" ms (at ")
                result = (float(at.rstrip(")\n")) - started, float(own))
                break
            if time.monotonic() > deadline:
                break
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    if result is None:
        raise SystemExit("%s never reported %r" % (command[0], milestone))
    return result


def report(name, figures, target):
    outside = [f[0] for f in figures]
    inside = [f[1] for f in figures]
    print("%-42s best %7.1f ms  median %7.1f ms  (in-process best %.1f ms; target %d ms)"
          % (name, min(outside), statistics.median(outside), min(inside), target))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-rel"))
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    folder = RunFolder(os.path.abspath(args.build_dir))
    try:
        gui, cli = [], []
        for _ in range(args.runs):
            gui.append(time_to([folder.gui()], "first painted page", folder.path, gui_environment()))
            cli.append(time_to([folder.cli(), "--program-dir", folder.path, "run"], "first logged record",
                               folder.path, dict(os.environ)))
        report("desktop program to its first painted page", gui, 300)
        report("stratavue-cli run to its first logged record", cli, 100)
    finally:
        folder.close()


if __name__ == "__main__":
    main()
