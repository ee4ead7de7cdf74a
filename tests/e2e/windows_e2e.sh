#!/usr/bin/env bash
# zorbel.exe end to end under Wine: the window's title and client size, the sky and the grass
# disc, Right moves the world, Escape pauses and resumes, H shows and hides the score, F11
# falls back to the window with its box, M's choice is kept in the prefix's %APPDATA%, the
# window manager's close ends the game with exit code 0, a driver without GL 3.0 gets the
# fallback line, the command line arrives, full screen falls back to the window with its box,
# a missing texture is named while the game runs on, --data takes a folder named outside the
# ANSI code page, and without its data the program says so in a box before any window;
# --help and a mistake answer on the redirected streams, and in a box when started from a
# shortcut.
# Usage: windows_e2e.sh zorbel.exe WINE_RUN VERSION (WINE_RUN: the build's wine-run script)
EXE=$(realpath "$1")
WINE_RUN=$(realpath "$2")
VERSION=$3
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)
start_x_for_wine || exit 1

require "a window titled QUIX 5 Zorbel appears" start_game "$repo"
# Without a window manager the X window is the client area.
geometry=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "client area is 1280x720 (got $geometry)" test "$geometry" = "1280x720"
moves_with_the_arrows
pauses_and_resumes
shows_the_score_on_h

# M mutes, and the choice is kept in the prefix's %APPDATA% at once. F11 asks for the display
# mode, which Xvfb cannot give: the box, then the game plays on in its window, and the refused
# full screen is not kept.
hold m 0.3
for _ in $(seq 30); do [ -s "$WINE_SETTINGS/settings.json" ] && break; sleep 0.1; done
xdotool key F11
for _ in $(seq 100); do grep -q "Display mode failed" "$WORK/game.err" && break; sleep 0.1; done
check "F11: the display-mode failure is reported" grep -q "Display mode failed" "$WORK/game.err"
sleep 1
xdotool key Return
sleep 0.5
geometry=$(window_size)
check "F11: after the box the game plays on in its 1280x720 window (got $geometry)" test "$geometry" = "1280x720"

close_game
check "the window manager's close ends the game with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
check "M's choice is kept in %APPDATA%\\zorbel\\settings.json" grep -q '"mute": true' "$WINE_SETTINGS/settings.json"
check "and full screen, refused, is not" grep -q '"fullscreen": false' "$WINE_SETTINGS/settings.json"
check "a GL 3.0 context, so no fallback line" bash -c "! grep -q 'falling back' '$WORK/game.out'"

# A driver that offers no GL 3.0: the legacy context and its console line.
export MESA_GL_VERSION_OVERRIDE=2.1
check "the game starts on a GL 2.1 driver" start_game "$repo"
sleep 2
check "the fallback line is printed" grep -q "OpenGL 3.0 is not supported, falling back to GL 2.1" "$WORK/game.out"
shot "$WORK/legacy.png"
check "the legacy context draws the grass disc" is_green "$WORK/legacy.png" 200x60+540+600
close_game
check "and closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
unset MESA_GL_VERSION_OVERRIDE

# The command line reaches the game through WinMain; with its output redirected, the answer
# goes there.
version=$("$ZORBEL" --version 2>&1 | tr -d '\r')
check "--version prints the version (got \"$version\")" test "$version" = "zorbel $VERSION"
mistake=$("$ZORBEL" --fulscreen 2>&1 >/dev/null | tr -d '\r' | head -2)
usage="usage: zorbel [--fullscreen] [--mute] [--no-settings] [--data DIR]"
check "a mistake goes to the redirected standard error (got \"$mistake\")" \
  test "$mistake" = "zorbel: unknown option --fulscreen"$'\n'"$usage"

