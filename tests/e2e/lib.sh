# Shared by the end-to-end scripts: an Xvfb of our own, the game in it, screenshots.
# The caller sets ZORBEL and WM_CLOSE.
set -u
XVFB_PID=""
GAME_PID=""
WORK=$(mktemp -d)
# The game keeps the player's settings here, never in the home folder of whoever runs the tests.
export XDG_CONFIG_HOME=$WORK/config
checks_passed=0
checks_failed=0

cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

check() { # check DESCRIPTION COMMAND...: counts the result and returns it
  local what=$1; shift
  if "$@"; then echo "ok: $what"; checks_passed=$((checks_passed + 1));
  else echo "FAILED: $what"; checks_failed=$((checks_failed + 1)); return 1; fi
}

finish() {
  echo "$checks_passed passed, $checks_failed failed"
  [ "$checks_failed" -eq 0 ]
}

# An X server on a display number of its own choosing, so runs beside each other never
# share one. -noreset: by default the server resets when its last client leaves, and a
# game connecting during that reset (right after the readiness probe) finds no display.
start_x() {
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
  if [ -s "$WORK/display" ]; then
    export DISPLAY=":$(head -n 1 "$WORK/display")"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fi
  echo "could not start Xvfb"; cat "$WORK/xvfb.log"; return 1
}

# start_game [working dir [option ...]]: starts the game, waits for its window, sets WID.
# The Windows edition under Wine, for scripts that set EXE and WINE_RUN: builds the window
# manager's close request (a program of this machine), makes start_game run the exe under the
# build's Wine, starts the X server and Wine afresh on it (Wine takes the screen from the
# display it starts on), and stops Wine when the script ends.
start_x_for_wine() {
  # The game keeps the player's settings in the prefix's %APPDATA% (Wine sets the variable
  # itself): every script starts without them and leaves none behind.
  WINE_SETTINGS=$(sed -n "s/^export WINEPREFIX='\(.*\)'$/\1/p" "$WINE_RUN")/drive_c/users/$(id -un)/AppData/Roaming/zorbel
  rm -rf "$WINE_SETTINGS"
  trap 'cleanup; "$WINE_RUN" --stop; rm -rf "$WINE_SETTINGS"' EXIT
  WM_CLOSE=$WORK/wm_close
  cc -o "$WM_CLOSE" "$(dirname "${BASH_SOURCE[0]}")/wm_close.c" -lX11 || return 1
  ZORBEL=$WORK/zorbel
  printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$WINE_RUN" "$EXE" >"$ZORBEL"
  chmod +x "$ZORBEL"
  start_x || return 1
  "$WINE_RUN" --stop
}

