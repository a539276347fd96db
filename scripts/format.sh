#!/usr/bin/env bash
# Formats the given files (default: every C++ file that git knows) with the repository's .clang-format.
# Needs clang-format 15 or later (InsertBraces); install-deps.sh installs clang-format-15.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=$(command -v clang-format-15 || command -v clang-format)
if [ $# -eq 0 ]; then
    git ls-files '*.cpp' '*.h' | xargs "$fmt" -i
else
    "$fmt" -i "$@"
fi
