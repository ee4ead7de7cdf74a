#!/usr/bin/env bash
# The cost per frame of reading the game pads on each platform, with no pad and with one:
# Linux natively (SDL, a virtual pad), Windows under Wine (XInput: Wine's with no pad, a
# scripted slot for the one pad) and the browser (headless Chromium, a pad injected into the
# Gamepad API). Each prints the median microseconds per frame.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"
command -v npm >/dev/null || scripts/deps.sh npm
jobs=$(nproc)
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target bench_pads >/dev/null
cmake --preset windows-bench >/dev/null
cmake --build --preset windows-bench -j "$jobs" --target bench_pads >/dev/null
bash scripts/web.sh --frames >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)

wine_run=build/windows-bench/wine-run
trap '"$wine_run" --stop' EXIT
echo "== Linux (SDL)"
SDL_VIDEODRIVER=dummy build/bench/bench/bench_pads
echo "== Windows under Wine (XInput)"
"$wine_run" --stop
xvfb-run -a -s "-screen 0 640x480x24 -noreset" "$wine_run" build/windows-bench/bench/bench_pads.exe
echo "== Browser (headless Chromium)"
node bench/web/bench_pads.mjs build/web/frames-page
