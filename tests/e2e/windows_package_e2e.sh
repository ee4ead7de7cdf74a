#!/usr/bin/env bash
# scripts/windows.sh on this build: the zip's files, and the resources of the zorbel.exe in it
# (the icon at several sizes, the version information carrying the project's version, the
# manifest with per-monitor DPI awareness), read without running it; it needs only DLLs that
# every Windows has.
# Usage: windows_package_e2e.sh BUILD_DIR VERSION
BUILD_DIR=$1
VERSION=$2
source "$(dirname "$0")/lib.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

packs() { "$repo/scripts/windows.sh" "$BUILD_DIR" "$WORK/dist" >"$WORK/windows.log" 2>&1 || { cat "$WORK/windows.log"; false; }; }
check "scripts/windows.sh makes the zip" packs || { finish; exit; }
zip="$WORK/dist/zorbel-windows-x86_64.zip"

unzip -Z1 "$zip" | grep -v '/$' | sort >"$WORK/zip.list"
{ printf '%s\n' zorbel.exe README.txt LICENSE.txt; (cd "$repo" && find data -type f); } | sort >"$WORK/expected.list"
check "the zip holds zorbel.exe, README.txt, LICENSE.txt and the data folder file for file" \
  diff "$WORK/expected.list" "$WORK/zip.list"
unzip -q "$zip" -d "$WORK/unzipped"
in_zip=$WORK/unzipped
check "LICENSE.txt is the repository's LICENSE with Windows line ends" \
  cmp -s "$repo/LICENSE" <(tr -d '\r' <"$in_zip/LICENSE.txt")
readme_answers() {
  local heading
  for heading in "QUIX 5 Zorbel $VERSION for Windows" "WHAT IT IS" "HOW TO PLAY" "WHEN IT DOES NOT START"; do
    grep -q "^$heading" <(tr -d '\r' <"$in_zip/README.txt") || { echo "no \"$heading\""; return 1; }
  done
}
check "README.txt names the version and says what the game is, how to play, what to do" readme_answers

exe="$in_zip/zorbel.exe"
x86_64-w64-mingw32-objdump -p "$exe" >"$WORK/objdump.out"
# The resource table: an icon group (type 14) and its images (type 3), the version (16) and
# the manifest (24).
# objdump prints the type table's entries three spaces in, their names and languages deeper.
for type in "3 (ICON)" "14 (GROUP_ICON)" "16 (VERSION)" "24 (MANIFEST)"; do
  id=$(printf '0x%06x' "${type%% *}")
  check "the resource table lists type $type" grep -qE "^[0-9a-f]+   Entry: ID: $id," "$WORK/objdump.out"
done

# The icon group read back as an icon file: the sizes of the painted icon.
wrestool -x -t14 "$exe" >"$WORK/zorbel.ico" 2>/dev/null
sizes=$(icotool -l "$WORK/zorbel.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | tr '\n' ' ')
check "the icon holds 16, 32, 48 and 256 pixel images, among others (got $sizes)" \
  bash -c 'for s in 16 32 48 256; do [[ " $1" == *" $s "* ]] || exit 1; done' _ "$sizes"
same_icon_images() {
  mkdir -p "$WORK/icons/exe" "$WORK/icons/painted"
  cp "$WORK/zorbel.ico" "$WORK/icons/exe/zorbel.ico"
  icotool -x -o "$WORK/icons/exe" "$WORK/icons/exe/zorbel.ico" && rm "$WORK/icons/exe/zorbel.ico" &&
    icotool -x -o "$WORK/icons/painted" "$repo/packaging/windows/zorbel.ico" &&
    diff -r "$WORK/icons/exe" "$WORK/icons/painted"
}
check "the icon's images are those tools/assetgen painted" same_icon_images

# The version information's strings (UTF-16) in order: each name followed by its value.
wrestool -x -R -t16 "$exe" 2>/dev/null | strings -el -n 3 >"$WORK/version.strings"
value_of() { grep -A1 -x "$1" "$WORK/version.strings" | tail -n 1; }
check "ProductVersion is $VERSION (got $(value_of ProductVersion))" test "$(value_of ProductVersion)" = "$VERSION"
check "FileVersion is $VERSION (got $(value_of FileVersion))" test "$(value_of FileVersion)" = "$VERSION"
check "ProductName is QUIX 5 Zorbel" test "$(value_of ProductName)" = "QUIX 5 Zorbel"
check "a file description" test -n "$(value_of FileDescription)"

wrestool -x -R -t24 "$exe" >"$WORK/manifest.xml" 2>/dev/null
check "the manifest is well-formed XML" python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$WORK/manifest.xml"
check "the manifest asks for per-monitor DPI awareness" grep -q '<dpiAwareness[^>]*>PerMonitorV2' "$WORK/manifest.xml"
check "the manifest names the systems it supports" grep -q '<supportedOS Id=' "$WORK/manifest.xml"
check "the manifest asks for common controls 6 (the message boxes' look)" \
  grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$WORK/manifest.xml"

# Only DLLs every 64-bit Windows has.
sed -n 's/^\tDLL Name: //p' "$WORK/objdump.out" | tr 'A-Z' 'a-z' | sort >"$WORK/dlls"
system_dlls_only() {
  local dll
  while read -r dll; do
    case $dll in
      kernel32.dll | user32.dll | gdi32.dll | opengl32.dll | winmm.dll | ole32.dll | msvcrt.dll | \
        windowscodecs.dll | oleaut32.dll | advapi32.dll | shell32.dll | comctl32.dll) ;;
      *) echo "not a system DLL: $dll"; return 1 ;;
    esac
  done <"$WORK/dlls"
}
check "zorbel.exe needs only system DLLs ($(tr '\n' ' ' <"$WORK/dlls"))" system_dlls_only
finish
