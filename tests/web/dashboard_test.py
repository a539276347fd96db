#!/usr/bin/python3
"""The live dashboard in a real browser, served by the real service on the demo's stations.

A copy of the demo's program folder is made in a temporary folder (the Airfield instrument played
by stratavue-sim on a pseudo-terminal, Hilltop replaying its week a minute each second), the
service is started with its web server on a free loopback port, and headless Chromium (driven by
Selenium through chromium-driver) opens the dashboard. The test then checks that:
  - the values change as readings arrive and each station's trend has a line,
  - the page turns red while the demo's squall trips the "Severe gust" alarm, and names it,
  - the page fits a phone's width (no horizontal scrolling at 390 pixels),
  - it shows "Reconnecting" when the service stops and comes back live when it starts again.

The squall comes in the replay's first minutes; the test's copy of the week begins with the last
minutes of the week re-dated to the evening before, so the squall arrives once the page is open.

With SVU_SCREENSHOT_DIR set, the pictures of the dashboard at desktop width (1280x800) and at a
phone's width (390x844) are written there as dashboard-desktop.png and dashboard-phone.png.

Exit code 0 when every check passes, 1 on a failed check, 77 (skipped) when Chromium or its
driver is not installed.
"""

import argparse
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
LEAD_IN_MINUTES = 25  # replayed seconds before the squall: time enough to open the page
SKIPPED = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout, step=0.1):
    """Polls `predicate` until it returns something true; raises Failure naming `what` on timeout."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def lead_in(week_lines):
    """The week's log with its last minutes put in front, re-dated to the evening before."""
    count = int(week_lines[0])
    header, records = week_lines[: count + 1], week_lines[count + 1 :]
    tail = records[-LEAD_IN_MINUTES:]
    moved = []
    for k, record in enumerate(tail):
        fields = record.split(", ")
        minute = 60 - LEAD_IN_MINUTES + k
        fields[0], fields[1] = "31/05/26", "23:%02d:00" % minute
        gust, rate = float(fields[6]), float(fields[9])
        check(gust < 20 and rate < 4, "the week's last minutes would trip an alarm themselves")
        moved.append(", ".join(fields))
    return header + moved + records


