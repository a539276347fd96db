#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts the Stratavue demo: a File station replaying
# a week of weather and a Direct station on a simulated instrument, shown on the demo's pages.
#   ./run.sh                  build, prepare the run folder, start the instrument simulator and the
#                             desktop program on the demo display with acquisition on (without a
#                             display: the headless service, stratavue-cli run, until Ctrl+C)
#   ./run.sh --headless       use the headless service even when a display is available
#   ./run.sh --for SECONDS    stop by itself after SECONDS
#   ./run.sh --run-dir DIR    use DIR as the run folder (default ~/.local/share/stratavue/run)
#   ./run.sh --fresh          start again from the demo as built (your changes in the run folder to
#                             the stations, the display file and the settings are replaced)
#   ./run.sh --build-dir DIR  use the programs already built in DIR (no install, no build)
#   ./run.sh --help           this text
set -euo pipefail

# Started in the background by another script, this shell would ignore SIGINT for good (and so
# could not stop the demo cleanly on it): start again with SIGINT at its default.
if [ -n "$(trap -p INT)" ] && [ -z "${STRATAVUE_RUN_SIGINT:-}" ] && command -v python3 >/dev/null; then
    export STRATAVUE_RUN_SIGINT=1
    exec python3 -c 'import os, signal, sys; signal.signal(signal.SIGINT, signal.SIG_DFL); os.execv(sys.argv[1], sys.argv[1:])' "$0" "$@"
fi

cd "$(dirname "$0")"
repo=$(pwd)

headless=0
fresh=0
seconds=""
builddir=""
rundir="${STRATAVUE_RUN_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/stratavue/run}"
while [ $# -gt 0 ]; do
    case "$1" in
        --headless) headless=1; shift ;;
        --fresh) fresh=1; shift ;;
        --for) seconds="${2:-}"; shift 2 ;;
        --run-dir) rundir="${2:-}"; shift 2 ;;
        --build-dir) builddir="${2:-}"; shift 2 ;;
        -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done
if [ -n "$seconds" ] && ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
    echo "run.sh: --for takes a number of seconds" >&2
    exit 2
fi
if [ -z "$rundir" ]; then
    echo "run.sh: --run-dir needs a folder" >&2
    exit 2
fi

# ---- Build ----------------------------------------------------------------------------------
if [ -z "$builddir" ]; then
    scripts/install-deps.sh
    builddir="$repo/build-release"
    cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSVU_BUILD_BENCH=OFF >/dev/null
    cmake --build "$builddir" -j "$(nproc 2>/dev/null || echo 2)" --target stratavue-cli stratavue-sim demo
    if grep -q '^SVU_BUILD_UI:BOOL=ON' "$builddir/CMakeCache.txt"; then
        cmake --build "$builddir" -j "$(nproc 2>/dev/null || echo 2)" --target stratavue
    fi
fi
builddir=$(cd "$builddir" && pwd)
cli="$builddir/stratavue-cli"
sim="$builddir/stratavue-sim"
gui="$builddir/stratavue"
for f in "$cli" "$sim" "$builddir/demo/stratavue.wsf" "$builddir/demo/archive/hilltop-week.log"; do
    if [ ! -e "$f" ]; then
        echo "run.sh: $f is missing; build the targets stratavue-cli, stratavue-sim and demo" >&2
        exit 1
    fi
done

# ---- The run folder: the program keeps every file there; the repository is never written to ----
mkdir -p "$rundir"
rundir=$(cd "$rundir" && pwd)
mkdir -p "$rundir/logs" "$rundir/network" "$rundir/www" "$rundir/archive" "$rundir/.demo"

# Copies a file of the demo into the run folder unless the copy there was changed since run.sh
# put it there (the desktop program saves stations and displays in place); --fresh replaces it.
install_demo_file() {
    local src="$1" rel="$2"
    local dest="$rundir/$rel" pristine="$rundir/.demo/$rel"
    [ -e "$src" ] || return 0
    mkdir -p "$(dirname "$dest")" "$(dirname "$pristine")"
    if [ "$fresh" -eq 1 ] || [ ! -e "$dest" ] || { [ -e "$pristine" ] && cmp -s "$dest" "$pristine"; }; then
        cp "$src" "$dest.tmp" && mv "$dest.tmp" "$dest"
        cp "$src" "$pristine"
    elif ! cmp -s "$src" "$dest"; then
        echo "run.sh: keeping your changed $rel (./run.sh --fresh replaces it with the demo's)"
    fi
}
install_demo_file "$builddir/demo/stratavue.wsf" stratavue.wsf
install_demo_file "$builddir/demo/demo.svu" demo.svu
install_demo_file "$builddir/demo/archive/hilltop-week.log" archive/hilltop-week.log
install_demo_file "$repo/demo/www/template.html" www/template.html
if [ "$fresh" -eq 1 ]; then
    rm -f "$rundir/stratavue.ini"
