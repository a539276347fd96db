#!/usr/bin/env python3
"""Starts the real desktop program on a prepared program folder and looks at what it shows.

The folder holds a File station replaying a small log and a display file whose page has a
distinctive background colour and one text item. The settings ask for that display file at
start-up, so the program opens it and switches real-time acquisition on by itself. After a few
seconds the whole screen is captured; the test then checks that the page background has the
page's colour, that the item is drawn on it, and that acquisition ran (the station's network output
file appears).

Needs a display: run it under xvfb-run (CTest does). Exit code 0 on success, 1 on a failed check.
"""

import argparse
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

PAGE_RGB = (0x20, 0x40, 0x80)  # the page's normal colour
ITEM_RGB = (0xFF, 0x00, 0x00)  # the text item's background
TEXT_RGB = (0xFF, 0xFF, 0xFF)  # its text


def colorref(rgb):
    r, g, b = rgb
    return r | (g << 8) | (b << 16)


def cstring(text):
    data = text.encode("cp1252")
    assert len(data) < 255
    return bytes([len(data)]) + data


def u16(v):
    return struct.pack("<H", v)


def i32(v):
    return struct.pack("<i", v)


def u32(v):
    return struct.pack("<I", v)


def font(height, weight, face):
    return i32(height) + i32(weight) + bytes(4) + cstring(face)


def display_file():
    """A display file: one text item on page 1, every page in PAGE_RGB."""
    item = (
        cstring("")  # top left text
        + cstring("")  # bottom right text
        + struct.pack("<4i", 120, 120, 520, 300)  # rect
        + u32(colorref(ITEM_RGB))
        + font(-48, 700, "DejaVu Sans")
        + u32(colorref(TEXT_RGB))
        + font(-16, 400, "DejaVu Sans")
        + u32(0)
        + i32(1)  # page
        + i32(1)  # border style
        + i32(0)  # transparent
        + cstring("Stratavue")  # the text item's own field
    )
    doc = u16(1) + u16(0xFFFF) + u16(6) + u16(len("TextGadget")) + b"TextGadget" + item
    doc += u16(0)  # page switching sequence
    doc += i32(1)  # current page
    for n in range(1, 9):
        doc += cstring("Page %d" % n) + u32(colorref(PAGE_RGB)) + u32(0x00FFFF) + u32(0x0000FF)
        doc += cstring("") + i32(0) + i32(0)
    doc += i32(0) + i32(10000) + i32(0)
    return doc


def replay_log(records):
    lines = ["2", "Temp", "Rain"]
    for i in range(records):
        lines.append("05/12/26, %02d:%02d:%02d, %.1f, %.1f" % (10 + i // 3600, (i // 60) % 60, i % 60,
                                                            10 + (i % 50) / 10.0, i / 100.0))
    return "\r\n".join(lines) + "\r\n"


def prepare(folder, cli):
    log = os.path.join(folder, "replay.log")
    with open(log, "w", newline="") as f:
        f.write(replay_log(600))
    stations = {
        "DisableAllAlarms": 0,
        "MuteAllAlarms": 0,
        "stations": [{
            "class": "WSFile",
            "name": "Replay",
            "active": 1,
            "channelNames": ["Date", "Time", "Temp", "Rain"],
            "rawChannelCount": 4,
            "channelCount": 4,
            "networkOutput": 1,
            "networkFile": os.path.join(folder, "replay.nws"),
            "inputFile": log,
            "loop": 1,
            "speed": 1,
        }],
    }
    with open(os.path.join(folder, "stations.json"), "w") as f:
        json.dump(stations, f)
    subprocess.run([cli, "stations", "import-json", os.path.join(folder, "stations.json"),
                    os.path.join(folder, "stratavue.wsf")], check=True)
    display = os.path.join(folder, "page.svu")
    with open(display, "wb") as f:
        f.write(display_file())
    with open(os.path.join(folder, "stratavue.ini"), "w") as f:
        f.write("[Settings]\r\nEnableDefault=1\r\nDefaultFilename=%s\r\n" % display)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", "unexpected screenshot format"
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def near(a, b, tolerance=8):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def check(ppm):
    width, height, pixels = read_ppm(ppm)
    page = item = text_on_item = 0
    item_box = [width, height, 0, 0]
    for y in range(0, height, 2):
        row = y * width * 3
        for x in range(0, width, 2):
            p = pixels[row + x * 3:row + x * 3 + 3]
            rgb = (p[0], p[1], p[2])
            if near(rgb, PAGE_RGB):
                page += 1
            elif near(rgb, ITEM_RGB):
                item += 1
                item_box = [min(item_box[0], x), min(item_box[1], y), max(item_box[2], x), max(item_box[3], y)]
    if item:
        for y in range(item_box[1], item_box[3], 2):
            row = y * width * 3
            for x in range(item_box[0], item_box[2], 2):
                p = pixels[row + x * 3:row + x * 3 + 3]
                if near((p[0], p[1], p[2]), TEXT_RGB, 40):
                    text_on_item += 1
    sampled = (width // 2) * (height // 2)
    failures = []
    if page < sampled // 5:
        failures.append("the page background colour covers %d of %d sampled pixels" % (page, sampled))
    if item < 2000:
        failures.append("the text item's background covers only %d sampled pixels" % item)
    if text_on_item < 30:
        failures.append("no text is drawn on the item (%d light pixels)" % text_on_item)
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--stratavue", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--screenshot", help="where to keep the screenshot (PNG)")
    parser.add_argument("--wait", type=float, default=6.0, help="seconds to let the program run")
    args = parser.parse_args()
    args.stratavue = os.path.abspath(args.stratavue)
    args.cli = os.path.abspath(args.cli)

    folder = tempfile.mkdtemp(prefix="svu-gui-")
    program = None
    try:
        prepare(folder, args.cli)
        env = dict(os.environ, TZ="Europe/London")
        env.pop("QT_QPA_PLATFORM", None)  # a real window on the X display
        program = subprocess.Popen([args.stratavue, "--program-dir", folder], cwd=folder, env=env)
        deadline = time.time() + args.wait
        while time.time() < deadline:
            if program.poll() is not None:
                print("stratavue ended early with exit code %d" % program.returncode)
                return 1
            time.sleep(0.2)
        ppm = os.path.join(folder, "screen.ppm")
        subprocess.run(["import", "-window", "root", "-depth", "8", ppm], check=True)
        if args.screenshot:
            subprocess.run(["convert", ppm, args.screenshot], check=True)
        failures = check(ppm)
        if not os.path.exists(os.path.join(folder, "replay.nws")):
            failures.append("acquisition did not run: the File station wrote no network output file")
        for f in failures:
            print("FAILED: " + f)
        print("%d passed, %d failed" % (1 if not failures else 0, 1 if failures else 0))
        return 1 if failures else 0
    finally:
        if program is not None and program.poll() is None:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
