#!/usr/bin/env python3
"""Writes the demo's week of weather as a station log file that a File station replays.

The weather comes from a small deterministic model (no randomness from outside: the same file
every time, on every machine): a diurnal cycle of temperature and humidity, a pressure trend with
the passage of a front, a low and two highs, wind that freshens by day, gusts and veers with the
fronts, rain showers with a squall in the first minutes, and solar irradiance (direct beam and
diffuse) under a changing cloud cover.

The file has the layout of a station's daily log: the channel count, the channel names, then one
record per minute, "dd/mm/yy, hh:mm:ss, value, value, ..." with CR LF line ends.

    make-demo-logs.py OUT.log [--start YYYY-MM-DD] [--days N] [--step SECONDS]
"""

import argparse
import datetime
import math
import os
import sys

CHANNELS = [
    # name, format
    ("Temperature", "%.1f"),  # deg C
    ("Humidity", "%.0f"),  # % relative humidity
    ("Pressure", "%.1f"),  # mb at the sensor
    ("Wind speed", "%.1f"),  # m/s, mean over the minute
    ("Wind gust", "%.1f"),  # m/s, highest 3 s gust in the minute
    ("Wind direction", "%.0f"),  # degrees, where the wind comes from
    ("Rainfall", "%.1f"),  # mm since midnight (a tipping bucket of 0.2 mm)
    ("Rain rate", "%.1f"),  # mm/h
    ("Direct solar", "%.0f"),  # W/m2, direct beam on a horizontal surface
    ("Diffuse solar", "%.0f"),  # W/m2, diffuse sky radiation
]

LATITUDE = 52.0  # degrees north
SOLAR_NOON = 13.0  # local clock hour of solar noon (summer time)

# Slowly changing weather, one knot every six hours from the start of the week:
# (hour, pressure mb, mean wind m/s, direction deg, cloud 0-1, air mass temperature deg C, dew point spread deg C)
KNOTS = [
    (0, 1003.0, 9.0, 225, 0.95, 13.0, 1.5),  # a cold front crossing at midnight
    (6, 1006.5, 7.5, 275, 0.60, 11.5, 4.0),  # clearing behind it, veering north-west
    (12, 1010.0, 6.5, 290, 0.45, 12.5, 6.0),  # showery north-westerly
    (18, 1013.5, 5.0, 300, 0.35, 12.0, 6.0),
    (24, 1016.5, 3.5, 310, 0.20, 12.5, 6.5),  # a ridge builds
    (36, 1020.0, 3.0, 20, 0.10, 14.0, 8.0),  # settled, light north-easterly
    (48, 1023.0, 2.5, 60, 0.05, 15.5, 9.0),  # high pressure, sunny
    (60, 1022.0, 3.0, 90, 0.10, 17.0, 9.5),
    (72, 1018.5, 4.0, 140, 0.30, 18.0, 8.0),  # the high drifts east, southerly
    (80, 1014.0, 5.0, 170, 0.55, 18.0, 6.0),  # thundery showers break out
    (88, 1010.0, 6.0, 190, 0.70, 17.0, 3.5),
    (96, 1006.5, 8.0, 210, 0.85, 15.5, 2.5),  # a low passes to the north
    (108, 1004.0, 11.0, 235, 0.70, 14.5, 3.5),  # windy, veering
    (120, 1008.0, 9.0, 270, 0.50, 13.5, 5.0),
    (132, 1014.5, 5.5, 285, 0.30, 14.0, 7.0),  # a second ridge
    (144, 1018.0, 3.5, 270, 0.20, 15.0, 7.5),
    (156, 1016.0, 4.5, 230, 0.50, 16.0, 5.5),  # cloud and rain arrive from the west
    (168, 1011.0, 6.5, 215, 0.90, 15.0, 2.0),
]

# Rain events: (start hour, duration hours, peak intensity mm/h)
SHOWERS = [
    (0.017, 0.12, 14.0),  # the squall of the front (the first minutes)
    (0.5, 1.5, 2.5),  # frontal rain easing off
    (13.2, 0.4, 5.5),  # showers behind the front
    (16.0, 0.3, 3.0),
    (83.5, 0.5, 18.0),  # thunderstorms
    (86.0, 0.8, 9.0),
    (100.0, 2.0, 3.5),  # rain with the low
    (104.5, 1.0, 5.0),
    (111.0, 0.3, 4.0),
    (160.0, 3.0, 2.0),  # rain at the end of the week
    (164.5, 3.5, 3.5),
]

