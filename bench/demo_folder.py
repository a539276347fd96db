"""Run folders for the start-up and memory benchmarks: the demo as built (stations, display, a
week of weather, web template) with its settings, and the Direct instrument simulators it needs.
Imported by bench/startup/startup.py and bench/memory/memory.py."""

import json
import os
import shutil
import subprocess
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def write_ini(path, sections):
    lines = []
    for section, keys in sections.items():
        lines.append("[%s]" % section)
        lines += ["%s=%s" % (k, v) for k, v in keys.items()]
        lines.append("")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines))


def simulator_args():
    args = []
    with open(os.path.join(REPO, "demo", "simulator.args")) as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            args += line.split(" ", 1)
    return args


class RunFolder:
    """A temporary program folder made from build/demo; `stations` (a list of station objects in
    the form of demo/stations.json) replaces the demo's stations when given."""

    def __init__(self, build, stations=None):
        self.build = build
        self.path = tempfile.mkdtemp(prefix="svu-bench-run-")
        self.simulators = []
        demo = os.path.join(build, "demo")
        for rel in ("stratavue.wsf", "demo.svu", "archive/hilltop-week.log"):
            src = os.path.join(demo, rel)
            if not os.path.exists(src):
                raise SystemExit("missing %s: build the targets stratavue, stratavue-cli, stratavue-sim and demo" % src)
            os.makedirs(os.path.dirname(os.path.join(self.path, rel)), exist_ok=True)
            shutil.copy(src, os.path.join(self.path, rel))
        for sub in ("logs", "network", "www"):
            os.makedirs(os.path.join(self.path, sub), exist_ok=True)
        shutil.copy(os.path.join(REPO, "demo", "www", "template.html"), os.path.join(self.path, "www"))
        with open(os.path.join(REPO, "demo", "stations.json")) as f:
            document = json.load(f)
        if stations is not None:
            document["stations"] = stations(document["stations"])
        ports = sorted({s["port"] for s in document["stations"] if s["class"] == "WSDirect"})
        json_path = os.path.join(self.path, "stations.json")
        with open(json_path, "w") as f:
            json.dump(document, f)
        subprocess.run([self.cli(), "--program-dir", self.path, "stations", "import-json", json_path,
                        os.path.join(self.path, "stratavue.wsf")], check=True, stdout=subprocess.DEVNULL)
        port_map = {}
        for port in ports:
            device = os.path.join(self.path, "ttyCOM%d" % port)
            self.start_simulator(device)
            port_map["COM%d" % port] = device
        write_ini(os.path.join(self.path, "stratavue.ini"), {
            "Ports": port_map,
            "Settings": {"EnableDefault": 1, "DefaultFilename": os.path.join(self.path, "demo.svu")},
            "WebOutput": {"Active": 1, "Interval": 10, "Template": os.path.join(self.path, "www", "template.html"),
                          "Output": os.path.join(self.path, "www", "index.html")},
        })

    def cli(self):
        return os.path.join(self.build, "stratavue-cli")

    def gui(self):
        return os.path.join(self.build, "stratavue")

    def start_simulator(self, device):
        log = open(os.path.join(self.path, os.path.basename(device) + ".txt"), "w")
        sim = subprocess.Popen([os.path.join(self.build, "stratavue-sim"), "direct", "--link", device]
                               + simulator_args(), stdout=log, stderr=subprocess.STDOUT)
        self.simulators.append(sim)
        for _ in range(100):
            if os.path.exists(device):
                return
            time.sleep(0.05)
        raise SystemExit("the simulator on %s did not start" % device)

    def close(self):
        for sim in self.simulators:
            sim.terminate()
        for sim in self.simulators:
            sim.wait()
        shutil.rmtree(self.path, ignore_errors=True)


def gui_environment():
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    return env
