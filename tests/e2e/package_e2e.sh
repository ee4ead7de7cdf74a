#!/usr/bin/env bash
# scripts/package.sh on this build: the .deb held to Debian's rules by lintian, its control
# fields, contents, licence, changelog and hardened program, the game started from the
# extracted .deb in another working folder, the .tar.gz holding the same tree, and a second
# packing giving the same bytes.
# Usage: package_e2e.sh WM_CLOSE BUILD_DIR VERSION
WM_CLOSE=$1
BUILD_DIR=$2
VERSION=$3
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

packs() { "$repo/scripts/package.sh" "$BUILD_DIR" "$1" >"$WORK/package.log" 2>&1 || { cat "$WORK/package.log"; false; }; }
dist="$WORK/dist"
check "scripts/package.sh makes the packages" packs "$dist" || { finish; exit; }
deb="$dist/zorbel_${VERSION}_$(dpkg --print-architecture).deb"
tgz="$dist/zorbel-${VERSION}-Linux.tar.gz"
check "a .deb named for its version and architecture" test -f "$deb"
check "a .tar.gz named for its version" test -f "$tgz"

# Debian's rules: any error or warning fails; the notes at the info level are shown.
lintian -EvIL +pedantic "$deb" >"$WORK/lintian.out" 2>&1
grep -v '^N: ' "$WORK/lintian.out" | sed 's/^/  lintian: /'
check "lintian reports no error and no warning" bash -c '! grep -qE "^(E|W): " "$1"' _ "$WORK/lintian.out"

field() { dpkg-deb -f "$deb" "$1"; }
check "Package: zorbel" test "$(field Package)" = zorbel
check "Version: $VERSION (got $(field Version))" test "$(field Version)" = "$VERSION"
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
for file in games/zorbel share/applications/zorbel.desktop share/man/man6/zorbel.6.gz \
  share/doc/zorbel/copyright share/doc/zorbel/changelog.gz \
  share/icons/hicolor/{48x48,128x128,256x256}/apps/zorbel.png; do
  check "the .deb holds $file" grep -qx "$file" "$WORK/deb.list"
done
check "no bin/ in the .deb: the game lies in /usr/games" bash -c '! grep -q "^bin/" "$1"' _ "$WORK/deb.list"
(cd "$repo" && find data -type f | sed 's|^|share/zorbel/|' | sort) >"$WORK/data.list"
check "the .deb holds the data folder file for file" \
  test "$(grep '^share/zorbel/' "$WORK/deb.list")" = "$(cat "$WORK/data.list")"
# The .tar.gz is an install tree: bin/ where the .deb has games/, and the LICENSE on top.
tar -tzf "$tgz" | grep -v '/$' | sed "s|^zorbel-${VERSION}-Linux/||" | sort >"$WORK/tgz.list"
{ sed 's|^games/|bin/|' "$WORK/deb.list"; echo LICENSE; } | sort >"$WORK/tgz.expected"
check "the .tar.gz holds the same tree under zorbel-$VERSION-Linux/, with bin/ and the LICENSE" \
  diff "$WORK/tgz.expected" "$WORK/tgz.list"
check "the .tar.gz's LICENSE is the repository's" \
  cmp -s "$repo/LICENSE" <(tar -xOzf "$tgz" "zorbel-${VERSION}-Linux/LICENSE")

dpkg -x "$deb" "$WORK/root"
doc="$WORK/root/usr/share/doc/zorbel"
# The copyright file in Debian's machine-readable format, whose licence text is the LICENSE
# (less its copyright line, which the Copyright field carries).
licence_in_copyright() {
  head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' &&
    grep -qx 'License: Zlib' "$doc/copyright" &&
    grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$repo/LICENSE")" "$doc/copyright" &&
    diff <(sed -n '/^License: Zlib$/,$p' "$doc/copyright" | tail -n +2 | sed 's/^ //; s/^\.$//') \
      <(tail -n +3 "$repo/LICENSE")
}
check "the copyright file is machine-readable and carries the zlib licence" licence_in_copyright
zcat "$doc/changelog.gz" >"$WORK/changelog"
newest=$(dpkg-parsechangelog -l "$WORK/changelog" -S Version)
check "the changelog's newest entry is $VERSION (got $newest)" test "$newest" = "$VERSION"
# Bytes 4 to 7 of a gzip header hold the time it was made; gzip -n leaves them zero.
no_gzip_time() { test "$(od -An -tx1 -j4 -N4 "$1" | tr -d ' ')" = 00000000; }
check "the changelog is compressed without a timestamp" no_gzip_time "$doc/changelog.gz"
check "the manual page is compressed without a timestamp" no_gzip_time "$WORK/root/usr/share/man/man6/zorbel.6.gz"

# The hardened program: position independent, relocations read-only and bound at start-up,
# the stack protector in, and stripped of its symbols and the .comment section.
game="$WORK/root/usr/games/zorbel"
readelf -W -h -l -d -S --dyn-syms "$game" >"$WORK/readelf.out"
check "the program is position independent" grep -qE 'Type: +DYN' "$WORK/readelf.out"
check "relocations read-only (GNU_RELRO)" grep -q GNU_RELRO "$WORK/readelf.out"
check "bound at start-up (BIND_NOW)" grep -qE 'FLAGS.*BIND_NOW' "$WORK/readelf.out"
check "the stack protector is in" grep -q __stack_chk_fail "$WORK/readelf.out"
check "stripped: no symbol table, no .comment" bash -c '! grep -qE "\] \.(symtab|comment) " "$1"' _ "$WORK/readelf.out"

# Extracted anywhere, the /usr tree is a relocated install: from /usr/games the game finds
# ../share/zorbel/data.
start_x || exit 1
mkdir -p "$WORK/elsewhere"
ZORBEL="$game"
plays "the game from the extracted .deb's /usr/games" "$WORK/elsewhere"

# Packed again, later, from the same build: the same bytes.
sleep 1
check "a second packing of the same build" packs "$WORK/again"
for package in "$deb" "$tgz"; do
  check "$(basename "$package") is the same bytes the second time" cmp "$package" "$WORK/again/$(basename "$package")"
done
finish
