#!/usr/bin/env bash
# The game end to end: the first frames show the sky and the grass disc, Right moves the
# world, and a missing texture is reported while the game still runs and closes normally.
# (Pausing is checked with the shell, in shell_e2e.sh.)
ZORBEL=$1
WM_CLOSE=$2
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

start_x || exit 1
require "the game window appears" start_game "$repo"
timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
sleep 2
shot "$WORK/start.png"
check "the sky is dark at the top of the first frames" is_dark "$WORK/start.png" 400x60+440+10
check "the grass disc is green at the bottom centre" is_green "$WORK/start.png" 200x60+540+600

hold Right 0.6
sleep 0.3
shot "$WORK/right.png"
check "holding Right changes the picture" differs "$WORK/start.png" "$WORK/right.png"

close_game
check "closing the window ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0

# A damaged data folder: one texture missing.
cp -r "$repo/data" "$WORK/data"
rm "$WORK/data/grass.bmp"
require "the game starts without its grass texture" start_game "$WORK"
sleep 2
check "the missing file is named on standard error" grep -q "data/grass.bmp" "$WORK/game.err"
check "the game still runs" kill -0 "$GAME_PID"
close_game
check "and closes normally with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
finish
