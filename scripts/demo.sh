#!/usr/bin/env bash
# Installs what is needed, builds the programs and runs the main job on the bundled demo.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/install-deps.sh
./scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF
echo "Build complete: programs are in build/release/bin"
