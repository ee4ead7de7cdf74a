#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs each; every one prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)"
for bench in build/bench/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  SDL_VIDEODRIVER=offscreen "$bench"
done
