#!/usr/bin/env bash
# Sound's cost on the desktop platforms, each on a sound device that needs no sound card:
# what sound adds to start-up and to peak memory, and the latency from a game event to its
# first sample in the device buffer. Linux: SDL's disk driver, which takes the sound in real
# time. Windows under Wine: waveOut into ALSA's file plugin over its null device. (The
# browser's latency is printed by tests/web/sound.test.mjs, run by scripts/web-test.sh.)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
jobs=$(nproc)
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target bench_sound >/dev/null
cmake --preset windows-bench >/dev/null
cmake --build --preset windows-bench -j "$jobs" --target bench_sound >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"; build/windows-bench/wine-run --stop' EXIT

echo "== Linux, SDL audio (disk driver)"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/linux.raw" build/bench/bench/bench_sound 2>&1 | grep -v '^CRITICAL'

echo "== Windows under Wine, waveOut (ALSA file device)"
mkdir -p "$work/home"
printf 'pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s"\n  format "wav"\n}\n' "$work/wine.wav" >"$work/home/.asoundrc"
# Wine's own start-up is not the game's: bring it up first.
build/windows-bench/wine-run --stop
HOME=$work/home build/windows-bench/wine-run cmd /c exit 2>/dev/null || true
HOME=$work/home build/windows-bench/wine-run build/windows-bench/bench/bench_sound.exe 2>&1 | grep -v '^ALSA lib' | tr -d '\r'
