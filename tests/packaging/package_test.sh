#!/usr/bin/env bash
# Builds the Debian packages from a finished build folder, checks them (dpkg-deb, lintian), unpacks
# them into a scratch folder and tries what they hold: the programs, the example program folder,
# the manual pages, the desktop files and the system service's unit.
#   tests/packaging/package_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?build folder}" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/svu-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() { echo "package_test: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (scripts/install-deps.sh installs it)"; }
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli man systemd-analyze; do need "$tool"; done

echo "== cpack"
(cd "$scratch" && cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
service=$(ls "$scratch"/out/stratavue-cli_*.deb)
desktop=$(ls "$scratch"/out/stratavue_*.deb)

echo "== dpkg-deb --info"
for deb in "$service" "$desktop"; do
    dpkg-deb --info "$deb" >"$scratch/info.txt"
    grep -q '^ Package: ' "$scratch/info.txt" || fail "no package name in $deb"
done
dpkg-deb --field "$service" Depends | grep -qi 'qt' && fail "the service package depends on Qt"
dpkg-deb --field "$desktop" Depends | grep -q 'stratavue-cli (= ' || fail "the desktop package does not depend on the service package"
dpkg-deb --field "$desktop" Depends | grep -qi 'libqt6' || fail "the desktop package's Qt dependency was not worked out"

echo "== lintian"
lintian --fail-on error --suppress-tags-from-file /dev/null "$service" "$desktop" | tee "$scratch/lintian.txt" || true
if grep -q '^E: ' "$scratch/lintian.txt"; then
    fail "lintian found errors"
fi

echo "== unpack and run"
root="$scratch/root"
dpkg-deb -x "$service" "$root"
dpkg-deb -x "$desktop" "$root"
cli="$root/usr/bin/stratavue-cli"
"$cli" version | grep -q '^Stratavue ' || fail "stratavue-cli version"
ldd "$cli" | grep -qi 'libQt' && fail "stratavue-cli links Qt"
[ -x "$root/usr/libexec/stratavue/stratavue-display" ] || fail "stratavue-display is not installed"

site="$scratch/site"
cp -a "$root/usr/share/stratavue/example" "$site"
(cd "$site" && "$cli" --program-dir "$site" run --for 3 >"$scratch/run.txt" 2>&1) || { cat "$scratch/run.txt"; fail "run --for 3"; }
ls "$site"/logs/* >/dev/null 2>&1 || ls "$site"/*/*.log >/dev/null 2>&1 || fail "run --for 3 logged nothing"
# The display commands reach stratavue-display through the installed layout.
"$cli" --program-dir "$site" display show "$site/demo.svu" >"$scratch/display.txt" || fail "display show through stratavue-display"

echo "== manual pages"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    MANWIDTH=80 man -l "$page" >"$scratch/man.txt" 2>"$scratch/man.err" || fail "man -l $page"
    grep -q 'NAME' "$scratch/man.txt" || fail "$page does not render"
done
[ "$(ls "$root"/usr/share/man/man1/*.1.gz | wc -l)" -eq 3 ] || fail "three manual pages expected"

echo "== desktop files"
desktop-file-validate "$root/usr/share/applications/org.stratavue.Stratavue.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.stratavue.Stratavue.metainfo.xml"

echo "== systemd unit"
unit="$scratch/unit/stratavue.service"
mkdir -p "$scratch/unit"
# verify wants the programs at their installed places: point the unit at the unpacked ones.
sed "s#/usr/bin/stratavue-cli#$cli#" "$root/lib/systemd/system/stratavue.service" >"$unit"
SYSTEMD_LOG_LEVEL=warning systemd-analyze verify --man=no "$unit" 2>&1 | tee "$scratch/verify.txt"
if grep -v -e 'Failed to resolve user' -e 'Cannot add dependency job' "$scratch/verify.txt" | grep -q .; then
    fail "systemd-analyze verify"
fi

echo "package_test: passed"
