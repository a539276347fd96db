// The live dashboard: every active station's current values, grouped as the display file's pages
// group them (one card per station when no display is loaded), with wind dials, real-time wind
// roses and trend graphs, kept up to date from the server's event stream.
//
// Values are shown exactly as the stations give their texts; the browser never re-formats a
// number by its locale. Times are shown in the station's own clock time (the offset the server
// writes), never in the browser's time zone.

import { drawDial, drawRose, drawTrend, compassPoint, offsetOf, roseTotals } from "./charts.js";
import { buildPlan } from "./plan.js";

const TREND_HOURS = 6;
const TREND_MS = TREND_HOURS * 3600 * 1000;
const RECONNECT_MS = 3000;
const MAX_POINTS = 5000; // per channel: a reading a second for well over an hour, then thinned

const token = new URLSearchParams(window.location.search).get("token");

const model = {
    stations: new Map(), // name (lower case) -> { info, reading, series: Map(channel -> [[ms, value]]) }
    plan: null, // what the page shows: see plan.js
    updaters: [], // functions redrawing one item from the model
    clocks: [], // those of them that show the clock, redrawn every second
    serverSkewMs: 0,
    serverOffset: 0,
    acquisition: true,
    known: new Set(), // every station's name (lower case), active or not
    refused: false, // the server refused the token
    lastEventAt: 0, // when the stream last brought a reading (or opened)
};

// ---- The API ----------------------------------------------------------------------------------

function apiUrl(path, params = {}) {
    const url = new URL(path, window.location.href);
    for (const [k, v] of Object.entries(params)) {
        url.searchParams.set(k, v);
    }
    if (token) {
        url.searchParams.set("token", token);
    }
    return url.toString();
}

async function getJson(path, params) {
    const response = await fetch(apiUrl(path, params), { cache: "no-store" });
    if (!response.ok) {
        const error = new Error(`${path}: ${response.status}`);
        error.status = response.status;
        throw error;
    }
    return response.json();
}

// ---- Times ------------------------------------------------------------------------------------

// "2026-06-01" and "00:03:00" from "2026-06-01T00:03:00+01:00", as the server wrote them.
function dateAndTime(iso) {
    const m = /^(\d{4}-\d\d-\d\d)T(\d\d:\d\d:\d\d)/.exec(iso ?? "");
    return m ? [m[1], m[2]] : ["", ""];
}

function isoAt(ms, offsetMinutes) {
    const d = new Date(ms + offsetMinutes * 60000);
    const two = (n) => String(n).padStart(2, "0");
    return `${d.getUTCFullYear()}-${two(d.getUTCMonth() + 1)}-${two(d.getUTCDate())}T${two(d.getUTCHours())}:` +
        `${two(d.getUTCMinutes())}:${two(d.getUTCSeconds())}`;
}

// ---- The model --------------------------------------------------------------------------------

function stationOf(name) {
    return name ? model.stations.get(String(name).toLowerCase()) : undefined;
}

function addPoint(station, channel, ms, value) {
    let points = station.series.get(channel);
    if (!points) {
        points = [];
        station.series.set(channel, points);
    }
    const last = points[points.length - 1];
    if (last && ms <= last[0]) {
        if (ms < last[0] - 60000) {
            points.length = 0; // the station went back in time (a replay that looped): start afresh
        } else {
            return;
        }
    }
    points.push([ms, value]);
    const cutoff = ms - TREND_MS;
    let drop = 0;
    while (drop < points.length && points[drop][0] < cutoff) {
        ++drop;
    }
    if (drop > 0) {
        points.splice(0, drop);
    }
    if (points.length > MAX_POINTS) {
        // Keep every other point of the older half: the shape stays, the memory is bounded.
        const half = Math.floor(points.length / 2);
        const thinned = points.slice(0, half).filter((_, i) => i % 2 === 0);
        points.splice(0, half, ...thinned);
    }
}

