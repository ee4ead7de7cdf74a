#!/usr/bin/env bash
# Builds the Linux packages, a .deb and a .tar.gz, into dist/.
# Usage: scripts/package.sh [BUILD_DIR [OUT_DIR]]
# Without BUILD_DIR it packs the optimised build (the release preset), configuring and
# building it first; with one (CI passes build/dev) it packs that build once its game is up
# to date. Two runs on the same build give the same bytes: every date in the packages is that
# of the newest changelog entry (SOURCE_DATE_EPOCH, unless the caller sets one).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${PLAY_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

build=${1:-}
out=${2:-dist}
if [ -z "$build" ]; then
  cmake --preset release >/dev/null
  build=build/release
fi
cmake --build "$build" -j "$(nproc)" --target zorbel
mkdir -p "$out"
out=$(cd "$out" && pwd)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l packaging/linux/changelog -S Timestamp)}
export SOURCE_DATE_EPOCH
cpack --config "$build/CPackConfig.cmake" -B "$out"
rm -rf "$out/_CPack_Packages"
ls -l "$out"