# answered_box WHAT CAPTION CODE: waits up to 15 seconds for a box of the program started last
# (GAME_PID) with that caption, checks that no game window came with it, answers it, and
# checks that the program then ends (within 10 seconds) with exit code CODE.
answered_box() {
  local what=$1 caption=$2 want=$3 box="" code
  for _ in $(seq 150); do
    box=$(xdotool search --name "^$caption\$" 2>/dev/null | head -1)
    [ -n "$box" ] && break
    sleep 0.1
  done
  check "$what: a box captioned \"$caption\"" test -n "$box"
  check "$what: no game window" test -z "$(xdotool search --name '^QUIX 5 Zorbel$' 2>/dev/null)"
  # Answered with Return, again while the program runs on: on a busy machine the key can
  # come before the box has the focus.
  for _ in $(seq 5); do
    [ -n "$box" ] || break
    timeout 3 xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key Return
    for _ in $(seq 20); do kill -0 "$GAME_PID" 2>/dev/null || break 2; sleep 0.1; done
  done
  if kill -0 "$GAME_PID" 2>/dev/null; then kill -9 "$GAME_PID"; fi
  wait "$GAME_PID"
  code=$?
  GAME_PID=""
  check "$what: after the box, exit code $want (got $code)" test "$code" -eq "$want"
}

# Started as Explorer or a shortcut starts it (Wine's start: no console, no stream to write
# to), the program shows its answer to the command line in a box.
from_a_shortcut() {
  (cd "$WORK" && exec "$WINE_RUN" start /wait /unix "$EXE" "$@") >/dev/null 2>&1 &
  GAME_PID=$!
}
from_a_shortcut --help
answered_box "--help from a shortcut" "QUIX 5 Zorbel: help" 0
from_a_shortcut --fulscreen
answered_box "a mistake from a shortcut" "An error occurred" 2

# Full screen on a display whose mode cannot be changed (Xvfb): the box says so, and once it
# is answered the game plays in its window.
(cd "$repo" && exec "$ZORBEL" --fullscreen) >"$WORK/game.out" 2>"$WORK/game.err" &
GAME_PID=$!
for _ in $(seq 100); do grep -q "Display mode failed" "$WORK/game.err" && break; sleep 0.1; done
check "full screen: the display-mode failure is reported" grep -q "Display mode failed" "$WORK/game.err"
sleep 1
xdotool key Return
wait_for_window
geometry=$(xwininfo -id "$WID" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "full screen: after the box the game plays in its 1280x720 window (got $geometry)" test "$geometry" = "1280x720"
close_game
check "full screen: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0

names_a_missing_texture "$repo"

# A data folder named outside the ANSI code page arrives whole: the wide command line, not
# the C runtime's ANSI copy of it. (Wine reads the argument as UTF-8 under a UTF-8 locale.)
mkdir -p "$WORK/日本"
cp -r "$repo/data" "$WORK/日本/data"
rm "$WORK/日本/data/grass.bmp"
export LC_ALL=C.UTF-8
check "--data 日本/data: the window appears" start_game "$WORK" --data 日本/data
sleep 2
check "--data 日本/data: that folder's files are read" grep -q "data/grass.bmp" "$WORK/game.err"
close_game
check "--data 日本/data: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
unset LC_ALL

# Without its data, started in its own folder (as a double-click starts it): a box with the
# caption "An error occurred" shows the line before any window opens, the line names that
# folder once, and once the box is answered the program ends with exit code 1.
mkdir -p "$WORK/alone"
cp "$EXE" "$WORK/alone/zorbel.exe"
(cd "$WORK/alone" && exec "$WINE_RUN" ./zorbel.exe) >"$WORK/nodata.out" 2>"$WORK/nodata.err" &
GAME_PID=$!
answered_box "without its data" "An error occurred" 1
folder=$(tr / '\\' <<<"Z:$WORK")
expected="No data folder found; tried $folder\\alone\\data (not found), $folder\\share\\zorbel\\data (not found)"
line=$(tr -d '\r' <"$WORK/nodata.err")
check "without its data: the line names each place once (got \"$line\")" test "$line" = "$expected"
finish
