#!/usr/bin/env bash
# The browser's frame cost against the native Linux build on the same scene, in one run:
# bench_frame natively (Mesa's software rasteriser, offscreen) and the same frames in
# headless Chromium (SwiftShader), each the median ms of update + render + glFinish (the
# browser's also with the pixels waited for, and so with the score display on); then their
# ratios; then what a player downloads and waits for (bench/web/bench_load.mjs: each file as
# stored and as sent gzipped, the one-file edition's size, the first frame on a fast
# connection and on a slow phone's).
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"
command -v npm >/dev/null || scripts/deps.sh npm
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)" --target bench_frame
bash scripts/web.sh --frames >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)

# The median of a line of the benchmarks' output.
median() { sed -n "s/^$1 *median *\([0-9.]*\) ms.*/\1/p" "$2"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "== native"
SDL_VIDEODRIVER=offscreen build/bench/bench/bench_frame | tee "$work/native"
echo "== browser"
node bench/web/bench_frame.mjs build/web/frames-page | tee "$work/browser"

native=$(median 'update + render + glFinish' "$work/native")
finished=$(median 'update + render + glFinish' "$work/browser")
drawn=$(median 'the same, then a 1-pixel read-back' "$work/browser")
off=$(median 'the same, in turn with the display on' "$work/browser")
on=$(median 'the same with the score display on' "$work/browser")
echo "== summary"
# Chromium answers glFinish before SwiftShader has drawn, so the read-back run is the one
# comparable with the native figure.
awk -v n="$native" -v f="$finished" -v d="$drawn" -v off="$off" -v on="$on" 'BEGIN {
  printf "median ms per frame: native %.3f; browser %.3f to glFinish, %.3f drawn (%.2f x native)\n", n, f, d, d / n
  printf "browser, display off and on in turn: %.3f and %.3f drawn (%.3f x)\n", off, on, on / off }'
echo "== loading"
node bench/web/bench_load.mjs dist/web
