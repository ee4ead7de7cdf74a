#!/usr/bin/env bash
# The game end to end: the first frames show the sky and the grass disc, each arrow moves
# the world, H shows and hides the score, and a missing texture is reported while the game
# still runs and closes normally.
# (Pausing is checked with the shell, in shell_e2e.sh.)
ZORBEL=$1
WM_CLOSE=$2
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

start_x || exit 1
require "the game window appears" start_game "$repo"
moves_with_the_arrows
shows_the_score_on_h

close_game
check "closing the window ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0

names_a_missing_texture "$repo"
finish
