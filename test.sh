#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh                      Debug build in build/
#   ./test.sh --sanitize address   ASan + UBSan build in build-asan/
#   ./test.sh --sanitize thread    TSan build in build-tsan/
#   ./test.sh -R REGEX             only the tests matching REGEX
set -euo pipefail
cd "$(dirname "$0")"

sanitize=""
filter=()
while [ $# -gt 0 ]; do
    case "$1" in
        --sanitize) sanitize="${2:-}"; shift 2 ;;
        --sanitize=*) sanitize="${1#*=}"; shift ;;
        -R) filter=(-R "$2"); shift 2 ;;
        -h|--help) sed -n '2,6p' "$0"; exit 0 ;;
        *) echo "test.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

scripts/install-deps.sh

case "$sanitize" in
    "") builddir=build ;;
    address) builddir=build-asan ;;
    thread) builddir=build-tsan ;;
    *) echo "test.sh: --sanitize takes address or thread" >&2; exit 2 ;;
esac

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSVU_SANITIZE="$sanitize" >/dev/null
cmake --build "$builddir" -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export TZ=Europe/London
if [ "$sanitize" = address ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
if [ "$sanitize" = thread ]; then
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$(pwd)/tests/tsan.supp"
fi
ctest --test-dir "$builddir" --output-on-failure -j "$jobs" "${filter[@]}"
