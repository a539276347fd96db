#!/usr/bin/env bash
# Tries the Debian packages on this machine for real, as root, on a machine run by systemd:
# installs them with apt-get, starts the system service, checks that it runs and logs, stops it and
# purges the packages, then checks that nothing is left behind. Run by hand; the tests only unpack.
#   scripts/try-package.sh [BUILD_DIR]     packages made from BUILD_DIR (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build-release}"
[ "$(id -u)" -eq 0 ] || { echo "try-package: run as root (it installs packages)" >&2; exit 2; }
[ -d /run/systemd/system ] || { echo "try-package: this machine is not run by systemd" >&2; exit 2; }
if [ ! -f "$build/CPackConfig.cmake" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSVU_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
since=$(date '+%Y-%m-%d %H:%M:%S')

echo "== install"
apt-get install -y "$out"/stratavue-cli_*.deb "$out"/stratavue_*.deb
systemctl is-enabled stratavue.service
systemctl restart stratavue.service
sleep 5
systemctl is-active stratavue.service
echo "== the service's journal"
journalctl -u stratavue.service --since "$since" --no-pager | tail -20
ls /var/lib/stratavue/logs/ || { echo "try-package: the service logged nothing" >&2; exit 1; }

echo "== stop and purge"
systemctl stop stratavue.service
systemctl is-active stratavue.service && { echo "try-package: the service did not stop" >&2; exit 1; }
apt-get purge -y stratavue stratavue-cli
left=0
for path in /var/lib/stratavue /usr/bin/stratavue-cli /usr/bin/stratavue /usr/libexec/stratavue \
            /usr/share/stratavue /lib/systemd/system/stratavue.service; do
    if [ -e "$path" ]; then echo "try-package: $path is left behind" >&2; left=1; fi
done
getent passwd stratavue >/dev/null && { echo "try-package: the user stratavue is left behind" >&2; left=1; }
[ "$left" -eq 0 ] && echo "try-package: installed, ran, stopped and purged cleanly"
exit "$left"
