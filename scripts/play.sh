#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine with what building and running the game need, builds the
# game and starts it from the repository root. Without a display it renders a short scripted
# play-through instead: twelve PNG frames and an animated WebP of the whole of it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}"

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: playing QUIX 5 Zorbel needs one (X11 or Wayland)."
  out=out/playthrough
  headless=build/release/tools/headless/zorbel-headless
  mkdir -p "$out"
  echo "Rendering a scripted play-through without a display instead..."
  SDL_VIDEODRIVER=offscreen "$headless" --script playthrough --out "$out" --sound "$out/playthrough.wav"
  echo "Frames and the sound of the play (playthrough.wav) written to $(pwd)/$out"

  # The animation: every fourth frame at half size, 1/15 s of play each, so 120 frames make
  # eight seconds at the speed it was played.
  if scripts/deps.sh imagemagick; then
    frames=$(mktemp -d)
    trap 'rm -rf "$frames"' EXIT
    SDL_VIDEODRIVER=offscreen "$headless" --script playthrough --capture-every 4 --size 640x360 --out "$frames"
    # The game's first frame draws the sky with the ground's program, which leaves it white:
    # the animation (and its still, where WebP does not animate) starts on the sky.
    for frame in "$frames"/frame-*.png; do
      top=$(convert "$frame" -crop x40+0+0 +repage -resize 1x1\! -format '%[fx:int(255*(r+g+b)/3)]' info:)
      [ "$top" -lt 128 ] && break
      rm "$frame"
    done
    convert -delay 7 -loop 0 "$frames"/frame-*.png -quality 40 -define webp:method=6 "$out/playthrough.webp"
    echo "Animation written to $(pwd)/$out/playthrough.webp"
  else
    echo "No animation: ImageMagick is missing."
  fi
  exit 0
fi

exec build/release/zorbel "$@"
