// What the dashboard shows: groups of items, made from the display file's pages when one is loaded
// (each page a group, its items in reading order) or else one group per active station with all of
// its channels, a wind dial, a real-time wind rose and a trend graph.
//
// An item is one of
//   {kind: "value", station, channel, label, unit}
//   {kind: "banner", label, clock?: "date" | "time" | "both"}
//   {kind: "clock", show: "date" | "time" | "both"}
//   {kind: "dial", station, channel, label}
//   {kind: "rose", station, speed, direction, label}
//   {kind: "trend", station, label, series: [{channel, name}]}
// and `tracked` lists the channels whose history the dials, roses and trends need.

const DIRECTION = /dir/i;

function findChannel(info, test) {
    const found = info.channels.find((c) => test(c.name));
    return found ? found.index : -1;
}

// The channel a rose takes its directions from: the station's wind direction (not an average of it
// when the plain one exists).
function directionChannel(info) {
    const plain = findChannel(info, (n) => DIRECTION.test(n) && !/mean|average|avg/i.test(n));
    return plain >= 0 ? plain : findChannel(info, (n) => DIRECTION.test(n));
}

function speedChannel(info) {
    const plain = findChannel(info, (n) => /speed/i.test(n) && !/mean|average|avg/i.test(n));
    return plain >= 0 ? plain : findChannel(info, (n) => /wind/i.test(n) && !DIRECTION.test(n) && !/gust/i.test(n));
}

function trendChannels(info) {
    const chosen = [];
    for (const test of [(n) => /temp/i.test(n) && !/max|min/i.test(n), (n) => /speed/i.test(n)]) {
        const index = findChannel(info, test);
        if (index >= 0) {
            chosen.push(index);
        }
    }
    if (chosen.length === 0) {
        const first = findChannel(info, (n) => !/^(date|time)$/i.test(n));
        if (first >= 0) {
            chosen.push(first);
        }
    }
    return chosen.map((index) => ({ channel: index, name: info.channels[index].name }));
}

function stationPlan(info) {
    const items = [];
    for (const c of info.channels) {
        items.push({ kind: "value", station: info.name, channel: c.index, label: c.name, unit: c.unit });
    }
    const direction = directionChannel(info);
    const speed = speedChannel(info);
    if (direction >= 0) {
        items.push({ kind: "dial", station: info.name, channel: direction, label: info.channels[direction].name });
    }
    if (direction >= 0 && speed >= 0) {
        items.push({ kind: "rose", station: info.name, speed, direction, label: `Wind run, last 6 hours` });
    }
    const series = trendChannels(info);
    if (series.length > 0) {
        items.push({ kind: "trend", station: info.name, label: series.map((s) => s.name).join(" and "), series });
    }
    return { title: info.name, station: info.name, items };
}

// One display item as the dashboard shows it, or null for what it cannot show (pictures, items of
// stations that are not active).
function displayItem(item, stations) {
    if (item.kind === "text") {
        return item.label ? { kind: "banner", label: item.label } : null;
    }
    if (item.kind === "date" || item.kind === "time") {
        return { kind: "clock", show: item.kind };
    }
    const info = item.station ? stations.get(item.station.toLowerCase()) : undefined;
    if (!info || !(item.channel >= 0) || item.channel >= info.channels.length) {
        return null;
    }
    const channel = info.channels[item.channel];
    const label = item.label || `${info.name} ${channel.name}`;
    switch (item.kind) {
        case "value":
        case "state":
        case "multitext":
            return { kind: "value", station: info.name, channel: item.channel, label, unit: channel.unit };
        case "graph":
            return { kind: "trend", station: info.name, label, series: [{ channel: item.channel, name: channel.name }] };
        case "windrose":
        case "dustrose": {
            // A wind dial names the direction channel; a real-time rose the speed (or dust) channel.
            if (item.kind === "windrose" && DIRECTION.test(channel.name)) {
                return { kind: "dial", station: info.name, channel: item.channel, label };
            }
            const direction = directionChannel(info);
            return direction >= 0 ? { kind: "rose", station: info.name, speed: item.channel, direction, label } : null;
        }
        default:
            return null;
    }
}

function pagePlan(page, stations) {
    const sorted = [...page.items].sort((a, b) => (a.y - b.y) || (a.x - b.x));
    const items = [];
    let clock = null;
    for (const raw of sorted) {
        const item = displayItem(raw, stations);
        if (!item) {
            continue;
        }
        if (item.kind === "clock") {
            // A page's date and time items share one line.
            if (clock) {
                clock.show = clock.show === item.show ? clock.show : "both";
                continue;
            }
            clock = item;
        }
        items.push(item);
    }
    // A page's title line carries its clock, as the pages' top rows do on the desktop.
    const banner = items.find((item) => item.kind === "banner");
    if (banner && clock) {
        banner.clock = clock.show;
        items.splice(items.indexOf(clock), 1);
    }
    return { title: page.name, items };
}

export function buildPlan(display, infos) {
    const stations = new Map(infos.map((info) => [info.name.toLowerCase(), info]));
    let groups = [];
    if (display && Array.isArray(display.pages)) {
        groups = display.pages.map((page) => pagePlan(page, stations))
            .filter((g) => g.items.some((item) => item.station));
    }
    if (groups.length === 0) {
        groups = infos.map(stationPlan);
    }
    const tracked = [];
    for (const group of groups) {
        for (const item of group.items) {
            if (item.kind === "dial") {
                tracked.push({ station: item.station, channel: item.channel });
            } else if (item.kind === "rose") {
                tracked.push({ station: item.station, channel: item.speed }, { station: item.station, channel: item.direction });
            } else if (item.kind === "trend") {
                for (const s of item.series) {
                    tracked.push({ station: item.station, channel: s.channel });
                }
            }
        }
    }
    return { groups, tracked };
}
