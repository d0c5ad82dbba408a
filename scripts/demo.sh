#!/usr/bin/env bash
# Installs what is needed, builds the programs (release, into build/release) and runs the main job:
# OMBAgenCmd generates the kernel configuration sources and the report of every application of the
# bundled demo project. It works on a fresh copy of samples/demo in build/release/demo, so the checkout
# stays as it is, and prints where the generated sources and the reports are.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/install-deps.sh
if ! ./scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF; then
    echo "demo.sh: the release build failed (see above); the main job was not run." >&2
    exit 1
fi
echo "Build complete: programs are in build/release/bin"

work="$root/build/release/demo"
rm -rf "$work"
cp -r "$root/samples/demo" "$work"
marker="$(mktemp)"
trap 'rm -f "$marker"' EXIT

# -x: every application, -f: every file, -p: the reports. The reports are written by the code
# generator; the print command is pointed at "true" so that the demo sends nothing to a printer.
echo
echo "Running: OMBAgenCmd demo.omb -x -f -p (in $work)"
set +e
(cd "$work" && OMBAGEN_PRINT_COMMAND=true "$root/build/release/bin/OMBAgenCmd" demo.omb -x -f -p)
code=$?
set -e

echo
mapfile -t sources < <(find "$work" -type f -newer "$marker" \
    \( -name '*.c' -o -name '*.h' -o -name '*.s' -o -name '*.asm' -o -name '*.inc' \) | sort)
echo "Generated sources (${#sources[@]} files), by folder:"
if [ ${#sources[@]} -gt 0 ]; then
    printf '%s\n' "${sources[@]}" | sed -e 's|/[^/]*$||' -e "s|^$root/||" | uniq -c |
        while read -r count folder; do printf '  %-40s %3d files\n' "$folder" "$count"; done
fi
echo "Reports:"
find "$work" -type f -newer "$marker" -name '*.txt' | sort | sed "s|^$root/|  |"
echo
echo "OMBAgenCmd return code $code"
exit "$code"
