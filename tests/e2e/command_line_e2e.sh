#!/usr/bin/env bash
# The command line of the real binary: --help, --version and mistakes answer without a
# display; a missing data folder stops the game before any window; --data plays under Xvfb,
# and --fullscreen, which Xvfb alone cannot grant, plays in a window after its box; with a
# window manager it is granted.
ZORBEL=$1
WM_CLOSE=$2
CURSOR_HIDDEN=$3
VERSION=$4
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

# run OPTION...: the binary without any display; sets CODE, OUT and ERR.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$ZORBEL" "$@" >"$WORK/out" 2>"$WORK/err"
  CODE=$?
  OUT=$(cat "$WORK/out")
  ERR=$(cat "$WORK/err")
}

run --help
check "--help: exit code 0 (got $CODE)" test "$CODE" -eq 0
check "--help: usage, options and controls on standard output" \
  grep -qzE 'usage: zorbel .*--fullscreen.*--mute.*--data DIR.*Escape.*M +mute' "$WORK/out"
check "--help: the game pad beside each key" \
  grep -qzE 'arrows +left stick, d-pad.*Space +South.*Escape +Start.*H +North' "$WORK/out"
check "--help: nothing on standard error" test -z "$ERR"

run --version
check "--version: exit code 0 (got $CODE)" test "$CODE" -eq 0
check "--version: the project's version (got \"$OUT\")" test "$OUT" = "zorbel $VERSION"

run --fullscreen --help
check "--help after another option still answers (got $CODE)" test "$CODE" -eq 0
run --mute --help
check "--mute is an option the game knows (got $CODE)" test "$CODE" -eq 0
run --version --help
check "--version and --help: the first of them answers (got \"$OUT\")" test "$OUT" = "zorbel $VERSION"

# mistake OPTION...: the usage on standard error after a line naming the mistake, exit code 2.
mistake() {
  local what="mistake ${*@Q}"
  run "$@"
  check "$what: exit code 2 (got $CODE)" test "$CODE" -eq 2
  check "$what: the mistake, then the usage, on standard error" \
    grep -qPz '^zorbel: [^\n]*\nusage: zorbel' "$WORK/err"
  check "$what: nothing on standard output" test -z "$OUT"
}
mistake --bogus
mistake -x
mistake play
mistake ""
mistake --data
mistake --data=
mistake --help --bogus

run --data "$WORK/missing/data"
check "--data of a missing folder: exit code 1 (got $CODE)" test "$CODE" -eq 1
check "--data of a missing folder: one line naming it, before any window (got \"$ERR\")" \
  test "$ERR" = "No data folder found; tried $WORK/missing/data (not found)"
mkdir -p "$WORK/other/data"
run --data "$WORK/other/data"
check "--data of a folder without the game's files: exit code 1 (got $CODE)" test "$CODE" -eq 1
check "--data of a folder without the game's files: one line saying so (got \"$ERR\")" \
  test "$ERR" = "No data folder found; tried $WORK/other/data (not the game's data: no quad.json)"
mkdir -p "$WORK/assets"
run --data "$WORK/assets"
check "--data of a folder not called data: exit code 1 (got $CODE)" test "$CODE" -eq 1
check "--data of a folder not called data: says so" grep -qF "$WORK/assets as the data folder" "$WORK/err"
check "--data of a folder not called data: in one line" test "$(wc -l <"$WORK/err")" -eq 1

start_x || exit 1
# A copy of the data without its grass texture: the report names the copy's file, so the
# game read the folder it was given and not the one beside the build's binary.
mkdir -p "$WORK/mine" "$WORK/elsewhere"
cp -r "$repo/data" "$WORK/mine/data"
rm "$WORK/mine/data/grass.bmp"
check "--data: the window appears" start_game "$WORK/elsewhere" --data ../mine/data
sleep 2
check "--data: the given folder is read" grep -q "data/grass.bmp" "$WORK/game.err"
check "a window shows the mouse cursor" test "$("$CURSOR_HIDDEN" "$WID"; echo $?)" -eq 1
close_game
check "--data: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0

# Full screen on a display without a window manager (Xvfb alone) is not granted: the box
# says so, and the game plays in its window, drawn at the size that window has.
check "--fullscreen: the window appears" start_game "$WORK/elsewhere" --fullscreen
check "--fullscreen without a window manager: a box to answer" answer_box
check "--fullscreen without a window manager: the box says the display mode failed" \
  grep -qx "Display mode failed" "$WORK/game.err"
sleep 2
geometry=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "--fullscreen: the game plays in its 1280x720 window (got $geometry)" test "$geometry" = "1280x720"
check "--fullscreen: the window shows the mouse cursor" test "$("$CURSOR_HIDDEN" "$WID"; echo $?)" -eq 1
shot "$WORK/full.png"
check "--fullscreen: the whole world is drawn in the window, not a part of a larger view" \
  shows_the_whole_world "$WORK/full.png"
close_game
check "--fullscreen: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0

# With a window manager full screen is granted: no box, the window covers the screen (Xvfb's
# 1600x1000), the cursor is hidden and the view is drawn at that size.
openbox >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
check "--fullscreen with a window manager: the window appears" start_game "$WORK/elsewhere" --fullscreen
sleep 2
check "--fullscreen with a window manager: no box" bash -c '! grep -q "Display mode failed" "$1"' _ "$WORK/game.err"
geometry=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "--fullscreen with a window manager: the window covers the screen (got $geometry)" test "$geometry" = "1600x1000"
check "--fullscreen with a window manager: the mouse cursor is hidden" "$CURSOR_HIDDEN" "$WID"
shot "$WORK/granted.png"
# The sky in the top left corner and at the middle of the right edge, the grass in the middle.
fills_the_screen() { is_dark "$1" 100x40+10+10 && is_dark "$1" 60x100+1530+400 && is_green "$1" 200x100+700+450; }
check "--fullscreen with a window manager: the whole world is drawn at the screen's size" \
  fills_the_screen "$WORK/granted.png"
close_game
check "--fullscreen with a window manager: closing ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" -eq 0
kill "$WM_PID"
finish