fi

# Settings: the simulator's device as port COM9, the demo display opened at start with acquisition
# on, and the web page written every 10 seconds. Other keys in the file are kept.
set_ini() {
    python3 - "$rundir/stratavue.ini" "$@" <<'PY'
import os, sys
path, changes = sys.argv[1], sys.argv[2:]
try:
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().splitlines()
except FileNotFoundError:
    lines = []
for change in changes:
    section, rest = change.split("/", 1)
    key, value = rest.split("=", 1)
    start = next((i for i, l in enumerate(lines) if l.strip().lower() == "[%s]" % section.lower()), None)
    if start is None:
        if lines and lines[-1].strip():
            lines.append("")
        lines += ["[%s]" % section, "%s=%s" % (key, value)]
        continue
    end = next((i for i in range(start + 1, len(lines)) if lines[i].strip().startswith("[")), len(lines))
    for i in range(start + 1, end):
        if lines[i].split("=", 1)[0].strip().lower() == key.lower():
            lines[i] = "%s=%s" % (key, value)
            break
    else:
        while end > start + 1 and not lines[end - 1].strip():
            end -= 1
        lines.insert(end, "%s=%s" % (key, value))
with open(path + ".tmp", "w", encoding="utf-8", errors="surrogateescape", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")
os.replace(path + ".tmp", path)
PY
}
device="$rundir/ttyDEMO"
set_ini "Ports/COM9=$device" \
    "Settings/EnableDefault=1" "Settings/DefaultFilename=$rundir/demo.svu" \
    "WebOutput/Active=1" "WebOutput/Interval=10" \
    "WebOutput/Template=$rundir/www/template.html" "WebOutput/Output=$rundir/www/index.html"
cd "$rundir"

# ---- The instrument simulator: the Airfield station's Direct instrument on a pseudo-terminal ----
children=()
cleanup() {
    local pid
    for pid in "${children[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${children[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -f "$device"
}
trap cleanup EXIT

# The instrument's channels are listed in demo/simulator.args, one option and its value a line.
simargs=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in ''|'#'*) continue ;; esac
    if [[ "$line" == *" "* ]]; then
        simargs+=("${line%% *}" "${line#* }")
    else
        simargs+=("$line")
    fi
done <"$repo/demo/simulator.args"
"$sim" direct --link "$device" "${simargs[@]}" >"$rundir/simulator.txt" 2>&1 &
children+=($!)
for _ in $(seq 100); do
    [ -e "$device" ] && break
    sleep 0.1
done
if [ ! -e "$device" ]; then
    echo "run.sh: the simulator did not start (see $rundir/simulator.txt)" >&2
    exit 1
fi

# Runs a program in the background and waits for it; Ctrl+C, SIGINT and SIGTERM are passed on to
# it (as `signal`), and --for stops it after that many seconds.
run_program() {
    local signal="$1"
    shift
    "$@" &
    local pid=$!
    children+=("$pid")
    trap 'kill -'"$signal"' '"$pid"' 2>/dev/null || true' INT TERM
    if [ -n "$seconds" ]; then
        (
            sleep "$seconds" &
            sleeper=$!
            trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
            wait "$sleeper" && kill -"$signal" "$pid" 2>/dev/null
        ) &
        children+=($!)
    fi
    local status=0
    while kill -0 "$pid" 2>/dev/null; do
        wait "$pid" && status=0 || status=$?
    done
    trap - INT TERM
    return "$status"
}

echo "run.sh: run folder $rundir"
echo "  stations        $rundir/stratavue.wsf (Hilltop: File station; Airfield: Direct station on COM9)"
echo "  settings        $rundir/stratavue.ini ([Ports] COM9=$device)"
echo "  daily logs      $rundir/logs/"
echo "  network file    $rundir/network/Airfield.nws"
echo "  web page        $rundir/www/index.html (every 10 s, from www/template.html)"
echo "  alarms, errors  $rundir/alarms.txt, $rundir/error.txt"

if [ "$headless" -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$gui" ] && [ -e demo.svu ]; then
    echo "run.sh: starting the desktop program on demo.svu (close its window to stop)"
    run_program TERM "$gui" || true
else
    if [ "$headless" -eq 0 ]; then
        echo "run.sh: no display; running the headless service instead"
    fi
    echo "run.sh: acquiring; press Ctrl+C to stop"
    run_program INT "$cli" run || true
    echo "run.sh: stopped. Logs in $rundir/logs/, web page $rundir/www/index.html"
fi
