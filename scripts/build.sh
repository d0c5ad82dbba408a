#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures (once) and builds the project into DIR with Ninja.
# A compiler cache is used when one is installed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j"${KORVANE_JOBS:-$(nproc)}"
