#!/usr/bin/env bash
# scripts/package.sh on this build: the .deb's control fields and contents, the game started
# from the extracted .deb in another working folder, and the .tar.gz holding the same tree.
# Usage: package_e2e.sh WM_CLOSE BUILD_DIR VERSION
WM_CLOSE=$1
BUILD_DIR=$2
VERSION=$3
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

dist="$WORK/dist"
packs() { "$repo/scripts/package.sh" "$BUILD_DIR" "$dist" >"$WORK/package.log" 2>&1 || { cat "$WORK/package.log"; false; }; }
check "scripts/package.sh makes the packages" packs || { finish; exit; }
deb="$dist/zorbel_${VERSION}-1_$(dpkg --print-architecture).deb"
tgz="$dist/zorbel-${VERSION}-Linux.tar.gz"
check "a .deb named for its version and architecture" test -f "$deb"
check "a .tar.gz named for its version" test -f "$tgz"

field() { dpkg-deb -f "$deb" "$1"; }
check "Package: zorbel" test "$(field Package)" = zorbel
check "Version: $VERSION-1 (got $(field Version))" test "$(field Version)" = "$VERSION-1"
check "Section: games" test "$(field Section)" = games
check "a description" test -n "$(field Description)"
depends=$(field Depends)
names_the_runtime() {
  local library
  for library in libsdl2-2.0-0 libpng16-16 libgl1; do
    grep -qE "(^|, )$library( |,|$)" <<<"$depends" || return 1
  done
}
check "Depends names SDL2, libpng and GL (got $depends)" names_the_runtime
check "Depends names no development package" bash -c '! grep -q -- "-dev" <<<"$1"' _ "$depends"

# The files of the package, without the leading "./usr/" (folders left out).
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$WORK/deb.list"
check "every file lies under /usr" bash -c '! grep -qv "^\./usr/" "$1"' _ "$WORK/deb.list"
sed -i 's|^\./usr/||' "$WORK/deb.list"
for file in bin/zorbel share/applications/zorbel.desktop share/man/man6/zorbel.6.gz \
  share/icons/hicolor/{48x48,128x128,256x256}/apps/zorbel.png; do
  check "the .deb holds $file" grep -qx "$file" "$WORK/deb.list"
done
(cd "$repo" && find data -type f | sed 's|^|share/zorbel/|' | sort) >"$WORK/data.list"
check "the .deb holds the data folder file for file" \
  test "$(grep '^share/zorbel/' "$WORK/deb.list")" = "$(cat "$WORK/data.list")"
tar -tzf "$tgz" | grep -v '/$' | sed "s|^zorbel-${VERSION}-Linux/||" | sort >"$WORK/tgz.list"
check "the .tar.gz holds the same tree under zorbel-$VERSION-Linux/" cmp -s "$WORK/deb.list" "$WORK/tgz.list"

# Extracted anywhere, the /usr tree is a relocated install.
dpkg -x "$deb" "$WORK/root"
start_x || exit 1
mkdir -p "$WORK/elsewhere"
ZORBEL="$WORK/root/usr/bin/zorbel"
plays "the game from the extracted .deb" "$WORK/elsewhere"
finish
