#!/usr/bin/env bash
# The Windows build against the Linux build, in one run on this machine: the cost of a frame
# of the real scene through the headless driver (Linux: SDL's offscreen driver; Windows: a
# window never shown, under Wine), both on Mesa's software rasteriser, with the ratio of the
# medians; then the pacing of the real frame loop under Wine (and natively for comparison),
# 300 frames each, on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
wine_run=build/windows-bench/wine-run

# The runs, on the virtual display this script starts (it calls itself there).
if [ "${1:-}" = "--on-display" ]; then
  out=$2
  echo "== Linux, headless"
  SDL_VIDEODRIVER=offscreen build/bench/bench/bench_frame | tee "$out/linux-frame.txt"
  echo "== Windows under Wine, headless"
  "$wine_run" build/windows-bench/bench/bench_frame.exe | tee "$out/wine-frame.txt"
  echo "== Windows under Wine, the real loop"
  "$wine_run" build/windows-bench/bench/bench_pacing.exe
  echo "== Linux, the real loop (for comparison)"
  env -u SDL_VIDEODRIVER build/bench/bench/bench_pacing
  exit 0
fi

source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
jobs=$(nproc)
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target bench_frame bench_pacing >/dev/null
cmake --preset windows-bench >/dev/null
cmake --build --preset windows-bench -j "$jobs" --target bench_frame bench_pacing >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"; "$wine_run" --stop' EXIT
# Wine comes up on the display of this run.
"$wine_run" --stop
xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" bash "$0" --on-display "$out"

median() { sed -n 's/^update + render + glFinish *median *\([0-9.]*\) ms.*/\1/p' "$1"; }
echo
awk -v l="$(median "$out/linux-frame.txt")" -v w="$(median "$out/wine-frame.txt")" 'BEGIN {
  printf "frame cost, median of update + render + glFinish: Linux %.3f ms, Windows under Wine %.3f ms, ratio %.2f\n", l, w, w / l }'
