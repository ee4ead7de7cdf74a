#!/usr/bin/env bash
# Builds the game for 64-bit Windows on Debian 12 with mingw-w64 and packs
# dist/zorbel-windows-x86_64.zip: zorbel.exe (its icon, version and manifest built in) beside
# data/, README.txt and LICENSE.txt; nothing else to install.
# Usage: scripts/windows.sh [BUILD_DIR [OUT_DIR]]
# Without BUILD_DIR it configures and builds the game alone (the windows preset without its
# tests); with one (the Windows tests pass theirs) it packs that build once its game is up
# to date. Installs what it needs first (as root; otherwise it prints the apt-get line and
# stops).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${WINDOWS_PACKAGES[@]}"

build=${1:-}
out=${2:-dist}
if [ -z "$build" ]; then
  # The game alone: the tests (scripts/windows-test.sh) need Wine and GoogleTest's sources too.
  cmake --preset windows -DZORBEL_BUILD_TESTS=OFF >/dev/null
  build=build/windows
fi
cmake --build "$build" --target zorbel -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

name=zorbel-windows-x86_64
mkdir -p "$out"
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/zorbel.exe" "$build/zorbel.exe"
cp -r data "$stage/data"
# The text files with Windows line ends, so that every Notepad shows their lines.
sed "s/@PROJECT_VERSION@/$version/; s/\$/\r/" packaging/windows/README.txt >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
(cd "$stage" && zip -qr -X "../$name.zip" zorbel.exe README.txt LICENSE.txt data)
rm -rf "$stage"
echo "$out/$name.zip: $(du -h "$out/$name.zip" | cut -f1), zorbel.exe needs only these DLLs:"
x86_64-w64-mingw32-objdump -p "$build/zorbel.exe" | sed -n 's/^\tDLL Name: /  /p'