GUST_FRONT = (0.02, 0.09, 14.0)  # start hour, duration hours, extra gust m/s: the squall line


def noise(seed, i):
    """A repeatable pseudo-random number in [-1, 1) for integer i (a 32-bit integer hash)."""
    x = (i * 0x9E3779B1 + seed * 0x85EBCA77) & 0xFFFFFFFF
    x ^= x >> 16
    x = (x * 0x7FEB352D) & 0xFFFFFFFF
    x ^= x >> 15
    x = (x * 0x846CA68B) & 0xFFFFFFFF
    x ^= x >> 16
    return x / 2147483648.0 - 1.0


def smooth_noise(seed, t, period):
    """Noise that changes smoothly over `period` (cosine interpolation between knots)."""
    k = math.floor(t / period)
    f = t / period - k
    w = (1 - math.cos(math.pi * f)) / 2
    return noise(seed, k) * (1 - w) + noise(seed, k + 1) * w


def knot_values(hour):
    """The slowly changing weather at `hour`, smoothly interpolated between the knots."""
    if hour <= KNOTS[0][0]:
        return KNOTS[0][1:]
    for a, b in zip(KNOTS, KNOTS[1:]):
        if a[0] <= hour <= b[0]:
            f = (hour - a[0]) / (b[0] - a[0])
            w = (1 - math.cos(math.pi * f)) / 2
            out = []
            for i, (va, vb) in enumerate(zip(a[1:], b[1:])):
                if i == 2:  # a direction: turn the short way round
                    d = (vb - va + 540) % 360 - 180
                    out.append((va + d * w) % 360)
                else:
                    out.append(va + (vb - va) * w)
            return tuple(out)
    return KNOTS[-1][1:]


def bell(hour, start, duration):
    """0 outside [start, start + duration], rising to 1 in the middle."""
    if hour < start or hour > start + duration:
        return 0.0
    return math.sin(math.pi * (hour - start) / duration) ** 2


def sun_elevation_sine(clock_hour, day_of_year):
    declination = math.radians(23.44) * math.sin(2 * math.pi * (284 + day_of_year) / 365)
    hour_angle = math.radians(15.0 * (clock_hour - SOLAR_NOON))
    lat = math.radians(LATITUDE)
    return math.sin(lat) * math.sin(declination) + math.cos(lat) * math.cos(declination) * math.cos(hour_angle)


def saturation_vapour_pressure(t):
    return 6.1078 * 10 ** (7.5 * t / (t + 237.3))


