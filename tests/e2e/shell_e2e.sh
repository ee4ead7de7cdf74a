#!/usr/bin/env bash
# The shell end to end: window title and size, pause, the window manager's close, and the
# failure without any display.
ZORBEL=$1
WM_CLOSE=$2
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

# Without any display the game refuses to run invisibly.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$ZORBEL" >"$WORK/nodisplay.out" 2>"$WORK/nodisplay.err"
code=$?
check "no display: exit code 1" test "$code" -eq 1
check "no display: says why" grep -q "Unable to create the OpenGL Window" "$WORK/nodisplay.err"

start_x || exit 1
check "a window titled QUIX 5 Zorbel appears" start_game "$repo"
geometry=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "client area is 1280x720 (got $geometry)" test "$geometry" = "1280x720"

xdotool key --window "$WID" Escape
sleep 0.3
check "still running after Escape (paused)" kill -0 "$GAME_PID"
xdotool key --window "$WID" Escape
sleep 0.3
check "still running after a second Escape (resumed)" kill -0 "$GAME_PID"

close_game
check "the window manager's close ends the game with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
finish
