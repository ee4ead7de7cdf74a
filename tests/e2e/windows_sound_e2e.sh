#!/usr/bin/env bash
# zorbel.exe's sound under Wine: with no sound device Wine's waveOut has none to open, and
# the game says so in one line, plays on silent and closes with exit code 0; with a device
# (ALSA's file plugin over its null device, set up in a home folder of this test's own),
# the captured file holds the quiet ambient and, once Right carries the player across a zone,
# the chime. Wine feeds the file faster than real time, so the content is checked, not when.
# Usage: windows_sound_e2e.sh zorbel.exe WINE_RUN
EXE=$(realpath "$1")
WINE_RUN=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)
start_x_for_wine || exit 1

# No device: ALSA finds no card. Wine's own ALSA notes aside, the game says one line.
require "no sound device: the window appears" start_game "$repo"
sleep 2
check "no sound device: the game still runs" kill -0 "$GAME_PID"
said=$(grep -v '^ALSA lib' "$WORK/game.err" | tr -d '\r')
check "no sound device: one line says sound is off (said: $said)" \
  test "$(grep -c '^Sound is off: ' <<<"$said")" -eq 1 -a "$(wc -l <<<"$said")" -eq 1
close_game
check "no sound device: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0

# A device that writes what it plays to a WAV file.
mkdir -p "$WORK/home"
cat >"$WORK/home/.asoundrc" <<ASOUNDRC
pcm.!default {
  type file
  slave.pcm "null"
  file "$WORK/played.wav"
  format "wav"
}
ASOUNDRC
export HOME=$WORK/home
require "with a sound device: the window appears" start_game "$repo"
timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
sleep 2.5
hold Right 1
sleep 1.5
check "with a sound device: nothing says sound is off" bash -c "! grep -q 'Sound is off' '$WORK/game.err'"
close_game
check "with a sound device: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
check "the device received sound" test -s "$WORK/played.wav"
level=$(sound_stat "$WORK/played.wav" "RMS lev dB")
check "the ambient plays quietly (whole file at $level dB)" within "$level" -36 -20
peak=$(sound_stat "$WORK/played.wav" "Pk lev dB")
check "nothing clips (peak $peak dBFS)" within "$peak" -60 -1
chime=$(tone_peak "$WORK/played.wav")
check "the chime is there (band peak and its ratio to the mean: $chime)" is_chime "$chime"
finish
