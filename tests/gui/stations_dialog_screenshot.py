#!/usr/bin/env python3
"""Takes the documentation screenshot of the main window with "Monitoring Systems" open.

Run it under xvfb-run with xdotool installed (it clicks the toolbar); with openbox installed the
windows get their title bars, and the default click positions assume them:
  xvfb-run -a -s "-screen 0 1280x1024x24" tests/gui/stations_dialog_screenshot.py \\
      --stratavue build/stratavue --cli build/stratavue-cli --out docs/screenshots/stations-dialog.png
Not part of the test run.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gui_e2e  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--stratavue", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--button-x", type=int, default=267)
    parser.add_argument("--button-y", type=int, default=56)
    parser.add_argument("--row-x", type=int, default=434)
    parser.add_argument("--row-y", type=int, default=363)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="svu-shot-")
    program = None
    wm = None
    try:
        if shutil.which("openbox"):
            wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1)
        gui_e2e.prepare(folder, os.path.abspath(args.cli))
        with open(os.path.join(folder, "stations.json")) as f:
            stations = json.load(f)
        for name, kind in (("Hilltop", "WSDirect"), ("Harbour", "WSNetwork"), ("Airfield", "WSModem")):
            stations["stations"].append({"class": kind, "name": name, "active": 1})
        with open(os.path.join(folder, "stations.json"), "w") as f:
            json.dump(stations, f)
        subprocess.run([os.path.abspath(args.cli), "stations", "import-json", os.path.join(folder, "stations.json"),
                        os.path.join(folder, "stratavue.wsf")], check=True)
        os.remove(os.path.join(folder, "stratavue.ini"))  # no default file: acquisition stays off
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        program = subprocess.Popen([os.path.abspath(args.stratavue), "--program-dir", folder, "--nosplash",
                                    os.path.join(folder, "page.svu")], cwd=folder, env=env)
        time.sleep(3)
        # Click the toolbar's "Weather stations" button, then a station of the list.
        subprocess.run(["xdotool", "mousemove", str(args.button_x), str(args.button_y), "click", "1"], check=True)
        time.sleep(1.5)
        if args.row_x:
            subprocess.run(["xdotool", "mousemove", str(args.row_x), str(args.row_y), "click", "1"], check=True)
            time.sleep(0.5)
        subprocess.run(["import", "-window", "root", args.out], check=True)
        return 0
    finally:
        for p in (program, wm):
            if p is not None and p.poll() is None:
                p.kill()
                p.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