function applyReading(reading) {
    const station = stationOf(reading.name);
    if (!station) {
        return false;
    }
    station.reading = reading;
    station.info.state = reading.state;
    if (reading.time) {
        const ms = Date.parse(reading.time);
        station.offset = offsetOf(reading.time);
        for (const channel of station.tracked) {
            const c = reading.channels?.[channel];
            if (c && Number.isFinite(c.value)) {
                addPoint(station, channel, ms, c.value);
            }
        }
    }
    return true;
}

async function loadHistory(station) {
    const lastReading = station.reading?.time ?? station.info.lastReading;
    if (!lastReading || station.tracked.size === 0) {
        return;
    }
    const channels = [...station.tracked].map((i) => station.info.channels[i]?.name).filter((n) => n && !n.includes(","));
    if (channels.length === 0) {
        return;
    }
    const to = Math.floor(Date.parse(lastReading) / 1000);
    let history;
    try {
        history = await getJson("api/history", {
            station: station.info.name, from: String(to - TREND_HOURS * 3600), to: String(to), channels: channels.join(","),
        });
    } catch (error) {
        return; // no log to draw from (or none kept): the trend starts with the stream
    }
    const columns = history.channels.map((c) => station.info.channels.findIndex((s) => s.name === c.name));
    const fresh = new Map();
    for (const record of history.records ?? []) {
        const ms = Date.parse(record.time);
        record.values.forEach((v, k) => {
            if (columns[k] >= 0 && Number.isFinite(v)) {
                if (!fresh.has(columns[k])) {
                    fresh.set(columns[k], []);
                }
                fresh.get(columns[k]).push([ms, v]);
            }
        });
    }
    // Whatever the stream brought meanwhile comes after the logged records.
    for (const [channel, points] of fresh) {
        const newer = (station.series.get(channel) ?? []).filter(([t]) => t > points[points.length - 1][0]);
        station.series.set(channel, points.concat(newer));
    }
}

async function loadAll() {
    const list = await getJson("api/stations");
    model.acquisition = list.acquisition;
    model.serverSkewMs = Date.parse(list.time) - Date.now();
    model.serverOffset = offsetOf(list.time);
    model.stations.clear();
    model.known = new Set(list.stations.map((info) => info.name.toLowerCase()));
    for (const info of list.stations) {
        if (info.active) {
            model.stations.set(info.name.toLowerCase(), { info, reading: null, series: new Map(), tracked: new Set(), offset: 0 });
        }
    }
    let display = null;
    try {
        display = await getJson("api/display");
    } catch (error) {
        if (error.status !== 404) {
            throw error;
        }
    }
    model.plan = buildPlan(display, [...model.stations.values()].map((s) => s.info));
    for (const channel of model.plan.tracked) {
        stationOf(channel.station)?.tracked.add(channel.channel);
    }
    await Promise.all([...model.stations.values()].map(async (station) => {
        try {
            applyReading(await getJson(`api/stations/${encodeURIComponent(station.info.name)}`));
        } catch (error) {
            // A station renamed or removed meanwhile: the next "stations" event rebuilds the page.
        }
    }));
    await Promise.all([...model.stations.values()].map(loadHistory));
    render();
}

// ---- Drawing the page -------------------------------------------------------------------------

function make(tag, className, text) {
    const node = document.createElement(tag);
    if (className) {
        node.className = className;
    }
    if (text !== undefined) {
        node.textContent = text;
    }
    return node;
}

function svgFor(label, className) {
    const svg = document.createElementNS("http://www.w3.org/2000/svg", "svg");
    svg.setAttribute("role", "img");
    svg.setAttribute("aria-label", label);
    if (className) {
        svg.setAttribute("class", className);
    }
    return svg;
}

function channelText(station, channel) {
    const c = station?.reading?.channels?.[channel];
    return c ? c.text : "";
}

