#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer and UndefinedBehaviorSanitizer (every report is
# fatal), runs the fuzz targets briefly over their seeds, then every test suite: each test in a process of
# its own and each test program whole, with Qt offscreen; then the GUI suites and the host scenarios once
# more on an X server with a window manager (Xvfb and openbox, xcb). The plug-in's threaded code also runs under ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

step() { echo "== $1 (at ${SECONDS}s)"; }
# Every test step runs even when an earlier one failed; the command fails at the end if any did.
failed=0

step "fuzz build"
./scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
step "fuzz targets"
(cd build/fuzz && ctest --output-on-failure -j"$jobs" --timeout 120) || failed=1

step "plug-in threads (ThreadSanitizer)"
./scripts/tsan.sh || failed=1

step "test build"
./scripts/build.sh build/test -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON
cd build/test
# Each test declares its limit and the cores it keeps busy, so ctest never starts more work than the machine
# has cores; a test that declares no limit (a step that writes a target for a scenario) has 60 s.
step "tests (offscreen)"
ctest --output-on-failure -j"$jobs" --timeout 60 || failed=1
step "GUI suites and host scenarios (Xvfb and openbox, xcb)"
KORVANE_QT_PLATFORM=xcb ctest --output-on-failure -j"$jobs" --timeout 60 -L '^xcb$' || failed=1
step "done"
exit "$failed"
