// The dashboard's drawings, in SVG: the wind dial, the real-time wind rose and the trend graph.
// Each function fills an <svg> element it is given and draws only from the numbers passed in, so
// the page can redraw any of them whenever a new reading arrives.

const SVG = "http://www.w3.org/2000/svg";
export const SECTORS = 16;
const SECTOR_DEGREES = 360 / SECTORS;
const POINTS = ["N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE", "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"];

function el(tag, attrs = {}, text = null) {
    const node = document.createElementNS(SVG, tag);
    for (const [k, v] of Object.entries(attrs)) {
        node.setAttribute(k, String(v));
    }
    if (text !== null) {
        node.textContent = text;
    }
    return node;
}

function clear(svg, width, height) {
    svg.replaceChildren();
    svg.setAttribute("viewBox", `0 0 ${width} ${height}`);
}

// A point at `radius` from (cx, cy) on the compass bearing `degrees` (0 = north, clockwise).
function polar(cx, cy, radius, degrees) {
    const a = (degrees * Math.PI) / 180;
    return [cx + radius * Math.sin(a), cy - radius * Math.cos(a)];
}

export function normaliseBearing(degrees) {
    const d = degrees % 360;
    return d < 0 ? d + 360 : d;
}

export function sectorOf(degrees) {
    return Math.floor(normaliseBearing(degrees + SECTOR_DEGREES / 2) / SECTOR_DEGREES) % SECTORS;
}

export function compassPoint(degrees) {
    return POINTS[sectorOf(degrees)];
}

// The wind dial: two rings with a tick between compass points, the sector of the nearest point
// marked on the ring, a pointer at the bearing and the bearing in the middle.
export function drawDial(svg, bearing) {
    const size = 200;
    const c = size / 2;
    const r = c - 18;
    clear(svg, size, size);
    svg.append(el("circle", { cx: c, cy: c, r, class: "dial-ring" }));
    svg.append(el("circle", { cx: c, cy: c, r: r + 6, class: "dial-ring" }));
    for (let k = 0; k < SECTORS; ++k) {
        const turn = (k + 0.5) * SECTOR_DEGREES;
        const [x1, y1] = polar(c, c, r + 7, turn);
        const [x2, y2] = polar(c, c, r + 13, turn);
        svg.append(el("line", { x1, y1, x2, y2, class: "dial-tick" }));
    }
    for (const [label, turn] of [["N", 0], ["E", 90], ["S", 180], ["W", 270]]) {
        const [x, y] = polar(c, c, r - 14, turn);
        svg.append(el("text", { x, y, class: "dial-cardinal", "text-anchor": "middle", "dominant-baseline": "central" }, label));
    }
    const known = Number.isFinite(bearing);
    if (known) {
        const b = normaliseBearing(bearing);
        const mid = sectorOf(b) * SECTOR_DEGREES;
        const [ax, ay] = polar(c, c, r + 3, mid - SECTOR_DEGREES / 2);
        const [bx, by] = polar(c, c, r + 3, mid + SECTOR_DEGREES / 2);
        svg.append(el("path", { d: `M${ax} ${ay}A${r + 3} ${r + 3} 0 0 1 ${bx} ${by}`, class: "dial-sector" }));
        const tip = polar(c, c, r, b);
        const left = polar(c, c, r - 16, b - 6);
        const right = polar(c, c, r - 16, b + 6);
        svg.append(el("polygon", { points: [tip, left, right].map((p) => p.join(",")).join(" "), class: "dial-pointer" }));
    }
    const shown = known ? String(Math.trunc(normaliseBearing(bearing) + 0.5) % 360).padStart(3, "0") : "---";
    svg.append(el("text", { x: c, y: c, class: "dial-bearing", "text-anchor": "middle", "dominant-baseline": "central" }, shown));
}

