#!/usr/bin/env bash
# Builds the plug-in and its threading tests with ThreadSanitizer in build/tsan and runs them, with its
# lock-order (deadlock) checks on: the binding, notification, breakpoint, UI-thread, target-read and
# re-entrancy tests, and the stress of Exit against a notifying debugger thread, the IDE's shut-down,
# every callback slot that needs no host object and Init with each export that creates the plug-in
# object (the built plug-in loaded as a host loads it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build=build/tsan
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_SANITIZE=OFF -DKORVANE_BENCH=OFF \
    "-DCMAKE_CXX_FLAGS=-fsanitize=thread -g" "-DCMAKE_C_FLAGS=-fsanitize=thread -g" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread" \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${KORVANE_JOBS:-$(nproc)}" --target plugin_sdk_tests sim_debugger_tests OMBA_Z5_Plugin

export TSAN_OPTIONS="halt_on_error=1 detect_deadlocks=1 second_deadlock_stack=1"
export QT_QPA_PLATFORM=offscreen
# Qt itself is not built with ThreadSanitizer: the tests that run widgets stay in the ASan suite.
"$build/bin/plugin_sdk_tests" \
    --gtest_filter='SdkBinding*:SdkNotify*:SdkDebuggerPlugin*:SdkPluginSample*:SdkPlainThread*:SdkBreakpoint*:SdkTargetReads*:SdkReentrancy*:SdkReplay*'
"$build/bin/sim_debugger_tests" --gtest_filter='SimPluginStressTest.*:*/SimPluginCreationRaceTest.*:SimPluginLoadTest.DebuggerSide*'
