#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh TARGET [SECONDS]     e.g. scripts/fuzz.sh ArchiveFuzz 60
#   scripts/fuzz.sh --list
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSVU_FUZZ=ON \
    -DSVU_BUILD_UI=OFF -DSVU_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
if [ "${1:-}" = "--list" ]; then
    ls tests/fuzz/*Fuzz.cpp | xargs -n1 basename | sed 's/\.cpp$//'
    exit 0
fi
target="${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}"
seconds="${2:-60}"
cmake --build build-fuzz --target "fuzz_$target" -j "$(nproc)"
work=$(mktemp -d)
cp -r "tests/fuzz/corpus/$target/." "$work/" 2>/dev/null || true
"build-fuzz/tests/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 "$work"