def prepare(folder, args):
    """A copy of the demo's program folder with the settings the service needs."""
    for sub in ("archive", "logs", "network", "www"):
        os.makedirs(os.path.join(folder, sub))
    with open(os.path.join(args.demo, "archive", "hilltop-week.log"), encoding="ascii", newline="") as f:
        lines = f.read().split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    with open(os.path.join(folder, "archive", "hilltop-week.log"), "w", encoding="ascii", newline="") as f:
        f.write("\r\n".join(lead_in(lines)) + "\r\n")
    shutil.copy(os.path.join(args.demo, "stratavue.wsf"), folder)
    ini = ["[Ports]", "COM9=" + os.path.join(folder, "ttyDEMO")]
    if os.path.exists(os.path.join(args.demo, "demo.svu")):
        shutil.copy(os.path.join(args.demo, "demo.svu"), folder)
        ini += ["[Settings]", "EnableDefault=1", "DefaultFilename=" + os.path.join(folder, "demo.svu")]
    with open(os.path.join(folder, "stratavue.ini"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(ini) + "\n")


def simulator_args(source):
    words = []
    with open(os.path.join(source, "demo", "simulator.args"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            option, _, value = line.partition(" ")
            words += [option, value] if value else [option]
    return words


class Service:
    """`stratavue-cli run` with its web server on `port`, in `folder`."""

    def __init__(self, cli, folder, port, log):
        self.url = "http://127.0.0.1:%d/" % port
        self.out = open(log, "ab")
        self.process = subprocess.Popen(
            [cli, "--program-dir", folder, "run", "--http", "127.0.0.1:%d" % port],
            cwd=folder, stdout=self.out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        wait_for("the web server to answer", self.answers, 30, 0.2)

    def answers(self):
        check(self.process.poll() is None, "the service stopped (exit %s)" % self.process.returncode)
        try:
            with urllib.request.urlopen(self.url + "api/stations", timeout=2) as r:
                return r.status == 200 and json.load(r)["stations"]
        except OSError:
            return None

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
            try:
                self.process.wait(20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.out.close()


def browser(folder):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service as DriverService

    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=1280,800", "--lang=en-GB", "--user-data-dir=" + os.path.join(folder, "chromium")):
        options.add_argument(arg)
    service = DriverService(CHROMEDRIVER, log_path=os.path.join(folder, "chromedriver.txt"))
    driver = webdriver.Chrome(service=service, options=options)
    driver.set_script_timeout(30)
    return driver


def set_viewport(driver, width, height, mobile):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})


# Records every page state the body takes, so that a short alarm is not missed between two polls,
# and how the page looked when it first turned red.
WATCH_STATES = """
window.seenStates = new Set();
window.seenConnections = new Set();
const record = () => {
    const state = document.body.dataset.state;
    window.seenStates.add(state);
    window.seenConnections.add(document.body.dataset.connection);
    if (state === "alarm" && !window.alarmLooks) {
        window.alarmLooks = {colour: getComputedStyle(document.body).backgroundColor,
                             banner: document.getElementById("alarm-banner").textContent};
    }
};
record();
new MutationObserver(record).observe(document.body, {attributes: true, attributeFilter: ["data-state", "data-connection"]});
"""


# The page's own arithmetic, run in the browser on the page's modules: compass sectors at their
# edges, the wind run of a rose (a gap in the readings does not count as wind), times in the
# station's clock whatever the browser's zone, and the grouping made from a display's pages.
UNIT_CHECKS = """
const done = arguments[arguments.length - 1];
Promise.all([import("./charts.js"), import("./plan.js")]).then(([c, p]) => {
    const failed = [];
    const same = (what, got, want) => {
        if (JSON.stringify(got) !== JSON.stringify(want)) {
            failed.push(what + ": " + JSON.stringify(got) + " instead of " + JSON.stringify(want));
        }
    };
    same("sectors", [348.75, 11.24, 11.25, -10, 360, 202.5].map(c.sectorOf), [0, 0, 1, 0, 0, 9]);
    same("point", c.compassPoint(250), "WSW");
    const minute = 60000;
    const speeds = [[0, 5], [minute, 5], [2 * minute, 0], [3 * minute, 4], [63 * minute, 2]];
    const directions = [[0, 90], [minute, 90], [2 * minute, 180], [3 * minute, 270], [63 * minute, 270]];
    const rose = c.roseTotals(speeds, directions);
    same("wind run east", rose[4], 300);
    same("wind run west", rose[12], 240 + 1200);
    same("wind run elsewhere", rose.reduce((a, b) => a + b, 0), 1740);
    same("offsets", ["2026-06-01T00:03:00+01:00", "2026-01-01T00:00:00-05:30", "2026-01-01T00:00:00Z"].map(c.offsetOf),
         [60, -330, 0]);
    same("clock", c.clockText(Date.parse("2026-06-01T23:59:00Z"), 60), "00:59");
    const stations = [
        {name: "Hill", channels: [{index: 0, name: "Wind speed", unit: "m/s"}, {index: 1, name: "Mean direction"},
                                  {index: 2, name: "Wind direction", unit: ""}]},
    ];
    const item = (kind, channel, y, x) => ({kind, station: "hill", channel, label: kind, x, y});
    const display = {pages: [
        {name: "Wind", items: [item("graph", 0, 300, 0), item("windrose", 2, 100, 400), item("windrose", 0, 100, 0),
                               item("value", 0, 0, 0), {kind: "text", station: null, channel: -1, label: "Title", x: 0, y: -1},
                               {kind: "time", station: null, channel: -1, label: "", x: 900, y: -1},
                               item("value", 7, 0, 9), {kind: "value", station: "Gone", channel: 0, label: "x", x: 0, y: 0}]},
        {name: "Pictures only", items: [{kind: "bitmap", station: null, channel: -1, label: "", x: 0, y: 0}]},
    ]};
    const plan = p.buildPlan(display, stations);
    same("pages", plan.groups.map((g) => g.title), ["Wind"]);
    same("items", plan.groups[0].items.map((i) => i.kind), ["banner", "value", "rose", "dial", "trend"]);
    same("title clock", plan.groups[0].items[0].clock, "time");
    same("rose channels", [plan.groups[0].items[2].speed, plan.groups[0].items[2].direction], [0, 2]);
    same("unit", plan.groups[0].items[1].unit, "m/s");
    const fallback = p.buildPlan(null, stations);
    same("one card a station", fallback.groups.map((g) => g.items.map((i) => i.kind)),
         [["value", "value", "value", "dial", "rose", "trend"]]);
    done(failed);
}, (error) => done(["the modules did not load: " + error]));
"""


def values(driver):
    return driver.execute_script(
        "return [...document.querySelectorAll('.value-item')].map(e => e.dataset.station + '/' +"
        " e.dataset.channel + '=' + e.querySelector('.number').textContent);")


def body(driver, key):
    return driver.execute_script("return document.body.dataset[arguments[0]];", key)


def showing_readings(driver):
    """Live from the stream, or fetching the readings itself because the stream brings none."""
    return body(driver, "connection") in ("live", "polling")


def run(args, folder):
    prepare(folder, args)
    tty = os.path.join(folder, "ttyDEMO")
    sim = subprocess.Popen([args.sim, "direct", "--link", tty] + simulator_args(args.source),
                           cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    driver = service = None
    try:
        wait_for("the simulator's terminal", lambda: os.path.exists(tty), 10)
        driver = browser(folder)  # the slow part first, so the page opens soon after the service starts
        port = free_port()
        service = Service(args.cli, folder, port, os.path.join(folder, "service.txt"))
        driver.get(service.url)
        driver.execute_script(WATCH_STATES)
        wait_for("the page to go live", lambda: showing_readings(driver), 30)
        failed = driver.execute_async_script(UNIT_CHECKS)
        check(not failed, "the page's arithmetic: " + "; ".join(failed))

        # Values arrive and change.
        def both_stations():
            shown = values(driver)
            given = {v.split("/", 1)[0] for v in shown if not v.endswith("=—")}
            return {"Hilltop", "Airfield"} <= given and shown

        first = wait_for("both stations' values", both_stations, 30)
        wait_for("the values to change", lambda: values(driver) != first, 30)

        # The squall: red, with the alarm named in words.
        wait_for("the page to turn red", lambda: driver.execute_script("return window.seenStates.has('alarm');"), 60)
        seen = driver.execute_script("return window.alarmLooks;")
        check(seen["colour"] == "rgb(240, 110, 100)", "the alarm colour is the desktop's red, not %s" % seen["colour"])
        check("Severe gust" in seen["banner"], "the banner names the alarm: %r" % seen["banner"])

        # Trends have a line once a few readings are in.
        wait_for("a trend line", lambda: driver.execute_script(
            "return document.querySelectorAll('.trend-line').length;"), 30)

        shots = os.environ.get("SVU_SCREENSHOT_DIR")
        if shots:
            # After the squall, with a few minutes of it in the trends.
            wait_for("the alarm to clear", lambda: body(driver, "state") == "normal", 30)
            time.sleep(8)
            driver.save_screenshot(os.path.join(shots, "dashboard-desktop.png"))
            set_viewport(driver, 390, 844, True)
            time.sleep(1)
            driver.save_screenshot(os.path.join(shots, "dashboard-phone.png"))
            set_viewport(driver, 1280, 800, False)

        # A phone's width: nothing wider than the screen.
        set_viewport(driver, 390, 844, True)
        overflow = driver.execute_script(
            "return document.documentElement.scrollWidth - document.documentElement.clientWidth;")
        check(overflow <= 0, "the page scrolls sideways by %d pixels at 390 pixels wide" % overflow)
        set_viewport(driver, 1280, 800, False)

        # The service stops: "Reconnecting"; it starts again: live again, with values changing.
        service.stop()
        wait_for("the page to say it is reconnecting", lambda: body(driver, "connection") == "reconnecting", 30)
        status = driver.find_element("id", "connection").text
        check("Reconnecting" in status, "the status reads %r" % status)
        service = Service(args.cli, folder, port, os.path.join(folder, "service.txt"))
        wait_for("the page to come back live", lambda: showing_readings(driver), 30)
        again = wait_for("values after the restart", lambda: values(driver), 30)
        wait_for("the values to change after the restart", lambda: values(driver) != again, 30)

        # Last, so that the pictures are taken whatever the stream did: the readings came by the
        # event stream, not by the page's fallback of fetching them.
        connections = driver.execute_script("return [...window.seenConnections];")
        check("polling" not in connections,
              "the event stream brought the browser no reading (held back by compression or a buffer?); "
              "the page had to fetch them itself")
    finally:
        if driver is not None:
            driver.quit()
        if service is not None:
            service.stop()
        sim.terminate()
        sim.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True, help="the stratavue-cli program")
    parser.add_argument("--sim", required=True, help="the stratavue-sim program")
    parser.add_argument("--demo", required=True, help="the demo folder the build made")
    parser.add_argument("--source", required=True, help="the source tree")
    args = parser.parse_args()
    for name in ("cli", "sim", "demo", "source"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    if not (os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        print("SKIPPED: the dashboard test needs Debian's chromium and chromium-driver (%s, %s)" % (CHROMIUM, CHROMEDRIVER))
        return SKIPPED
    folder = tempfile.mkdtemp(prefix="svu-dashboard-")
    try:
        run(args, folder)
    except Failure as failure:
        print("FAILED: %s (files kept in %s)" % (failure, folder))
        return 1
    shutil.rmtree(folder, ignore_errors=True)
    print("dashboard test: every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