function valueItem(item) {
    const box = make("div", "item value-item");
    box.setAttribute("role", "group");
    box.dataset.station = item.station ?? "";
    box.dataset.channel = String(item.channel);
    const caption = make("span", "caption", item.label);
    const number = make("span", "number");
    const unit = make("span", "unit", item.unit ?? "");
    caption.id = `c${model.updaters.length}`;
    box.setAttribute("aria-labelledby", caption.id);
    box.append(caption, number, unit);
    model.updaters.push(() => {
        const text = channelText(stationOf(item.station), item.channel);
        number.textContent = text === "" ? "—" : text;
        number.classList.toggle("wordy", /[A-Za-z]{3,}/.test(text) || text.length > 9);
        number.classList.toggle("long", text.length > 6);
        box.classList.toggle("stale", text === "");
    });
    return box;
}

function bannerItem(item) {
    if (!item.clock) {
        return make("p", "item banner-item", item.label);
    }
    const box = clockItem({ show: item.clock });
    box.prepend(make("span", "title", item.label));
    return box;
}

// The date and time of the server's clock (as the desktop pages show the computer's clock).
function clockItem(item) {
    const box = make("p", "item clock-item banner-item");
    const date = make("span", "date");
    const time = make("span", "time");
    const shown = item.show === "time" ? [time] : item.show === "date" ? [date] : [date, time];
    const clock = make("span", "clock");
    clock.append(...shown);
    box.append(clock);
    const update = () => {
        const [d, t] = dateAndTime(isoAt(Date.now() + model.serverSkewMs, model.serverOffset) + "Z");
        date.textContent = d;
        time.textContent = t;
    };
    model.updaters.push(update);
    model.clocks.push(update);
    return box;
}

// A station card's line with the time of its last reading, as the station gave it.
function readingTime(name) {
    const line = make("p", "reading-time");
    model.updaters.push(() => {
        const reading = stationOf(name)?.reading;
        const [d, t] = dateAndTime(reading?.time);
        line.textContent = d ? `Last reading ${d} ${t}` : "No reading yet";
    });
    return line;
}

function dialItem(item) {
    const box = make("div", "item dial-item");
    box.setAttribute("role", "group");
    box.append(make("span", "caption", item.label));
    const svg = svgFor(item.label, "dial");
    box.append(svg);
    model.updaters.push(() => {
        const station = stationOf(item.station);
        const c = station?.reading?.channels?.[item.channel];
        const bearing = c && Number.isFinite(c.value) ? c.value : NaN;
        drawDial(svg, bearing);
        svg.setAttribute("aria-label", Number.isFinite(bearing)
            ? `${item.label}: from ${c.text} degrees, ${compassPoint(bearing)}` : `${item.label}: no reading`);
    });
    return box;
}

function roseItem(item) {
    const box = make("div", "item rose-item");
    box.setAttribute("role", "group");
    const caption = make("span", "caption", item.label);
    const svg = svgFor(item.label, "rose");
    box.append(caption, svg);
    model.updaters.push(() => {
        const station = stationOf(item.station);
        const speeds = station?.series.get(item.speed) ?? [];
        const directions = station?.series.get(item.direction) ?? [];
        const totals = roseTotals(speeds, directions);
        drawRose(svg, totals);
        const sum = totals.reduce((a, b) => a + b, 0);
        const top = totals.indexOf(Math.max(...totals));
        const run = (sum / 1000).toFixed(2);
        caption.textContent = sum > 0 ? `${item.label}: mostly from ${compassPoint(top * 22.5)}, wind run ${run} km` : item.label;
        svg.setAttribute("aria-label", caption.textContent);
    });
    return box;
}

const SERIES_COLOURS = ["#1e5ac8", "#c2570f"];

