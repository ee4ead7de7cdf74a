#!/usr/bin/env bash
# cmake --install into a temporary prefix: the Linux layout, then the installed game started
# from another working folder finds its data, plays and closes, also beside an unrelated
# data/; without its data it names every place it tried and why, and ends with 1 before any
# window. (The package test starts a /usr
# tree extracted elsewhere: the tree is relocatable.)
# Usage: install_e2e.sh WM_CLOSE BUILD_DIR
WM_CLOSE=$1
BUILD_DIR=$2
source "$(dirname "$0")/lib.sh"

prefix="$WORK/prefix"
installs() { cmake --install "$BUILD_DIR" --prefix "$prefix" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; false; }; }
check "cmake --install into a temporary prefix" installs

# The installed tree (the package tests check the same list in the .deb).
check "the program in bin/ (only the .deb puts it in games/)" test -x "$prefix/bin/zorbel" -a ! -e "$prefix/games"
check "the licence and changelog in share/doc/zorbel/" \
  test -f "$prefix/share/doc/zorbel/copyright" -a -f "$prefix/share/doc/zorbel/changelog.gz"
check "the data under share/zorbel/data/" test -f "$prefix/share/zorbel/data/shaders/basic-fixed.vert"
starts_zorbel() { grep -qx Type=Application "$1" && grep -qx Exec=zorbel "$1" && grep -qx Icon=zorbel "$1"; }
check "the desktop entry starts zorbel with its icon" starts_zorbel "$prefix/share/applications/zorbel.desktop"
for size in 48 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/zorbel.png"
  check "a ${size}x${size} icon in the hicolor theme" test "$(identify -format '%m %wx%h' "$icon" 2>&1)" = "PNG ${size}x${size}"
done
check "a manual page in section 6" bash -c 'zcat "$1" | grep -q "^\.TH ZORBEL 6"' _ "$prefix/share/man/man6/zorbel.6.gz"

start_x || exit 1
mkdir -p "$WORK/elsewhere"
ZORBEL="$prefix/bin/zorbel"
plays "the installed game" "$WORK/elsewhere"
# Started from a folder that holds a data/ of its own (a home folder, as the desktop menu
# starts it): that folder is not the game's data and is passed over.
mkdir -p "$WORK/home/data"
echo "1,2" >"$WORK/home/data/results.csv"
plays "the installed game started beside an unrelated data/" "$WORK/home"

# Under Xvfb: a game that opened its window anyway would run until the timeout (124).
rm -r "$prefix/share/zorbel/data"
(cd "$WORK/home" && timeout 20 "$ZORBEL" >"$WORK/nodata.out" 2>"$WORK/nodata.err")
code=$?
check "without its data: exit code 1 (got $code)" test "$code" -eq 1
expected="No data folder found; tried $WORK/home/data (not the game's data: no quad.json), $prefix/bin/data (not found), $prefix/share/zorbel/data (not found)"
check "without its data: one line naming every place tried, and no window (got \"$(cat "$WORK/nodata.err")\")" \
  test "$(cat "$WORK/nodata.err")" = "$expected"
finish
