#!/usr/bin/env python3
"""Memory benchmark: resident memory of the service running 10 stations (5 file stations replaying
the demo's week in a loop and 5 Direct stations, each on its own `stratavue-sim direct`) and of the
desktop program on the demo display (offscreen), after start-up and again after MINUTES minutes.
Targets: service under 30 MB, desktop program under 100 MB, growth under 1 MB.

    bench/memory/memory.py [--build-dir build-rel] [--minutes 10] [--settle 10]

Build first (Release): the targets stratavue, stratavue-cli, stratavue-sim and demo.
"""

import argparse
import copy
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from demo_folder import REPO, RunFolder, gui_environment  # noqa: E402


def ten_stations(demo):
    file_station = next(s for s in demo if s["class"] == "WSFile")
    direct_station = next(s for s in demo if s["class"] == "WSDirect")
    stations = []
    for i in range(1, 6):
        f = copy.deepcopy(file_station)
        f["name"] = "Hilltop%d" % i
        stations.append(f)
        d = copy.deepcopy(direct_station)
        d["name"] = "Airfield%d" % i
        d["port"] = 10 + i
        d["networkFile"] = "network/Airfield%d.nws" % i
        stations.append(d)
    return stations


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise SystemExit("process %d has ended" % pid)


def fd_count(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-rel"))
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--settle", type=float, default=10.0, help="seconds after start before the first reading")
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    service_folder = RunFolder(build, ten_stations)
    desktop_folder = RunFolder(build)
    procs = []
    try:
        service = subprocess.Popen([service_folder.cli(), "--program-dir", service_folder.path, "run"],
                                   cwd=service_folder.path, stdout=subprocess.DEVNULL,
                                   stderr=open(os.path.join(service_folder.path, "service.txt"), "w"))
        procs.append(service)
        desktop = subprocess.Popen([desktop_folder.gui()], cwd=desktop_folder.path, env=gui_environment(),
                                   stdout=subprocess.DEVNULL,
                                   stderr=open(os.path.join(desktop_folder.path, "desktop.txt"), "w"))
        procs.append(desktop)
        time.sleep(args.settle)
        first = {p.pid: (rss_kib(p.pid), fd_count(p.pid)) for p in procs}
        end = time.monotonic() + args.minutes * 60
        samples = {p.pid: [] for p in procs}
        while time.monotonic() < end:
            time.sleep(min(10.0, max(0.0, end - time.monotonic())))
            for p in procs:
                samples[p.pid].append(rss_kib(p.pid))
        last = {p.pid: (rss_kib(p.pid), fd_count(p.pid)) for p in procs}
        logs = len(os.listdir(os.path.join(service_folder.path, "logs")))
        for name, p, target in (("service, 10 stations", service, 30), ("desktop program, demo", desktop, 100)):
            a, b = first[p.pid], last[p.pid]
            print("%-24s after start-up %6.1f MB, after %g min %6.1f MB (growth %+.2f MB, highest %.1f MB); "
                  "descriptors %d -> %d; target %d MB, growth < 1 MB"
                  % (name, a[0] / 1024, args.minutes, b[0] / 1024, (b[0] - a[0]) / 1024,
                     max(samples[p.pid] + [a[0]]) / 1024, a[1], b[1], target))
        print("service log files written: %d" % logs)
    finally:
        for p in procs:
            p.terminate()
        for p in procs:
            p.wait()
        service_folder.close()
        desktop_folder.close()


if __name__ == "__main__":
    main()