function trendItem(item) {
    const box = make("div", "item trend-item");
    box.setAttribute("role", "group");
    box.append(make("span", "caption", `${item.label} (up to the last ${TREND_HOURS} hours)`));
    const svg = svgFor(`Trend of ${item.series.map((s) => s.name).join(" and ")} over the last ${TREND_HOURS} hours`, "trend");
    const legend = make("ul", "legend");
    item.series.forEach((s, k) => {
        const li = make("li", "", s.name);
        li.style.setProperty("--swatch", SERIES_COLOURS[k]);
        legend.append(li);
    });
    box.append(svg, legend);
    model.updaters.push(() => {
        const station = stationOf(item.station);
        const series = item.series.map((s, k) => ({ colour: SERIES_COLOURS[k], points: station?.series.get(s.channel) ?? [] }));
        const end = station?.reading?.time ? Date.parse(station.reading.time) : Date.now() + model.serverSkewMs;
        const width = Math.max(280, Math.round(svg.getBoundingClientRect().width) || 640);
        drawTrend(svg, series, end, TREND_MS, station?.offset ?? model.serverOffset, width);
    });
    return box;
}

const DRAWINGS = new Set(["dial", "rose", "trend"]);
const BUILDERS = { value: valueItem, banner: bannerItem, clock: clockItem, dial: dialItem, rose: roseItem, trend: trendItem };

function render() {
    const main = document.getElementById("pages");
    const nav = document.getElementById("page-links");
    model.updaters = [];
    model.clocks = [];
    main.replaceChildren();
    nav.replaceChildren();
    if (model.plan.groups.length === 0) {
        main.append(make("p", "notice", "No active station."));
    }
    model.plan.groups.forEach((group, g) => {
        const section = make("section", "page");
        section.id = `page-${g + 1}`;
        const heading = make("h2", "", group.title);
        heading.id = `page-${g + 1}-title`;
        section.setAttribute("aria-labelledby", heading.id);
        // The values in a grid, the drawings in a row of their own beneath them.
        const grid = make("div", "grid");
        const drawings = make("div", "drawings");
        for (const item of group.items) {
            (DRAWINGS.has(item.kind) ? drawings : grid).append(BUILDERS[item.kind](item));
        }
        section.append(heading);
        if (group.station) {
            section.append(readingTime(group.station));
        }
        section.append(grid);
        if (drawings.childElementCount > 0) {
            section.append(drawings);
        }
        main.append(section);
        const link = make("a", "", group.title);
        link.href = `#${section.id}`;
        nav.append(link);
    });
    nav.hidden = model.plan.groups.length < 2;
    refresh();
}

// Amber while an alert is active, red while an alarm is (the worst of the active stations), with
// the triggered alarms named in words as well.
function refreshState() {
    let worst = "none";
    const messages = [];
    for (const station of model.stations.values()) {
        const state = station.reading?.state ?? station.info.state ?? "none";
        if (state === "alarm" || (state === "alert" && worst === "none")) {
            worst = state;
        }
        for (const alarm of station.reading?.alarms ?? []) {
            if (alarm.enabled && alarm.triggered) {
                messages.push(`${alarm.kind === "alarm" ? "Alarm" : "Alert"}: ${alarm.name} (${station.info.name})`);
            }
        }
    }
    document.body.dataset.state = worst === "none" ? "normal" : worst;
    const banner = document.getElementById("alarm-banner");
    banner.hidden = messages.length === 0;
    banner.textContent = messages.join(" · ");
}

function refresh() {
    for (const update of model.updaters) {
        update();
    }
    refreshState();
}

// ---- The event stream and reconnecting ----------------------------------------------------------

function setConnection(state, text) {
    document.body.dataset.connection = state;
    document.getElementById("connection").textContent = text;
}

function liveText() {
    return model.acquisition ? "Live" : "Live: acquisition is off";
}

let source = null;
let reloading = null;

