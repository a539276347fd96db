#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: does nothing (and touches no package list) when everything is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    nlohmann-json3-dev libcurl4-openssl-dev
    clang-format-15 xvfb xauth x11-utils imagemagick
    python3 python3-pyftpdlib python3-aiosmtpd lrzsz
    libmosquitto-dev mosquitto mosquitto-clients util-linux
    scdoc lintian desktop-file-utils appstream man-db
    portaudio19-dev sox libespeak-ng-dev espeak-ng-data
    python3-selenium chromium chromium-driver
    libcpp-httplib-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