// The real-time wind rose: one petal per compass sector, its length the sector's share of the
// wind run over the window, on rings at every `ringStep` per cent.
export function drawRose(svg, totals) {
    const size = 240;
    const c = size / 2;
    const r = c - 20;
    clear(svg, size, size);
    const sum = totals.reduce((a, b) => a + b, 0);
    const largest = sum > 0 ? Math.max(...totals) / sum : 0;
    // At most five rings, at round percentages, the outer one just past the longest petal.
    const step = [5, 10, 20, 25, 50].find((s) => Math.ceil((largest * 100) / s) <= 5) ?? 50;
    const rings = Math.max(1, Math.ceil((largest * 100) / step));
    const full = rings * step;
    for (let k = 1; k <= rings; ++k) {
        svg.append(el("circle", { cx: c, cy: c, r: (r * k) / rings, class: "rose-ring" }));
    }
    for (let k = 0; k < SECTORS; ++k) {
        const [x, y] = polar(c, c, r, k * SECTOR_DEGREES);
        svg.append(el("line", { x1: c, y1: c, x2: x, y2: y, class: "rose-spoke" }));
    }
    for (const [label, turn] of [["N", 0], ["E", 90], ["S", 180], ["W", 270]]) {
        const [x, y] = polar(c, c, r + 11, turn);
        svg.append(el("text", { x, y, class: "rose-cardinal", "text-anchor": "middle", "dominant-baseline": "central" }, label));
    }
    if (sum <= 0) {
        return;
    }
    totals.forEach((total, k) => {
        if (total <= 0) {
            return;
        }
        const length = (r * (100 * total) / sum) / full;
        const mid = k * SECTOR_DEGREES;
        const [ax, ay] = polar(c, c, length, mid - SECTOR_DEGREES / 2);
        const [bx, by] = polar(c, c, length, mid + SECTOR_DEGREES / 2);
        svg.append(el("path", { d: `M${c} ${c}L${ax} ${ay}A${length} ${length} 0 0 1 ${bx} ${by}Z`, class: "rose-petal" }));
    });
    svg.append(el("text", { x: size - 4, y: size - 4, class: "rose-scale", "text-anchor": "end" }, `rings ${step} %`));
}

// Wind run per compass sector over the window: each reading's speed times the time since the one
// before (at most ten minutes, so a gap in the log does not count as wind).
export function roseTotals(speeds, directions) {
    const totals = new Array(SECTORS).fill(0);
    const byTime = new Map(directions.map(([t, v]) => [t, v]));
    let previous = null;
    for (const [t, speed] of speeds) {
        const direction = byTime.get(t);
        if (direction !== undefined && previous !== null && speed > 0) {
            totals[sectorOf(direction)] += speed * Math.min(t - previous, 600000) / 1000;
        }
        previous = t;
    }
    return totals;
}

// Round, readable steps for an axis spanning `low`..`high` (about `count` of them).
function niceTicks(low, high, count) {
    if (!(high > low)) {
        const pad = Math.abs(low) > 1 ? Math.abs(low) * 0.01 : 0.5;
        return niceTicks(low - pad, high + pad, count);
    }
    const rough = (high - low) / count;
    const power = 10 ** Math.floor(Math.log10(rough));
    const step = [1, 2, 2.5, 5, 10].map((m) => m * power).find((s) => s >= rough) ?? 10 * power;
    const first = Math.floor(low / step) * step;
    const last = Math.ceil(high / step) * step;
    const ticks = [];
    for (let v = first; v <= last + step / 2; v += step) {
        ticks.push(Number(v.toFixed(10)));
    }
    const decimals = Math.max(0, -Math.floor(Math.log10(step) + 1e-9));
    return { ticks, low: first, high: last, decimals: Math.min(decimals, 6) };
}

