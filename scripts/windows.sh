#!/usr/bin/env bash
# Builds the game for 64-bit Windows on Debian 12 with mingw-w64 and packs
# dist/zorbel-windows-x86_64.zip: zorbel.exe beside data/, nothing else to install.
# Installs what it needs first (as root; otherwise it prints the apt-get line and stops).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${WINDOWS_PACKAGES[@]}"

# The game alone: the tests (scripts/windows-test.sh) need Wine and GoogleTest's sources too.
cmake --preset windows -DZORBEL_BUILD_TESTS=OFF >/dev/null
cmake --build --preset windows --target zorbel -j "$(nproc)"

name=zorbel-windows-x86_64
stage=dist/$name
rm -rf "$stage" "dist/$name.zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/zorbel.exe" build/windows/zorbel.exe
cp -r data "$stage/data"
(cd "$stage" && zip -qr -X "../$name.zip" zorbel.exe data)
rm -rf "$stage"
echo "dist/$name.zip: $(du -h "dist/$name.zip" | cut -f1), zorbel.exe needs only these DLLs:"
x86_64-w64-mingw32-objdump -p build/windows/zorbel.exe | sed -n 's/^\tDLL Name: /  /p'
