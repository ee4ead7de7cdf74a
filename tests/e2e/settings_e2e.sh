#!/usr/bin/env bash
# The player's choices kept between runs, with the real game under Xvfb and the record in
# $XDG_CONFIG_HOME: M pressed and the game closed leave the record muted, and the next run
# starts muted (what SDL's disk driver plays is silence) until M unmutes it again; F11
# without a window manager gets the display-mode box and keeps nothing, with one it plays full
# screen, and the next run starts full screen until F11 brings the window back.
# (--no-settings and a damaged record: tests/web/settings.test.mjs, through the same entry.)
ZORBEL=$1
WM_CLOSE=$2
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)
record=$XDG_CONFIG_HOME/zorbel/settings.json

# play_and_press KEY: starts the game, focuses it, presses KEY a moment later and closes it;
# the disk driver's sound goes to $WORK/played.raw, and PRESSED_AT says how far it had played
# when KEY went down.
play_and_press() {
  require "the window appears" start_game "$repo"
  timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
  sleep 0.8
  PRESSED_AT=$(played_at "$WORK/played.raw")
  hold "$1" 0.2
  sleep 0.4
  close_game
  check "closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
  sox -t raw -r 48000 -e signed-integer -b 16 -c 2 "$WORK/played.raw" "$WORK/played.wav"
}
# level FROM LENGTH: what the last run played then, in dB (-inf: silence).
level() { sound_stat "$WORK/played.wav" "RMS lev dB" trim "$1" "$2"; }
holds() { grep -q "\"$1\": $2" "$record"; }
# size_after WxH: the window's size once it is WxH, or after three seconds.
size_after() {
  for _ in $(seq 30); do [ "$(window_size)" = "$1" ] && break; sleep 0.1; done
  window_size
}

start_x || exit 1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/played.raw

# Without a window manager full screen cannot be had: the box, the window, nothing kept.
require "the window appears" start_game "$repo"
timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
sleep 1
xdotool key F11
check "F11 without a window manager: the box says the display mode failed" answer_box
geometry=$(size_after 1280x720)
check "F11 without a window manager: the game plays on in its 1280x720 window (got $geometry)" \
  test "$geometry" = "1280x720"
sleep 0.3
shot "$WORK/window.png"
check "F11 without a window manager: the whole world is drawn in the window" \
  shows_the_whole_world "$WORK/window.png"
hold m 0.2
sleep 0.3
close_game
check "M, then closing: the record is made and holds mute" holds mute true
check "and not full screen" holds fullscreen false

play_and_press m
check "the next run starts muted: silence until M (at $PRESSED_AT s)" \
  test "$(level 0 "$(awk -v t="$PRESSED_AT" 'BEGIN {print t - 0.1}')")" = "-inf"
check "M unmutes it: the ambient plays" \
  within "$(level "$(awk -v t="$PRESSED_AT" 'BEGIN {print t + 0.2}')" 0.3)" -40 -10
check "the record now holds the sound on" holds mute false

# With a window manager full screen is granted, kept, and comes back in the next run.
openbox >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
play_and_press F11
check "F11 with a window manager: full screen is kept" holds fullscreen true
require "the next run: the window appears" start_game "$repo"
geometry=$(size_after 1600x1000)
check "the next run starts full screen (got $geometry)" test "$geometry" = "1600x1000"
timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
xdotool key F11
geometry=$(size_after 1280x720)
check "F11 again: the 1280x720 window (got $geometry)" test "$geometry" = "1280x720"
close_game
check "and the record keeps the window" holds fullscreen false
kill "$WM_PID"
finish
