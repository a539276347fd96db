#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts Stratavue.
#   ./run.sh               build, prepare the run folder, start the desktop program
#                          (without a display: stratavue-cli in the same folder)
#   ./run.sh --headless    use stratavue-cli even when a display is available
#   ./run.sh --run-dir DIR use DIR as the run folder (default ~/.local/share/stratavue/run)
#   ./run.sh --help        this text
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)

headless=0
rundir="${STRATAVUE_RUN_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/stratavue/run}"
while [ $# -gt 0 ]; do
    case "$1" in
        --headless) headless=1; shift ;;
        --run-dir) rundir="$2"; shift 2 ;;
        -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
        *) echo "run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done

scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSVU_BUILD_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc 2>/dev/null || echo 2)" --target stratavue stratavue-cli stratavue-sim

# The program keeps its files in the folder it starts in; the repository is never written to.
mkdir -p "$rundir"
if [ -d demo ] && [ -n "$(ls -A demo 2>/dev/null)" ]; then
    cp -rn demo/. "$rundir"/ 2>/dev/null || true
fi
cd "$rundir"
echo "run.sh: program folder is $rundir"

if [ "$headless" -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$repo/build-release/stratavue"
fi
echo "run.sh: no display; showing the service's commands"
exec "$repo/build-release/stratavue-cli" --help
