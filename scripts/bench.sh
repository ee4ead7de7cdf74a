#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs each; every one prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh nlohmann-json3-dev rapidjson-dev
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)"
for bench in build/bench/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  SDL_VIDEODRIVER=offscreen "$bench"
done
