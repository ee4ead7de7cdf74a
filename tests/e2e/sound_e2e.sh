#!/usr/bin/env bash
# The game's sound end to end: with SDL's disk driver the game writes what it plays to a file
# in real time, which holds the quiet ambient and, once Right carries the player across a
# zone, the chime; with no sound device (the default here), and with a device that goes away
# while playing, the game says so in one line, plays on silent and closes with exit code 0.
ZORBEL=$1
WM_CLOSE=$2
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)
# What the disk driver writes: raw 16-bit stereo at the rate the game asks for.
RAW=(-t raw -r 48000 -e signed-integer -b 16 -c 2)

# stats FILE.wav START LENGTH FIELD: one figure of sox's stats over a stretch of the file.
stats() {
  sox "$1" -n trim "$2" "$3" stats 2>&1 | awk -v field="$4" 'index($0, field) == 1 {print $(NF)}'
}
# within VALUE LOW HIGH: a decimal figure in a range.
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN {exit !(v != "" && v >= lo && v <= hi)}'; }
# sound_off_lines: how many lines the game said on standard error, and how many of them
# began "Sound is off: ".
err_lines() { wc -l <"$WORK/game.err"; }
off_lines() { grep -c '^Sound is off: ' "$WORK/game.err"; }

start_x || exit 1

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
