#!/usr/bin/env bash
# The browser edition's tests, in the system's headless Chromium over the DevTools protocol:
# builds dist/web, dist/zorbel.html and the pages of the headless driver (scripts/web.sh
# --frames), installs what the tests need (Debian's chromium; puppeteer-core and pngjs from npm,
# as locked in tests/web/package-lock.json: no browser is downloaded), and runs
# tests/web/*.test.mjs (phones and a tablet are Chromium's emulation, touch included).
# The golden frames are compared by the native zorbel-compare-frame of the dev build, and the
# recorded sound measured by its zorbel-loudness; both are built first when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
scripts/deps.sh "${WEB_TEST_PACKAGES[@]}"
command -v npm >/dev/null || scripts/deps.sh npm

compare=build/dev/tools/headless/zorbel-compare-frame
loudness=build/dev/tools/loudness/zorbel-loudness
if [ ! -x "$compare" ] || [ ! -x "$loudness" ]; then
  scripts/deps.sh "${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
  cmake --preset dev >/dev/null
  cmake --build --preset dev -j "$(nproc)" --target zorbel-compare-frame zorbel-loudness
fi

bash scripts/web.sh --frames

(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
# One file at a time: the pictures are timed, and two browsers would share the two cores.
ZORBEL_WEB_DIST=$PWD/dist/web ZORBEL_WEB_FRAMES=$PWD/build/web/frames-page ZORBEL_COMPARE_FRAME=$PWD/$compare \
  ZORBEL_LOUDNESS=$PWD/$loudness node --test --test-concurrency=1 tests/web/*.test.mjs
