#!/usr/bin/env bash
# The Windows build's tests: cross-builds the windows preset with mingw-w64 and runs its tests
# (the unit suites, the GL suites with the golden frames, and zorbel.exe end to end) under
# Wine on a virtual display. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"

jobs=$(nproc)
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
# Wine comes up on this display; the end-to-end script starts one of its own.
build/windows/wine-run --stop
status=0
xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" ctest --preset windows -j "$jobs" || status=$?
build/windows/wine-run --stop
exit "$status"
