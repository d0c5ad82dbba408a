#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs the fuzz
# targets briefly over their seeds, then runs every test suite.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

./scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
(cd build/fuzz && ctest --output-on-failure -j"$(nproc)")

./scripts/build.sh build/test -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON
cd build/test
ctest --output-on-failure -j"$(nproc)"