// Fetches everything again and redraws the page; one at a time.
function reload() {
    if (!reloading) {
        reloading = loadAll().then(() => {
            model.refused = false;
        }, (error) => {
            model.refused = error.status === 401;
            if (model.refused) {
                setConnection("refused", "Access refused: open the page with its ?token=");
            } else {
                setConnection("reconnecting", "Reconnecting…");
            }
            setTimeout(reload, model.refused ? 10 * RECONNECT_MS : RECONNECT_MS);
        }).finally(() => {
            reloading = null;
        });
    }
    return reloading;
}

function connect() {
    source = new EventSource(apiUrl("api/stream"));
    let failed = false;
    source.addEventListener("open", () => {
        model.lastEventAt = Date.now();
        if (polling) {
            setConnection("polling", "Live (fetching: the event stream is held up)");
        } else {
            setConnection("live", liveText());
        }
        if (failed) {
            // Back after a break (perhaps a restarted server): what the page knows may be stale.
            failed = false;
            reload();
        }
    });
    source.addEventListener("error", () => {
        failed = true;
        if (!model.refused) {
            setConnection("reconnecting", "Reconnecting…");
        }
        if (source.readyState === EventSource.CLOSED) {
            // Refused outright (a 503 or 401): the browser gives up, so try again ourselves.
            source = null;
            setTimeout(connect, model.refused ? 10 * RECONNECT_MS : RECONNECT_MS);
        }
    });
    source.addEventListener("reading", (event) => {
        streamDelivered();
        const reading = JSON.parse(event.data);
        if (applyReading(reading)) {
            refresh();
        } else if (!model.known.has(String(reading.name).toLowerCase())) {
            reload(); // a station the page does not know yet
        }
    });
    for (const name of ["stations", "reset"]) {
        source.addEventListener(name, () => reload());
    }
    source.addEventListener("acquisition", (event) => {
        model.acquisition = JSON.parse(event.data).running;
        setConnection("live", liveText());
    });
}

// A stream that is open but brings nothing while the stations read (a proxy or a compressing
// server holding the events back) would freeze the page without a word: when the server reports
// readings the stream has not brought, the page fetches the readings itself every few seconds, and
// says so, until the stream delivers again.
const WATCH_MS = 5000;
const SILENT_MS = 12000;
const POLL_MS = 2000;
let polling = 0;

function newestReadingMs() {
    let newest = 0;
    for (const station of model.stations.values()) {
        newest = Math.max(newest, Date.parse(station.reading?.time ?? "") || 0);
    }
    return newest;
}

async function pollReadings() {
    try {
        const readings = await Promise.all([...model.stations.values()].map(
            (station) => getJson(`api/stations/${encodeURIComponent(station.info.name)}`)));
        readings.forEach(applyReading);
        refresh();
    } catch (error) {
        // The server is away: the stream's own reconnecting says so.
    }
}

async function watchStream() {
    if (polling || !source || source.readyState !== EventSource.OPEN || Date.now() - model.lastEventAt < SILENT_MS) {
        return;
    }
    try {
        const list = await getJson("api/stations");
        const ours = newestReadingMs();
        const stalled = list.stations.some((info) => info.active && (Date.parse(info.lastReading ?? "") || 0) > ours);
        if (stalled && !polling) {
            setConnection("polling", "Live (fetching: the event stream is held up)");
            polling = setInterval(pollReadings, POLL_MS);
            pollReadings();
        }
    } catch (error) {
        // Checked again at the next watch.
    }
}

function streamDelivered() {
    model.lastEventAt = Date.now();
    if (polling) {
        clearInterval(polling);
        polling = 0;
        setConnection("live", liveText());
    }
}

async function start() {
    setConnection("connecting", "Connecting…");
    // The stream first, so no reading falls between the first fetch and the first event.
    connect();
    await reload();
    setInterval(() => model.clocks.forEach((update) => update()), 1000);
    setInterval(watchStream, WATCH_MS);
    let resizing = 0;
    window.addEventListener("resize", () => {
        clearTimeout(resizing);
        resizing = setTimeout(refresh, 150);
    });
}

start();