start_game() {
  local dir=${1:-$PWD}
  [ $# -gt 0 ] && shift
  (cd "$dir" && exec env -u SDL_VIDEODRIVER "$ZORBEL" "$@") >"$WORK/game.out" 2>"$WORK/game.err" &
  GAME_PID=$!
  wait_for_window
}

# wait_for_window: waits up to ten seconds for the game's window; sets WID.
wait_for_window() {
  WID=""
  for _ in $(seq 100); do
    WID=$(xdotool search --name '^QUIX 5 Zorbel$' 2>/dev/null | head -1)
    [ -n "$WID" ] && break
    sleep 0.1
  done
  [ -n "$WID" ] && return 0
  echo "no game window; the game's output:"; cat "$WORK/game.out" "$WORK/game.err"
  return 1
}

# require DESCRIPTION COMMAND...: a check the rest of the script cannot do without.
require() {
  check "$@" || { finish; exit 1; }
}

shot() { # shot FILE: the window's pixels
  import -silent -window "$WID" "$1" 2>/dev/null
}

window_size() { # the game window's size, WIDTHxHEIGHT
  xwininfo -id "$WID" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# The mean colour of a region as "R G B" in 0..255.
mean_colour() { # FILE WxH+X+Y
  convert "$1" -crop "$2" +repage -resize 1x1\! -depth 8 txt:- |
    sed -n 's/.*srgb(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p'
}
is_dark() { read -r r g b <<<"$(mean_colour "$1" "$2")"; [ $((r + g + b)) -lt 200 ]; }
is_green() { read -r r g b <<<"$(mean_colour "$1" "$2")"; [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ] && [ "$g" -gt 50 ]; }
# The first frames, windowed or full screen: the dark sky in the top left corner, the green
# grass disc in the middle of the window.
shows_the_world() { is_dark "$1" 100x40+10+10 && is_green "$1" 200x100+540+310; }

# The whole view, not a part of a larger one: the sky at the middle of the right edge too.
shows_the_whole_world() { shows_the_world "$1" && is_dark "$1" 60x100+1210+300; }

# answer_box: waits up to ten seconds for a message box of the game (SDL's own dialog window,
# drawn without a window manager) and clicks its one button, centred near its bottom.
answer_box() {
  local box="" w width height
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
      xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG && box=$w
    done
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || return 1
  read -r width height < <(xwininfo -id "$box" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
  xdotool mousemove --window "$box" $((width / 2)) $((height - 28)) click 1
}

same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" = "0" ]; }
differs() { ! same_picture "$1" "$2"; }
# same_region A B WxH+X+Y: the two pictures agree inside the region.
same_region() {
  [ "$(convert "$1" "$2" -crop "$3" +repage -metric AE -compare -format '%[distortion]' info: 2>/dev/null)" = "0" ]
}
differs_in() { ! same_region "$@"; }

hold() { # hold KEY SECONDS
  xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"
}

# close_game: WM_DELETE_WINDOW, then the exit code in EXIT_CODE (124 when the game did not
# end within ten seconds and had to be killed).
close_game() {
  "$WM_CLOSE" "$WID"
  for _ in $(seq 100); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$GAME_PID" 2>/dev/null; then
    echo "the game did not end after the close request; its output:"
    cat "$WORK/game.out" "$WORK/game.err"
    kill -9 "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    EXIT_CODE=124
  else
    wait "$GAME_PID"; EXIT_CODE=$?
  fi
  GAME_PID=""
}

# plays WHAT DIR [option ...]: the game started in DIR shows its window and the world, and
# closing the window ends it with exit code 0.
plays() {
  local what=$1; shift
  check "$what: the window appears" start_game "$@" || return 1
  sleep 2
  shot "$WORK/world.png"
  check "$what: the world is drawn" shows_the_world "$WORK/world.png"
  close_game
  check "$what: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
}

# moves_with_the_arrows: in the game's window (WID), focused, the first frames show the sky
# and the grass disc, and holding each arrow in turn changes the picture.
moves_with_the_arrows() {
  timeout 5 xdotool windowfocus --sync "$WID" 2>/dev/null
  sleep 2
  shot "$WORK/start.png"
  check "the sky is dark at the top of the first frames" is_dark "$WORK/start.png" 400x60+440+10
  check "the grass disc is green at the bottom centre" is_green "$WORK/start.png" 200x60+540+600

  local key before="$WORK/start.png"
  for key in Right Up Left Down; do
    hold "$key" 0.4
    sleep 0.3
    shot "$WORK/$key.png"
    check "holding $key changes the picture" differs "$before" "$WORK/$key.png"
    before="$WORK/$key.png"
  done
}

# shows_the_score_on_h: in the focused game window, standing still, H draws the score display
# in the top-left corner and leaves the rest of the picture alone; a second H takes it away.
shows_the_score_on_h() {
  shot "$WORK/without-display.png"
  hold h 0.3
  sleep 0.3
  shot "$WORK/display.png"
  check "H draws the score display in the top-left corner" differs_in "$WORK/without-display.png" "$WORK/display.png" 420x160+0+0
  check "and leaves the rest of the picture alone" same_region "$WORK/without-display.png" "$WORK/display.png" 1280x560+0+160
  hold h 0.3
  sleep 0.3
  shot "$WORK/display-off.png"
  check "a second H takes it away" same_picture "$WORK/without-display.png" "$WORK/display-off.png"
}

# pauses_and_resumes: in the focused game window, after Escape nothing moves (two shots half
# a second apart with Left held) and after a second Escape Left moves the picture again.
pauses_and_resumes() {
  xdotool key Escape
  sleep 0.3
  xdotool keydown Left
  shot "$WORK/paused1.png"
  sleep 0.5
  shot "$WORK/paused2.png"
  xdotool keyup Left
  check "after Escape the picture stands still while Left is held" same_picture "$WORK/paused1.png" "$WORK/paused2.png"
  check "and the game still runs" kill -0 "$GAME_PID"

  xdotool key Escape
  sleep 0.2
  hold Left 0.6
  sleep 0.3
  shot "$WORK/resumed.png"
  check "after a second Escape, Left moves the picture again" differs "$WORK/paused2.png" "$WORK/resumed.png"
}

# names_a_missing_texture REPO: the game started on a copy of REPO's data/ without the grass
# texture names the file on standard error, runs on, and closes with exit code 0.
names_a_missing_texture() {
  cp -r "$1/data" "$WORK/data"
  rm "$WORK/data/grass.bmp"
  require "the game starts without its grass texture" start_game "$WORK"
  sleep 2
  check "the missing file is named on standard error" grep -q "data/grass.bmp" "$WORK/game.err"
  check "the game still runs" kill -0 "$GAME_PID"
  close_game
  check "and closes normally with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
}