// The offset from UTC in minutes that an ISO 8601 time carries ("+01:00" -> 60, "Z" -> 0).
export function offsetOf(iso) {
    const m = /([+-])(\d\d):?(\d\d)$/.exec(iso ?? "");
    if (!m) {
        return 0;
    }
    const minutes = Number(m[2]) * 60 + Number(m[3]);
    return m[1] === "-" ? -minutes : minutes;
}

// "HH:MM" of a time given as milliseconds since the epoch plus the station's offset from UTC in
// minutes: the station's own clock time, whatever the browser's time zone.
export function clockText(ms, offsetMinutes) {
    const d = new Date(ms + offsetMinutes * 60000);
    return `${String(d.getUTCHours()).padStart(2, "0")}:${String(d.getUTCMinutes()).padStart(2, "0")}`;
}

// The trend graph: up to two series, each on its own axis (left, right), over `windowMs` ending at
// `endMs`, with a time grid labelled in the station's clock time. `width` is the width the graph
// has on the page, so that its text keeps its size at any width.
export function drawTrend(svg, series, endMs, windowMs, offsetMinutes, width) {
    const height = 240;
    const left = 56;
    const right = series.length > 1 ? 56 : 16;
    const top = 12;
    const bottom = 28;
    const plotW = width - left - right;
    const plotH = height - top - bottom;
    // A graph with less than its window to show (the program just started) spans what there is,
    // at least ten minutes, rather than a line squeezed against its right edge.
    const first = Math.min(...series.map((s) => (s.points.length ? s.points[0][0] : endMs)));
    windowMs = Math.max(Math.min(windowMs, endMs - first), 10 * 60000);
    const startMs = endMs - windowMs;
    clear(svg, width, height);
    svg.append(el("rect", { x: left, y: top, width: plotW, height: plotH, class: "trend-frame" }));
    const xOf = (t) => left + ((t - startMs) / windowMs) * plotW;

    // A time grid line at round minutes: 1, 5, 15 or 60 minutes or 3 hours apart.
    const most = Math.max(3, Math.floor(plotW / 70));
    const gridMinutes = [1, 2, 5, 10, 15, 30, 60, 120, 180, 360].find((m) => windowMs / (m * 60000) <= most) ?? 720;
    const gridMs = gridMinutes * 60000;
    const offsetMs = offsetMinutes * 60000;
    for (let t = Math.ceil((startMs + offsetMs) / gridMs) * gridMs - offsetMs; t <= endMs; t += gridMs) {
        const x = xOf(t);
        svg.append(el("line", { x1: x, y1: top, x2: x, y2: top + plotH, class: "trend-grid" }));
        svg.append(el("text", { x, y: height - 8, class: "trend-label", "text-anchor": "middle" }, clockText(t, offsetMinutes)));
    }

    series.slice(0, 2).forEach((s, index) => {
        const shown = s.points.filter(([t, v]) => t >= startMs && t <= endMs && Number.isFinite(v));
        const values = shown.map(([, v]) => v);
        const axis = niceTicks(values.length ? Math.min(...values) : 0, values.length ? Math.max(...values) : 1, 5);
        const yOf = (v) => top + plotH - ((v - axis.low) / (axis.high - axis.low)) * plotH;
        for (const v of axis.ticks) {
            const y = yOf(v);
            if (index === 0) {
                svg.append(el("line", { x1: left, y1: y, x2: left + plotW, y2: y, class: "trend-grid" }));
            }
            const x = index === 0 ? left - 6 : left + plotW + 6;
            svg.append(el("text", {
                x, y, class: "trend-label", fill: s.colour, "text-anchor": index === 0 ? "end" : "start",
                "dominant-baseline": "central",
            }, v.toFixed(axis.decimals)));
        }
        if (shown.length > 0) {
            const d = shown.map(([t, v], i) => `${i ? "L" : "M"}${xOf(t).toFixed(1)} ${yOf(v).toFixed(1)}`).join("");
            svg.append(el("path", { d, class: "trend-line", stroke: s.colour }));
        }
    });
}