class Weather:
    def __init__(self, start):
        self.start = start
        self.bucket = 0.0  # rain collected since the last tip, mm
        self.total = 0.0  # mm since midnight
        self.day = None
        self.temperature = None

    def sample(self, step_index, when, step_seconds):
        hour = step_index * step_seconds / 3600.0
        clock = when.hour + when.minute / 60.0 + when.second / 3600.0
        pressure, wind, direction, cloud, airmass, spread = knot_values(hour)

        # Cloud: the air mass's cover, with cumulus coming and going by day.
        cumulus = 0.25 * max(0.0, smooth_noise(11, hour, 0.35)) * (1.0 if 9 <= clock <= 19 else 0.3)
        cloud = min(1.0, max(0.0, cloud + cumulus + 0.08 * smooth_noise(12, hour, 1.5)))
        rain_rate = sum(peak * bell(hour, s, d) for s, d, peak in SHOWERS)
        if rain_rate > 0.1:
            cloud = max(cloud, 0.9)

        # Sun: a clear-sky model under the cloud.
        elev = sun_elevation_sine(clock, when.timetuple().tm_yday)
        if elev > 0:
            clear_direct = 1050.0 * elev * 0.72 ** (1.0 / max(elev, 0.05))
            clear_diffuse = 110.0 * elev ** 0.8
            # Broken cloud lets the beam through in bursts.
            through = max(0.0, 1.0 - cloud * (1.15 + 0.35 * noise(13, step_index)))
            direct = clear_direct * min(1.0, through)
            diffuse = clear_diffuse * (1.0 + 2.2 * cloud * (1.0 - cloud) + 0.6 * cloud) * (1.0 - 0.45 * cloud ** 3)
        else:
            direct = diffuse = 0.0

        # Temperature: the air mass, a diurnal wave whose size follows the sunshine, rain cooling.
        amplitude = 2.0 + 5.5 * (1.0 - cloud)
        diurnal = -math.cos(2 * math.pi * (clock - 4.5) / 24.0)  # coldest near dawn
        diurnal += 0.25 * math.sin(4 * math.pi * (clock - 4.5) / 24.0)  # a later afternoon peak
        target = airmass + amplitude * diurnal - 1.8 * min(1.0, rain_rate / 6.0) + 0.25 * smooth_noise(14, hour, 0.5)
        if self.temperature is None:
            self.temperature = target
        # The air responds with a lag of about an hour.
        self.temperature += (target - self.temperature) * min(1.0, step_seconds / 3600.0 * 1.2)
        temperature = self.temperature

        # Humidity from a dew point that follows the air mass.
        dew = airmass - spread + 1.0 * smooth_noise(15, hour, 3.0)
        if rain_rate > 0.5:
            dew = max(dew, temperature - 0.6)
        humidity = 100.0 * saturation_vapour_pressure(dew) / saturation_vapour_pressure(temperature)
        humidity = min(100.0, max(20.0, humidity))

        # Pressure: the trend plus the semi-diurnal tide.
        pressure += 0.6 * math.cos(4 * math.pi * (clock - 10.0) / 24.0) + 0.1 * smooth_noise(16, hour, 0.8)

        # Wind: fresher by day, turbulent, gusty; veering with the trend and wandering about it.
        mixing = 1.0 + 0.35 * max(0.0, math.sin(math.pi * (clock - 8.0) / 12.0)) if 8 <= clock <= 20 else 0.8
        speed = wind * mixing * (1.0 + 0.25 * smooth_noise(17, hour, 0.25) + 0.12 * noise(18, step_index))
        speed += 3.0 * min(1.0, rain_rate / 8.0)  # showers bring down stronger wind
        speed = max(0.0, speed)
        gust_factor = 1.35 + 0.25 * abs(noise(19, step_index)) + 0.15 * (1.0 - min(1.0, speed / 10.0))
        gust = speed * gust_factor + GUST_FRONT[2] * bell(hour, GUST_FRONT[0], GUST_FRONT[1])
        if speed < 0.3:
            speed = gust = 0.0
        direction = (direction + 12.0 * smooth_noise(20, hour, 0.2) + 8.0 * noise(21, step_index)) % 360
        direction += 45.0 * bell(hour, GUST_FRONT[0], GUST_FRONT[1])  # the squall veers the wind
        direction %= 360

        # Rain: a tipping bucket of 0.2 mm, the day's total reset at midnight.
        if self.day != when.day:
            self.day = when.day
            self.total = 0.0
        self.bucket += rain_rate * step_seconds / 3600.0
        while self.bucket >= 0.2:
            self.bucket -= 0.2
            self.total += 0.2

        return [temperature, humidity, pressure, speed, gust, direction, self.total, rain_rate, direct, diffuse]


def write_log(path, start, days, step_seconds):
    weather = Weather(start)
    steps = days * 86400 // step_seconds
    lines = [str(len(CHANNELS))] + [name for name, _ in CHANNELS]
    for i in range(steps):
        when = start + datetime.timedelta(seconds=i * step_seconds)
        values = weather.sample(i, when, step_seconds)
        fields = [
            "%02i/%02i/%02i" % (when.day, when.month, when.year % 100),
            "%02i:%02i:%02i" % (when.hour, when.minute, when.second),
        ]
        for (name, fmt), value in zip(CHANNELS, values):
            text = fmt % value
            if text.startswith("-") and float(text) == 0:
                text = text[1:]  # never "-0.0"
            fields.append(text)
        lines.append(", ".join(fields))
    data = "".join(line + "\r\n" for line in lines).encode("ascii")
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)
    return steps


def main(argv):
    parser = argparse.ArgumentParser(description="Writes the demo's week of weather as a station log file.")
    parser.add_argument("out", help="the log file to write")
    parser.add_argument("--start", default="2026-06-01", help="first day (YYYY-MM-DD, default 2026-06-01)")
    parser.add_argument("--days", type=int, default=7, help="number of days (default 7)")
    parser.add_argument("--step", type=int, default=60, help="seconds between records (default 60)")
    args = parser.parse_args(argv)
    if args.days < 1 or args.step < 1 or 86400 % args.step != 0:
        parser.error("--days must be 1 or more and --step divide a day")
    start = datetime.datetime.strptime(args.start, "%Y-%m-%d")
    count = write_log(args.out, start, args.days, args.step)
    print("make-demo-logs: %s: %d records from %s" % (args.out, count, start.strftime("%d/%m/%Y")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
