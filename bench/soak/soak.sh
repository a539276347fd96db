#!/usr/bin/env bash
# Endurance run (not part of ./test.sh): builds bench_soak in the Release build folder, starts a
# private MQTT broker on a free port of 127.0.0.1 and runs a year of records through 10 file
# stations with logging, the web page, the live-value server and MQTT; then prints the figures and
# whether every record was logged once, no descriptor leaked and memory stayed flat.
#   bench/soak/soak.sh [BUILD_DIR]     (default: build-rel beside this repository's sources)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build-rel}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target bench_soak

work=$(mktemp -d "${TMPDIR:-/tmp}/svu-soak-broker-XXXXXX")
broker=""
cleanup() {
    if [ -n "$broker" ]; then
        kill "$broker" 2>/dev/null || true
        wait "$broker" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\nlog_dest none\n' "$port" >"$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" &
broker=$!
for _ in $(seq 100); do
    if python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
SVU_SOAK_MQTT_PORT=$port "$build/bench/bench_soak"
