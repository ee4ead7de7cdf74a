#!/usr/bin/env bash
# The game's sound end to end: with SDL's disk driver the game writes what it plays to a file
# in real time, which holds the quiet ambient and, once Right carries the player across a
# zone, the chime; under a French layout the key that prints M mutes it and the key in M's
# US place does not, and under a Russian one, where no key prints M, the key in its US place
# mutes it; with no sound device (the default here), and with a device that goes away while
# playing, the game says so in one line, plays on silent and closes with exit code 0.
ZORBEL=$1
WM_CLOSE=$2
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)
# sound_off_lines: how many lines the game said on standard error, and how many of them
# began "Sound is off: ".
err_lines() { wc -l <"$WORK/game.err"; }
off_lines() { grep -c '^Sound is off: ' "$WORK/game.err"; }

start_x || exit 1

# With a device: SDL's disk driver writes what the game plays, in real time, as raw 16-bit
# stereo at the rate the game asks for. The ambient fades in over its first second; Right
# held for a second carries the player out of the centre zone (x3 to x2) and on (x1).
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/played.raw
require "with a sound device: the window appears" start_game "$repo"
timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
sleep 2.5
hold Right 1
sleep 1.5
close_game
check "with a sound device: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
sox -t raw -r 48000 -e signed-integer -b 16 -c 2 "$WORK/played.raw" "$WORK/played.wav"
length=$(soxi -D "$WORK/played.wav")
check "the device was fed in real time for the whole game (${length} s)" within "$length" 4 12
ambient=$(sound_stat "$WORK/played.wav" "RMS lev dB" trim 1.4 0.8)
check "the ambient plays quietly, about -29 dBFS (got $ambient dB)" within "$ambient" -34 -24
peak=$(sound_stat "$WORK/played.wav" "Pk lev dB")
check "nothing clips (peak $peak dBFS)" within "$peak" -60 -1
before=$(tone_peak "$WORK/played.wav" 0 2.2)
check "no chime before Right (band peak and its ratio to the mean: $before)" not is_chime "$before"
after=$(tone_peak "$WORK/played.wav" 2.2)
check "Right brings the chime (band peak and its ratio to the mean: $after)" is_chime "$after"

# keys_under LAYOUT NAME KEY...: the game started under the keyboard layout with the sound
# on, each key held for a moment, a second apart; what it played goes to $WORK/NAME.wav, and
# when each key went down (seconds into it) to KEY_AT.
keys_under() {
  local layout=$1 name=$2 key
  shift 2
  setxkbmap "$layout"
  export SDL_DISKAUDIOFILE=$WORK/$name.raw
  require "$name layout: the window appears" start_game "$repo" --no-settings
  timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
  sleep 2
  KEY_AT=()
  for key in "$@"; do
    KEY_AT+=("$(played_at "$SDL_DISKAUDIOFILE")")
    hold "$key" 0.2
    sleep 1
  done
  close_game
  setxkbmap us
  sox -t raw -r 48000 -e signed-integer -b 16 -c 2 "$SDL_DISKAUDIOFILE" "$WORK/$name.wav"
}
# level_around FILE SECONDS SHIFT: the level of the 0.4 s that start SHIFT seconds after
# SECONDS.
level_around() {
  sound_stat "$1" "RMS lev dB" trim "$(awk -v t="$2" -v d="$3" 'BEGIN {print t + d}')" 0.4
}

# M by the letter on the key. Under a French (AZERTY) layout the key that prints M sits where
# a US keyboard has its semicolon, and the key in M's US place prints a comma: the comma
# leaves the sound on, M mutes it.
keys_under fr French comma m
before_m=$(level_around "$WORK/French.wav" "${KEY_AT[1]}" -0.5)
what="French layout: the key in M's US place (a comma, at ${KEY_AT[0]} s) leaves the sound on"
check "$what ($before_m dB)" within "$before_m" -40 -10
after_m=$(level_around "$WORK/French.wav" "${KEY_AT[1]}" 0.5)
check "French layout: the key that prints M (at ${KEY_AT[1]} s) mutes ($after_m dB)" \
  test "$after_m" = "-inf"

# Where no key prints M (a Russian layout), the key in M's US place mutes; it prints a soft
# sign there.
keys_under ru Russian Cyrillic_softsign
before_m=$(level_around "$WORK/Russian.wav" "${KEY_AT[0]}" -0.5)
after_m=$(level_around "$WORK/Russian.wav" "${KEY_AT[0]}" 0.5)
mutes() { within "$1" -40 -10 && [ "$2" = "-inf" ]; }
check "Russian layout: the key in M's US place (at ${KEY_AT[0]} s) mutes ($before_m dB, then $after_m)" \
  mutes "$before_m" "$after_m"
unset SDL_AUDIODRIVER SDL_DISKAUDIOFILE

# No sound device: SDL's default driver finds no sound server (each is pointed at a socket
# that does not exist) and ALSA no card (its configuration is empty). One line, the world
# is drawn, the game closes normally.
: >"$WORK/alsa.conf"
unset SDL_AUDIODRIVER
export PULSE_SERVER=unix:$WORK/none PIPEWIRE_REMOTE=$WORK/none ALSA_CONFIG_PATH=$WORK/alsa.conf
plays "no sound device" "$repo"
check "no sound device: one line says sound is off ($(off_lines) of $(err_lines) lines)" \
  test "$(off_lines)" -eq 1 -a "$(err_lines)" -eq 1
unset PULSE_SERVER PIPEWIRE_REMOTE ALSA_CONFIG_PATH

# A device that goes away: every write to /dev/full fails, and SDL takes the device as gone.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/full
check "a device that goes: the window appears" start_game "$repo"
sleep 1.5
check "a device that goes: the game still runs" kill -0 "$GAME_PID"
check "a device that goes: one line says so" grep -q '^Sound is off: the sound device has gone' "$WORK/game.err"
close_game
check "a device that goes: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
finish
